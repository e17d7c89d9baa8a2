#include "platform/desktop_notice.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/session_bus.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace velmorane::platform {
namespace {

using testing::NotificationServer;
using testing::PrivateSessionBus;
using testing::ReceivedNotice;
using testing::ScopedEnvironment;

TEST(DesktopNotice, ReachesTheDaemonOfTheSessionBusWithItsTitleAndBody)
{
    if (const std::string why = PrivateSessionBus::whyNotAvailable(); !why.empty()) GTEST_SKIP() << why;
    PrivateSessionBus bus;
    const NotificationServer daemon(bus.address(), NotificationServer::Answers::Yes);
    const ScopedEnvironment environment({{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    EXPECT_EQ(sendDesktopNotice("Velmorane : profil Clé", "3 erreur(s)\n/rapports/Cl\\xc3\\xa9.txt"), std::nullopt);
    EXPECT_EQ(daemon.notices(),
              (std::vector<ReceivedNotice>{{"Velmorane : profil Clé", "3 erreur(s)\n/rapports/Cl\\xc3\\xa9.txt"}}));
    // Bytes that are not UTF-8 never reach libdbus, which would give up on the whole message.
    EXPECT_EQ(sendDesktopNotice("Velmorane : profil \xE9t\xE9", "x")->number, EILSEQ);
    EXPECT_EQ(daemon.notices().size(), 1u);
}

TEST(DesktopNotice, NoBusNoDaemonOrADaemonThatNeverAnswersIsAFailureReturnedInTime)
{
    if (const std::string why = PrivateSessionBus::whyNotAvailable(); !why.empty()) GTEST_SKIP() << why;
    testing::TempFolder tree;
    {
        const ScopedEnvironment environment({{"DBUS_SESSION_BUS_ADDRESS", std::string()}});
        EXPECT_EQ(sendDesktopNotice("t", "b")->number, ENOTCONN);
    }
    {
        const ScopedEnvironment environment({{"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + tree.path("absent")}});
        EXPECT_EQ(sendDesktopNotice("t", "b")->number, ENOTCONN);
    }
    PrivateSessionBus bus;
    const ScopedEnvironment environment({{"DBUS_SESSION_BUS_ADDRESS", bus.address()}});
    // A bus without a notification daemon answers at once that nobody has the name.
    EXPECT_EQ(sendDesktopNotice("t", "b")->number, EIO);
    const NotificationServer hanging(bus.address(), NotificationServer::Answers::Never);
    EXPECT_EQ(sendDesktopNotice("t", "b", 300)->number, ETIMEDOUT);
    EXPECT_EQ(hanging.notices(), (std::vector<ReceivedNotice>{{"t", "b"}}));
}

}  // namespace
}  // namespace velmorane::platform
