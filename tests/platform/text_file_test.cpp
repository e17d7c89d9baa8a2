#include "platform/text_file.h"
#include "platform/file_operations.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

namespace velmorane::platform {
namespace {

using Lines = std::vector<std::string>;

class TextFile : public ::testing::Test {
protected:
    Lines read(const std::string& bytes)
    {
        tree.makeFile("f.txt", bytes);
        const auto lines = readTextLines(file);
        EXPECT_TRUE(lines.ok());
        return lines.value;
    }

    testing::TempFolder tree;
    std::string file = tree.path("f.txt");
};

TEST_F(TextFile, ReadsCrLfOrLfLinesAsUtf8WhenValidAndAsWindows1252OtherwiseWithoutAByteOrderMark)
{
    EXPECT_EQ(read("un\r\ndeux\ntrois\r\n\r\nquatre"), (Lines{"un", "deux", "trois", "", "quatre"}));
    EXPECT_EQ(read("\xC3\xA9t\xC3\xA9\r\n"), Lines{"été"});
    EXPECT_EQ(read("\xE9t\xE9 \x80 \x9C\r\n"), Lines{"été € œ"});
    EXPECT_EQ(read("\xEF\xBB\xBF 1 \r\n\xC3\xA9\r\n"), (Lines{" 1 ", "é"}));
}

TEST_F(TextFile, WritesCrLfInWindows1252WhenEveryCharacterFitsAndUtf8Otherwise)
{
    ASSERT_FALSE(writeTextFileAtomically(file, {"à €", "b"}));
    EXPECT_EQ(testing::readFileBytes(file), "\xE0 \x80\r\nb\r\n");
    ASSERT_FALSE(writeTextFileAtomically(file, {"à", "Ω"}));
    EXPECT_EQ(testing::readFileBytes(file), "\xC3\xA0\r\n\xCE\xA9\r\n");
    EXPECT_EQ(readTextLines(file).value, (Lines{"à", "Ω"}));
}

TEST_F(TextFile, ReplacesTheFileALinkPointsToAndLeavesAReadOnlyFileAlone)
{
    tree.makeFile("vrai.txt", "ancien\r\n");
    tree.makeLink("lien.txt", "vrai.txt");
    ASSERT_FALSE(writeTextFileAtomically(tree.path("lien.txt"), {"nouveau"}));
    EXPECT_EQ(testing::readFileBytes(tree.path("vrai.txt")), "nouveau\r\n");
    EXPECT_EQ(lookUp(tree.path("lien.txt")).value, EntryKind::Link);

    ::chmod(tree.path("vrai.txt").c_str(), 0444);
    const auto error = writeTextFileAtomically(tree.path("vrai.txt"), {"refusé"});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, EACCES);
    EXPECT_EQ(testing::readFileBytes(tree.path("vrai.txt")), "nouveau\r\n");
    EXPECT_EQ(testing::readTree(tree.root()).size(), 2u);
}

}  // namespace
}  // namespace velmorane::platform
