#pragma once

#include "platform/progress.h"

#include <QElapsedTimer>

namespace velmorane::ui {

// Lets the window repaint and answer while a run reports to it: at each label it shows and each
// piece of a large copy. Past the first call it processes events at most every few milliseconds,
// so a run over a hundred thousand small entries is not slowed by repainting.
class QtEventPump : public platform::RunControl {
public:
    void processEvents();
    void pieceCopied() override { processEvents(); }

private:
    QElapsedTimer sinceLast_;
};

}  // namespace velmorane::ui
