#pragma once

#include "platform/dialogs.h"

#include <deque>
#include <functional>
#include <vector>

namespace velmorane::platform {

// Answers from a queue and records every box, so a test can assert each message exactly.
// With the queue empty a box gets its default button and an input box is cancelled.
class ScriptedDialogs : public Dialogs {
public:
    struct InputRequest {
        std::string prompt, title, proposed;
    };

    void queueAnswer(Answer answer) { answers_.push_back(answer); }
    void queueInput(std::optional<std::string> text) { inputs_.push_back(std::move(text)); }

    Answer show(const Message& message) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& proposed) override;

    const std::vector<Message>& shown() const { return shown_; }
    // Called with each box before it is answered, as what happens while a person reads it.
    std::function<void(const Message&)> whileShown;
    const std::vector<InputRequest>& inputRequests() const { return inputRequests_; }
    void clear() { shown_.clear(); inputRequests_.clear(); }

private:
    std::deque<Answer> answers_;
    std::deque<std::optional<std::string>> inputs_;
    std::vector<Message> shown_;
    std::vector<InputRequest> inputRequests_;
};

}  // namespace velmorane::platform
