#include "platform/termination_requests.h"

#include <gtest/gtest.h>

#include <csignal>

namespace velmorane::platform {
namespace {

TEST(TerminationRequests, ASignalToEndAsksTheRunToStopAndTheHandlersComeBackAfterwards)
{
    {
        const TerminationRequests requests;
        EXPECT_FALSE(requests.stopRequested());
        ASSERT_EQ(std::raise(SIGTERM), 0);
        EXPECT_TRUE(requests.stopRequested());
    }
    const TerminationRequests fresh;
    EXPECT_FALSE(fresh.stopRequested()) << "each run starts without a request";
    ASSERT_EQ(std::raise(SIGHUP), 0);
    EXPECT_TRUE(fresh.stopRequested());
}

TEST(TerminationRequests, ThePreviousHandlerIsRestored)
{
    struct sigaction before{};
    ::sigaction(SIGINT, nullptr, &before);
    { const TerminationRequests requests; }
    struct sigaction after{};
    ::sigaction(SIGINT, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace velmorane::platform
