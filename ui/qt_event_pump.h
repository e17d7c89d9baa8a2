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
    bool stopRequested() const override { return stopRequested_; }
    // The user asked the execution in progress to stop; cleared when the next one starts.
    void requestStop() { stopRequested_ = true; }
    void clearStop() { stopRequested_ = false; }

private:
    QElapsedTimer sinceLast_;
    bool stopRequested_ = false;
};

}  // namespace velmorane::ui
