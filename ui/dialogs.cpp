#include "ui/dialogs.h"

namespace velmorane::ui {

Message stopMessage(std::string text, std::string title)
{
    return Message{std::move(text), std::move(title), Icon::Critical, Buttons::Ok, Answer::Ok};
}

std::string withLineFeeds(std::string text)
{
    std::erase(text, '\r');
    return text;
}

Message question(std::string text, std::string title, Icon icon)
{
    return Message{std::move(text), std::move(title), icon, Buttons::YesNo, Answer::Yes};
}

}  // namespace velmorane::ui
