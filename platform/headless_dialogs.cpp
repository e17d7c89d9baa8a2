#include "platform/headless_dialogs.h"

namespace velmorane::platform {
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
