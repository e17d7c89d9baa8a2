#pragma once

#include "execution/outcome_texts.h"

#include <optional>
#include <string>

namespace velmorane::ui {

enum class Icon { None, Information, Warning, Critical, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct Message {
    std::string text;  // lines joined by line feeds
    std::string title = execution::kApplicationTitle;
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
    Answer defaultButton = Answer::Ok;
};

// Message boxes, questions and the input box, as the window asks them.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Answer show(const Message& message) = 0;
    // The typed text, or nothing when the box is cancelled.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& proposed) = 0;
};

Message stopMessage(std::string text, std::string title);

// A message's lines joined by line feeds alone, as a terminal or a label shows them.
std::string withLineFeeds(std::string text);
Message question(std::string text, std::string title, Icon icon);

}  // namespace velmorane::ui
