#include "engine/mass_change_guard.h"

#include <gtest/gtest.h>

namespace velmorane::engine {
namespace {

TEST(MassChangeGuard, MoreThanHalfOfTheDestinationAndMoreThanFiftyFilesAreRefused)
{
    EXPECT_TRUE(isMassChange(600, 1000));
    EXPECT_TRUE(isMassChange(51, 101));
    // Exactly half, or fifty files however few the destination holds, still go through.
    EXPECT_FALSE(isMassChange(500, 1000));
    EXPECT_FALSE(isMassChange(50, 51));
    EXPECT_FALSE(isMassChange(0, 0));
}

TEST(MassChangeGuard, EveryFileOfADestinationIsNeverDeletedOrReplacedHoweverFewItHolds)
{
    EXPECT_TRUE(isMassChange(40, 40));
    EXPECT_TRUE(isMassChange(1, 1));
    EXPECT_FALSE(isMassChange(39, 40));
}

}  // namespace
}  // namespace velmorane::engine
