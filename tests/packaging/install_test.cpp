#include "tests/packaging/system_tool.h"
#include "tests/support/qt_application.h"
#include "tests/support/test_tree.h"
#include "ui/pictures.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace velmorane::testing {
namespace {

const int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

std::string pngPath(int size)
{
    const std::string side = std::to_string(size);
    return "share/icons/hicolor/" + side + "x" + side + "/apps/velmorane.png";
}

std::vector<std::string> installedFiles(const std::string& prefix)
{
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(prefix)) {
        if (!entry.is_directory()) files.push_back(entry.path().lexically_relative(prefix).string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The value of a "Key=" line of a desktop entry, "" when absent.
std::string desktopValue(const std::string& entry, const std::string& key)
{
    std::istringstream lines(entry);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
    }
    return "";
}

// The text of the first element of that name in an XML file.
std::string elementText(const std::string& xml, const std::string& element)
{
    const auto begin = xml.find('>', xml.find("<" + element)) + 1;
    return xml.substr(begin, xml.find("</" + element + ">", begin) - begin);
}

class Installation : public ::testing::Test {
protected:
    Installation()
    {
        install = runProgram(CMAKE_COMMAND, {"--install", VELMORANE_BUILD_DIR, "--prefix", prefix.root()},
                             VELMORANE_BUILD_DIR);
    }

    std::string installed(const std::string& relative) const { return readFileBytes(prefix.path(relative)); }

    TempFolder prefix;
    ProgramRun install;
};

TEST_F(Installation, PutsTheProgramAndItsDesktopFilesInPlace)
{
    ASSERT_EQ(install.exitCode, 0) << install.err;
    std::vector<std::string> expected{"bin/velmorane", "share/applications/velmorane.desktop",
                                      "share/doc/velmorane/copyright",
                                      "share/icons/hicolor/scalable/apps/velmorane.svg",
                                      "share/man/man1/velmorane.1.gz",
                                      "share/metainfo/org.velmorane.Velmorane.metainfo.xml"};
    for (const int size : kIconSizes) expected.push_back(pngPath(size));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(installedFiles(prefix.root()), expected);

    // The menu entry and the metadata name what is installed.
    const std::string entry = installed("share/applications/velmorane.desktop");
    EXPECT_EQ(desktopValue(entry, "Exec"), "velmorane");
    EXPECT_EQ(desktopValue(entry, "Icon"), "velmorane");
    const std::string metainfo = installed("share/metainfo/org.velmorane.Velmorane.metainfo.xml");
    EXPECT_EQ(elementText(metainfo, "id"), "org.velmorane.Velmorane");
    EXPECT_EQ(elementText(metainfo, "launchable"), "velmorane.desktop");
    EXPECT_EQ(elementText(metainfo, "binary"), "velmorane");
    EXPECT_EQ(elementText(metainfo, "project_license"), "GPL-3.0-or-later");
    // The licence in the machine-readable form Debian reads.
    const std::string copyright = installed("share/doc/velmorane/copyright");
    EXPECT_TRUE(copyright.starts_with("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"));
    EXPECT_NE(copyright.find("\n\nFiles: *\nCopyright: 2026 Velmorane maintainers\nLicense: GPL-3+\n"),
              std::string::npos);
    EXPECT_NE(copyright.find("\n\nLicense: GPL-3+\n"), std::string::npos);
}

TEST_F(Installation, IconsAreTheWindowIconAtEachSize)
{
    ASSERT_EQ(install.exitCode, 0) << install.err;
    ensureQtApplication();
    for (const int size : kIconSizes) {
        const QImage icon(QString::fromStdString(prefix.path(pngPath(size))));
        EXPECT_EQ(icon.size(), QSize(size, size));
        EXPECT_EQ(icon.convertToFormat(QImage::Format_ARGB32),
                  ui::windowIconPixmap(size).toImage().convertToFormat(QImage::Format_ARGB32))
            << size;
    }
    const std::string svg = installed("share/icons/hicolor/scalable/apps/velmorane.svg");
    EXPECT_NE(svg.find("viewBox=\"0 0 32 32\""), std::string::npos) << svg;
}

}  // namespace
}  // namespace velmorane::testing
