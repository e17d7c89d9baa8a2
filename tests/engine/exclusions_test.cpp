#include "engine/exclusions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmorane::engine {
namespace {

struct Entry {
    std::string path;
    bool isFolder;
};

// The entries of a list that the exclusions leave out, in the list's order.
std::vector<std::string> leftOut(const Exclusions& exclusions, const std::vector<Entry>& entries)
{
    std::vector<std::string> out;
    for (const Entry& entry : entries) {
        if (exclusions.leavesOut(entry.path, entry.isFolder)) out.push_back(entry.path);
    }
    return out;
}

TEST(Exclusions, VolumeFoldersOnlyAtTheTopAndOnlyAsFolders)
{
    const std::vector<Entry> entries = {
        {"lost+found", true},       {"LOST+FOUND", true},      {".Trash", true},
        {".Trash-1000", true},      {".trash-0", true},        {".Trash-", true},
        {".Trash-notes", true},     {"System Volume Information", true},
        {"$Recycle.Bin", true},     {"$RECYCLE.BIN", false},   {"lost+found", false},
        {"a/lost+found", true},     {"a/.Trash-1000", true},   {"Documents", true},
        {"", true},
    };
    EXPECT_EQ(leftOut(Exclusions(), entries),
              (std::vector<std::string>{"lost+found", "LOST+FOUND", ".Trash", ".Trash-1000", ".trash-0",
                                        "System Volume Information", "$Recycle.Bin"}));
}

TEST(Exclusions, AnExactFolderIsLeftOutAsWrittenAndNoOtherEntry)
{
    Exclusions exclusions;
    exclusions.leaveOutFolder("a/b");
    const std::vector<Entry> entries = {
        {"a/b", true}, {"a/B", true}, {"a/b", false}, {"x/a/b", true}, {"a", true}, {"a/bc", true}, {"b", true},
    };
    EXPECT_EQ(leftOut(exclusions, entries), std::vector<std::string>{"a/b"});
}

TEST(Exclusions, NamePathAndFolderOnlyPatternsIgnoringCase)
{
    const Exclusions exclusions({"node_modules/", "*.TMP", "*.tar.gz", "cache?", "[ab]*.log", "docs/*/build",
                                 "/top.txt", "Été", "brouillon*/"});
    const std::vector<Entry> entries = {
        {"node_modules", true},  {"x/NODE_MODULES", true}, {"node_modules", false},  {"a.tmp", false},
        {"deep/b/C.Tmp", false}, {".tmp", false},          {"a.tmp.txt", false},     {"s.TAR.GZ", false},
        {"s.gz", false},         {"cache1", true},         {"cache", true},          {"Alpha.log", false},
        {"c.log", false},        {"docs/v1/build", true},  {"docs/v1/x/build", true}, {"x/docs/v1/build", true},
        {"top.txt", false},      {"a/top.txt", false},     {"ÉTÉ", false},           {"été/x", true},
        {"Brouillons", true},    {"brouillons", false},    {"", true},
    };
    EXPECT_EQ(leftOut(exclusions, entries),
              (std::vector<std::string>{"node_modules", "x/NODE_MODULES", "a.tmp", "deep/b/C.Tmp", ".tmp",
                                        "s.TAR.GZ", "cache1", "Alpha.log", "docs/v1/build", "top.txt", "ÉTÉ",
                                        "Brouillons"}));
}

TEST(Exclusions, OddPatternsAreTakenAsWrittenOrIgnored)
{
    const std::string invalidUtf8 = "caf\xE9";
    const Exclusions exclusions({"[abc", "/", "//", "", "*", invalidUtf8, "a\\"});
    EXPECT_TRUE(exclusions.leavesOut("anything", false));
    EXPECT_FALSE(exclusions.leavesOut("", true));

    const Exclusions literal({"[abc", invalidUtf8, "/", ""});
    const std::vector<Entry> entries = {
        {"[abc", false}, {"a", false}, {"CAF\xE9", false}, {"caf\xC9", false}, {"x/y", true},
    };
    EXPECT_EQ(leftOut(literal, entries), (std::vector<std::string>{"[abc", "CAF\xE9"}));

    // Escapes and literal brackets keep their glob meaning.
    const Exclusions escaped({"\\[draft\\]*", "a]b", "docs/*", "*x?"});
    const std::vector<Entry> more = {
        {"[Draft] plan", false}, {"d plan", false}, {"A]B", false}, {"docs/a", false},
        {"docs/a/b", false},     {"docs", true},    {"boxe", false}, {"x", false},
    };
    EXPECT_EQ(leftOut(escaped, more), (std::vector<std::string>{"[Draft] plan", "A]B", "docs/a", "boxe"}));
}

TEST(Exclusions, AQuestionMarkIsOneCharacterWhateverTheProcessLocale)
{
    // The tests run in the "C" locale, as a scheduled run started by cron does.
    const Exclusions exclusions({"?t?", "r[éè]union/", "docs/?t?/*"});
    const std::vector<Entry> entries = {
        {"Été", false}, {"étés", false}, {"RÉunion", true}, {"Rèunion", false}, {"docs/été/x", false},
    };
    EXPECT_EQ(leftOut(exclusions, entries), (std::vector<std::string>{"Été", "RÉunion", "docs/été/x"}));
}

}  // namespace
}  // namespace velmorane::engine
