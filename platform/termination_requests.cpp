#include "platform/termination_requests.h"

#include <array>
#include <atomic>

namespace velmorane::platform {
namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
// The control a signal stops; a lock-free atomic store is safe in a signal handler.
std::atomic<RunControl*> stoppedBySignal{nullptr};

extern "C" void askTermination(int)
{
    if (RunControl* control = stoppedBySignal.load()) control->requestStop();
}

}  // namespace

TerminationRequests::TerminationRequests()
{
    stoppedBySignal.store(this);
    struct sigaction action{};
    action.sa_handler = askTermination;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &previous_[i]);
}

TerminationRequests::~TerminationRequests()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
    stoppedBySignal.store(nullptr);
}

}  // namespace velmorane::platform
