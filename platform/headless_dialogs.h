#pragma once

#include "platform/dialogs.h"

#include <ostream>

namespace velmorane::platform {

// For runs without a display: every box becomes lines on the error stream and is answered with its
// default button (an "Erreur grave" question goes on), every input box is cancelled.
class HeadlessDialogs : public Dialogs {
public:
    explicit HeadlessDialogs(std::ostream& out) : out_(out) {}

    Answer show(const Message& message) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& proposed) override;

private:
    std::ostream& out_;
};

}  // namespace velmorane::platform
