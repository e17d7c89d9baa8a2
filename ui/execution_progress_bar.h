#pragma once

#include "execution/executor.h"

#include <QElapsedTimer>
#include <QProgressBar>

namespace velmorane::ui {

// Shows how far an execution is in a progress bar: the share done, the entries, and the bytes when
// there are any to copy.
void showExecutionProgress(QProgressBar& bar, const execution::ExecutionProgress& progress);

// Says when a step of an execution is worth drawing: at most every 50 ms, and always the last one,
// so a long list of small files costs no time.
class ProgressPace {
public:
    bool due(const execution::ExecutionProgress& progress);

private:
    static constexpr qint64 kIntervalMs = 50;
    QElapsedTimer sinceShown_;
};

}  // namespace velmorane::ui
