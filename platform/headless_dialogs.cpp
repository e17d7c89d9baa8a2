#include "platform/headless_dialogs.h"

namespace velmorane::platform {
namespace {

std::string withLineFeeds(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c != '\r') out += c;
    }
    return out;
}

}  // namespace

Answer HeadlessDialogs::show(const Message& message)
{
    out_ << message.title << " : " << withLineFeeds(message.text) << '\n' << std::flush;
    return message.defaultButton;
}

std::optional<std::string> HeadlessDialogs::inputBox(const std::string& prompt, const std::string& title,
                                                     const std::string&)
{
    out_ << title << " : " << withLineFeeds(prompt) << '\n' << std::flush;
    return std::nullopt;
}

}  // namespace velmorane::platform
