#pragma once

#include "platform/progress.h"

#include <csignal>

namespace velmorane::platform {

// A run without a window stops between two files when it is asked to end (SIGTERM from
// `systemctl --user stop` or from a key's mount going away, SIGINT, SIGHUP), so that it ends as an
// interrupted run with its journal entry, report and notice instead of being killed mid-file.
// The previous handlers come back with the object's end.
class TerminationRequests : public RunControl {
public:
    TerminationRequests();
    ~TerminationRequests() override;
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;

private:
    struct sigaction previous_[3];
};

}  // namespace velmorane::platform
