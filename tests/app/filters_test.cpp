#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace velmorane::testing {
namespace {

// Three profiles over the same two folders, and a filter file with a global part and a section for
// two of them (a third section names no profile).
class FilteredRuns : public ::testing::Test {
protected:
    FilteredRuns()
    {
        for (const char* file : {"a.txt", "b.tmp", "Notes.TXT", "cache/c.txt", "docs/draft.md", "docs/final.md",
                                 "sub/tmpdir"}) {
            tree.makeFile(std::string("travail/") + file, "w");
        }
        for (const char* file : {"old.TMP", "gone.txt", "cache/x.txt", "tmpdir/z.txt"}) {
            tree.makeFile(std::string("archive/") + file, "a");
        }
        // Alike on both sides: an unattended run never deletes or replaces every file.
        tree.makeFile("travail/garde.txt", "g");
        tree.makeFile("archive/garde.txt", "g");
        tree.makeFolder("archive/docs");
        tree.makeFolder("archive/sub");
        tree.makeFile("ArchProfils.vlr", " 3 \r\n" + profileRecord("Un", work, archive) +
                                             profileRecord("Deux", work, archive) + profileRecord("Trois", work, archive));
        tree.makeFile("ArchFiltres.vlr", "# pour tous\r\n*.tmp\r\n\r\n[un]\r\nnotes.txt\r\ncache/\r\n"
                                         "[DEUX]\r\ndocs/draft.md\r\ntmpdir/\r\n[Absent]\r\na.txt\r\n");
    }

    ProgramRun velmorane(const std::vector<std::string>& arguments)
    {
        return runProgram(VELMORANE_BINARY, arguments, tree.root());
    }

    std::string added(const std::string& path) const { return fileEntry(work + "/" + path, 1); }
    std::string deleted(const std::string& path) const { return fileEntry(archive + "/" + path, 1); }

    TempFolder tree;
    std::string work = tree.path("travail");
    std::string archive = tree.path("archive");
};

TEST_F(FilteredRuns, EachProfileLeavesOutItsOwnPatternsAndTheGlobalOnesOnBothSides)
{
    const auto un = velmorane({"--liste", "un"});
    EXPECT_EQ(un.exitCode, 0) << un.err;
    EXPECT_EQ(un.out, "Dossier(s) et Fichier(s) à Ajouter ( 4 ) =>\n" + added("a.txt") + "\n" +
                          added("docs/draft.md") + "\n" + added("docs/final.md") + "\n" + added("sub/tmpdir") +
                          "\nFichier(s) à Modifier ( 0) =>\n"
                          "Dossier(s) et Fichier(s) à Supprimer ( 2 ) =>\n" + archive + "/tmpdir/ **Dossier\n" +
                          deleted("gone.txt") + "\n");

    // Deux leaves out the folder tmpdir/ but not the file sub/tmpdir, and only the draft of docs.
    const auto deux = velmorane({"--liste", "Deux"});
    EXPECT_EQ(deux.exitCode, 0) << deux.err;
    EXPECT_EQ(deux.out, "Dossier(s) et Fichier(s) à Ajouter ( 5 ) =>\n" + added("a.txt") + "\n" +
                            added("Notes.TXT") + "\n" + added("cache/c.txt") + "\n" + added("docs/final.md") + "\n" +
                            added("sub/tmpdir") +
                            "\nFichier(s) à Modifier ( 0) =>\n"
                            "Dossier(s) et Fichier(s) à Supprimer ( 2 ) =>\n" + deleted("gone.txt") + "\n" +
                            deleted("cache/x.txt") + "\n");

    const auto trois = velmorane({"--liste", "TROIS"});
    EXPECT_EQ(trois.exitCode, 0) << trois.err;
    EXPECT_EQ(trois.out, "Dossier(s) et Fichier(s) à Ajouter ( 6 ) =>\n" + added("a.txt") + "\n" +
                             added("Notes.TXT") + "\n" + added("cache/c.txt") + "\n" + added("docs/draft.md") + "\n" +
                             added("docs/final.md") + "\n" + added("sub/tmpdir") +
                             "\nFichier(s) à Modifier ( 0) =>\n"
                             "Dossier(s) et Fichier(s) à Supprimer ( 3 ) =>\n" + archive + "/tmpdir/ **Dossier\n" +
                             deleted("gone.txt") + "\n" + deleted("cache/x.txt") + "\n");

    // Executed unattended, Un copies and deletes exactly what it listed.
    const auto run = velmorane({"Un", "X"});
    EXPECT_EQ(std::make_tuple(run.exitCode, run.err), std::make_tuple(0, std::string()));
    std::vector<std::string> names;
    for (const std::string& line : readTree(archive, FolderTimes::Left)) {
        names.push_back(line.substr(0, line.find('|')));
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "cache/", "cache/x.txt", "docs/", "docs/draft.md",
                                               "docs/final.md", "garde.txt", "old.TMP", "sub/", "sub/tmpdir"}));
}

TEST_F(FilteredRuns, AFilterFileThatCannotBeUsedStopsEveryKindOfRunBeforeItReadsAFolder)
{
    ASSERT_EQ(::chmod(tree.path("ArchFiltres.vlr").c_str(), 0666), 0);
    const auto workBefore = readTree(work);
    const auto archiveBefore = readTree(archive);
    const std::string message =
        "Attention : Fichier de Filtres Incorrect\nLe fichier est modifiable par d'autres utilisateurs\n";
    const auto listed = velmorane({"--liste", "Un"});
    EXPECT_EQ(std::make_tuple(listed.exitCode, listed.out, listed.err), std::make_tuple(2, std::string(), message));
    const auto run = velmorane({"Un", "X"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.starts_with(message)) << run.err;
    EXPECT_EQ(readTree(work), workBefore);
    EXPECT_EQ(readTree(archive), archiveBefore);
}

}  // namespace
}  // namespace velmorane::testing
