#pragma once

#include "platform/progress.h"

#include <QElapsedTimer>

namespace velmorane::ui {

// Lets the window repaint and answer from inside a long loop. Loops call it once per folder or
// entry; past the first call it processes events at most every few milliseconds, so a loop over
// a hundred thousand small entries is not slowed by repainting.
class QtEventPump : public platform::EventPump {
public:
    void processEvents() override;

private:
    QElapsedTimer sinceLast_;
};

}  // namespace velmorane::ui
