#include "tests/support/scripted_dialogs.h"
#include "profiles/filter_file.h"
#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::profiles {
namespace {

using Lines = std::vector<std::string>;

const Lines kFile = {
    "# every run",  "*.tmp",   "",          "  .cache/  ", "[Maison]", "node_modules/", "#*.log",
    "[ bureau ]",   "docs/*.pdf", "[]",     "orphelin",    "[Absent]", "absent.txt",   "[MAISON]", "Été*",
    "[abc",
};

TEST(FilterPatterns, GlobalLinesThenEverySectionOfTheProfileIgnoringCase)
{
    EXPECT_EQ(filterPatterns(kFile, "maison"), (Lines{"*.tmp", ".cache/", "node_modules/", "Été*", "[abc"}));
    EXPECT_EQ(filterPatterns(kFile, "Bureau"), (Lines{"*.tmp", ".cache/", "docs/*.pdf"}));
    EXPECT_EQ(filterPatterns(kFile, "Autre"), (Lines{"*.tmp", ".cache/"}));
    EXPECT_EQ(filterPatterns(kFile, ""), (Lines{"*.tmp", ".cache/"}));
}

TEST(FilterFile, AWindowsFileIsReadAsWrittenAndNoFileMeansNoPattern)
{
    testing::TempFolder tree;
    const std::string file = tree.makeFile("ArchFiltres.vlr", "*.tmp\r\n[Maison]\r\n\xC9t\xE9/\r\ncaf\xE9\r\n");
    const execution::RunFilters load = loadFilterFile(file, "MAISON");
    EXPECT_EQ(load.patterns, (Lines{"*.tmp", "Été/", "café"}));
    EXPECT_FALSE(load.failure);

    const execution::RunFilters none = loadFilterFile(tree.path("absent.vlr"), "Maison");
    EXPECT_TRUE(none.patterns.empty() && !none.failure);
}

TEST(FilterFile, AMillionLinesAreReadWhole)
{
    testing::TempFolder tree;
    std::string bytes;
    for (int i = 0; i < 1'000'000; ++i) bytes += "nom" + std::to_string(i) + "\n";
    const execution::RunFilters load = loadFilterFile(tree.makeFile("ArchFiltres.vlr", bytes), "Maison");
    ASSERT_EQ(load.patterns.size(), 1'000'000u);
    EXPECT_EQ(load.patterns.back(), "nom999999");
    EXPECT_TRUE(engine::Exclusions(load.patterns).leavesOut("a/NOM123456", false));
}

// "made" when a run with the filter file starts, or "none|title|text|critical" of its refusal.
std::string reported(const std::string& file)
{
    execution::MirrorRun run({"/", "/tmp", engine::Direction::WorkToArchive, engine::Action::Compare, {}, {}}, loadFilterFile(file, "Maison"));
    const auto refusal = run.prepare();
    if (!refusal) return "made";
    const platform::Message& box = refusal->message;
    return "none|" + box.title + "|" + box.text + "|" + (box.icon == platform::Icon::Critical ? "stop" : "other");
}

TEST(FilterFile, AFileThatCannotBeReadOrTrustedIsReportedAndGivesNoExclusions)
{
    testing::TempFolder tree;
    const std::string folder = tree.makeFolder("dossier/ArchFiltres.vlr");
    EXPECT_EQ(reported(folder), "none|Attention|Fichier de Filtres Incorrect\r\nest un dossier|stop");

    const std::string shared = tree.makeFile("partage/ArchFiltres.vlr", "*.tmp\n");
    ASSERT_EQ(::chmod(shared.c_str(), 0666), 0);
    EXPECT_EQ(reported(shared), "none|Attention|Fichier de Filtres Incorrect\r\n"
                                "Le fichier est modifiable par d'autres utilisateurs|stop");

    const std::string locked = tree.makeFile("ferme/ArchFiltres.vlr", "*.tmp\n");
    ASSERT_EQ(::chmod(locked.c_str(), 0200), 0);
    // Root reads any file: the unreadable case is seen as an ordinary user, who owns the tree.
    tree.chownAll(testing::kNobody, testing::kNobody);
    const std::string asUser = testing::inChild(
        [&] { return testing::becomeNobody() ? reported(locked) : std::string("could not become nobody"); });
    EXPECT_EQ(asUser, "none|Attention|Fichier de Filtres Incorrect\r\nPermission non accordée|stop");
}

}  // namespace
}  // namespace velmorane::profiles
