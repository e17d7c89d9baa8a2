#include "platform/system_error.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <clocale>

namespace velmorane::platform {
namespace {

TEST(SystemReason, FrenchWhateverTheUsersLocaleAndEnglishWhenTheFrenchOneIsMissing)
{
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(systemError(EACCES).reason, "Permission non accordée");
    EXPECT_EQ(systemError(ENOSPC).reason, "Aucun espace disponible sur le périphérique");
    EXPECT_EQ(systemError(ENOENT).number, ENOENT);
    EXPECT_EQ(systemReason(ENOENT, "velmorane_XX.UTF-8"), "No such file or directory");
    EXPECT_EQ(systemReason(EACCES, "velmorane_XX.UTF-8"), "Permission denied");
}

}  // namespace
}  // namespace velmorane::platform
