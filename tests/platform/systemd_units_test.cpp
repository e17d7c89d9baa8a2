#include "platform/systemd_units.h"
#include "tests/support/child_process.h"

#include <gtest/gtest.h>

namespace velmorane::platform {
namespace {

// The escaping of systemd's own tool, whose names the user manager expects.
std::string systemdEscape(const std::vector<std::string>& arguments)
{
    const auto run = testing::runProgram("/usr/bin/systemd-escape", arguments, "/");
    return run.out.substr(0, run.out.find('\n'));
}

TEST(SystemdUnitNames, EscapeTextsAndPathsAsSystemdEscapeDoes)
{
    if (::access("/usr/bin/systemd-escape", X_OK) != 0) GTEST_SKIP() << "systemd-escape is not installed (package systemd)";
    for (const std::string name : {"Maison", "L'été \"2026\" / clé", ".caché", "a-b_c:d.e", "Sauvegarde $HOME 100%",
                                   "tab\there", "\\back\\slash"}) {
        EXPECT_EQ(escapedUnitText(name), systemdEscape({name})) << name;
    }
    for (const std::string path : {"/media/ana/MA CLÉ", "/media/ana/clé-usb/", "/", "//mnt//x"}) {
        EXPECT_EQ(escapedUnitPath(path), systemdEscape({"--path", path})) << path;
    }
}

}  // namespace
}  // namespace velmorane::platform
