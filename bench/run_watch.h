#pragma once

#include "execution/run_driver.h"

#include <optional>

namespace velmorane::bench {

// Observes a measured run: it goes on after a failure, and remembers the first one.
class RunWatch : public execution::RunObserver {
public:
    bool continueAfterFailure(const execution::EntryFailure& failure) override
    {
        if (!firstFailure) firstFailure = failure;
        return true;
    }
    std::optional<execution::EntryFailure> firstFailure;
};

}  // namespace velmorane::bench
