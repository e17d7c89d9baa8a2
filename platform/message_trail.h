#pragma once

#include "platform/dialogs.h"

#include <string>

namespace velmorane::platform {

// Passes every box on and keeps the text of the last one shown, so that a run that stopped can
// say why in its journal.
class MessageTrail : public Dialogs {
public:
    explicit MessageTrail(Dialogs& dialogs) : dialogs_(dialogs) {}

    Answer show(const Message& message) override
    {
        lastText_ = message.text;
        return dialogs_.show(message);
    }
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& proposed) override
    {
        return dialogs_.inputBox(prompt, title, proposed);
    }

    const std::string& lastText() const { return lastText_; }

private:
    Dialogs& dialogs_;
    std::string lastText_;
};

}  // namespace velmorane::platform
