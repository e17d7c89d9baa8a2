#include "tests/support/scripted_dialogs.h"

namespace velmorane::platform {

Answer ScriptedDialogs::show(const Message& message)
{
    shown_.push_back(message);
    if (whileShown) whileShown(message);
    if (answers_.empty()) return message.defaultButton;
    const Answer answer = answers_.front();
    answers_.pop_front();
    return answer;
}

std::optional<std::string> ScriptedDialogs::inputBox(const std::string& prompt, const std::string& title,
                                                     const std::string& proposed)
{
    inputRequests_.push_back({prompt, title, proposed});
    if (inputs_.empty()) return std::nullopt;
    auto text = inputs_.front();
    inputs_.pop_front();
    return text;
}

}  // namespace velmorane::platform
