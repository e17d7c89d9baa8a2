#include "tests/packaging/system_tool.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

TEST(DesktopMetadata, TheMenuEntryPassesDesktopFileValidate)
{
    if (findOnPath("desktop-file-validate").empty()) GTEST_SKIP() << missingTool("desktop-file-validate", "desktop-file-utils");
    const auto run = runTool("desktop-file-validate", {"packaging/velmorane.desktop"});
    EXPECT_EQ(run.exitCode, 0);
    // It prints hints and warnings even when it accepts a file: the entry must have none.
    EXPECT_EQ(run.out + run.err, "");
}

TEST(DesktopMetadata, TheMetainfoPassesAppstreamValidation)
{
    if (findOnPath("appstreamcli").empty()) GTEST_SKIP() << missingTool("appstreamcli", "appstream");
    const auto run = runTool("appstreamcli", {"validate", "--no-net", "packaging/org.velmorane.Velmorane.metainfo.xml"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Validation was successful"), std::string::npos) << run.out;
}

}  // namespace
}  // namespace velmorane::testing
