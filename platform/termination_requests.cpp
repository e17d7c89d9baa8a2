#include "platform/termination_requests.h"

#include <array>

namespace velmorane::platform {
namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGINT, SIGHUP};
volatile std::sig_atomic_t terminationAsked = 0;

extern "C" void askTermination(int)
{
    terminationAsked = 1;
}

}  // namespace

TerminationRequests::TerminationRequests()
{
    terminationAsked = 0;
    struct sigaction action{};
    action.sa_handler = askTermination;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &action, &previous_[i]);
}

TerminationRequests::~TerminationRequests()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i) ::sigaction(kSignals[i], &previous_[i], nullptr);
}

bool TerminationRequests::stopRequested() const
{
    return terminationAsked != 0;
}

}  // namespace velmorane::platform
