#include "tests/execution/execution_harness.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

// Every kind of difference at once: new, changed and vanished files and folders, deep, hidden and
// read-only ones, links, and a changed file whose archive copy is read-only.
void makeWorkAndArchive(TempFolder& t)
{
    t.makeFile("outside/keep.txt", "hors de l'archive");
    t.makeFile("work/Docs/lettre.txt", "identique");
    t.makeFile("archive/Docs/lettre.txt", "identique");
    t.makeFile("work/Docs/changé.txt", "nouveau contenu", kTestTime + 60);
    t.makeFile("archive/Docs/changé.txt", "ancien", kTestTime);
    t.makeFile("work/Docs/verrou.txt", "neuf", kTestTime + 1);
    setMode(t.makeFile("archive/Docs/verrou.txt", "vieux", kTestTime), 0444);
    t.makeFile("work/Docs/.nouveau", "caché et nouveau");
    setMode(t.makeFile("work/Docs/lecture-seule.txt", "ro"), 0440);
    t.makeLink("work/Docs/lien", "lettre.txt", kTestTime - 50);
    t.makeLink("work/Docs/lien-change", "../outside/keep.txt", kTestTime + 5);
    t.makeLink("archive/Docs/lien-change", "lettre.txt", kTestTime);
    t.makeLink("archive/Docs/vers-dehors", t.path("outside"));
    setMode(t.makeFile("archive/Docs/perime.txt", "périmé"), 0444);

    t.makeFile("work/Neuf/Sous/Plus/Profond/fichier.bin", std::string(70000, 'x'), kTestTime - 3600);
    setMode(t.makeFile("work/Neuf/bloque/seul.txt", "lu seulement"), 0444);
    setMode(t.path("work/Neuf/bloque"), 0555);
    t.makeLink("work/Neuf/lien-dehors", "../../outside/keep.txt");
    t.setMtime("work/Neuf/Sous", kTestTime - 7);

    setMode(t.makeFile("archive/Vieux/Sous/bloque/f.txt", "x"), 0444);
    setMode(t.path("archive/Vieux/Sous/bloque"), 0555);
    t.makeLink("archive/Vieux/dehors", t.path("outside"));
}

TEST(Mirror, ActionOneMakesTheArchiveEqualToTheWorkFolderAndASecondRunFindsNothing)
{
    Mirror m;
    makeWorkAndArchive(m.tree);
    const auto outsideBefore = readTree(m.tree.path("outside"));

    const std::string outcome = asOrdinaryUser(m.tree, [&] {
        m.compare(1);
        const std::string built = counts(m.lists);
        m.execute();
        const std::string left = counts(m.lists);
        m.compare(1);
        return "built " + built + ", left " + left + ", second run " + counts(m.lists) + "\n" + m.messages();
    });

    EXPECT_EQ(outcome, "built 8 3 5, left 0 0 0, second run 0 0 0\n" + std::string(kReportOk));
    // Folders that received or lost entries get a new time; copied folders keep theirs.
    EXPECT_EQ(readTree(m.archive, FolderTimes::Left), readTree(m.work, FolderTimes::Left));
    EXPECT_EQ(readTree(m.tree.path("archive/Neuf")), readTree(m.tree.path("work/Neuf")));
    EXPECT_EQ(readTree(m.tree.path("outside")), outsideBefore);
}

// One entry in each list: a new file, a changed file, a file found only in the archive.
void makeOneOfEach(TempFolder& t)
{
    t.makeFile("work/nouveau.txt", "nouveau");
    t.makeFile("work/change.txt", "après", kTestTime + 1);
    t.makeFile("archive/change.txt", "avant");
    t.makeFile("archive/vieux.txt", "vieux");
}

TEST(ActionType, EachTypeExecutesOnlyItsOwnListsAndComparerChangesNothing)
{
    struct Case {
        std::int16_t typeAction;
        const char* listsLeft;
        const char* archive;  // its names, then the content of change.txt
    };
    for (const Case c : {Case{0, "1 1 1", "change.txt vieux.txt : avant"},
                         Case{1, "0 0 0", "change.txt nouveau.txt : après"},
                         Case{2, "0 1 1", "change.txt nouveau.txt vieux.txt : avant"},
                         Case{3, "1 1 0", "change.txt : avant"}, Case{4, "1 0 1", "change.txt vieux.txt : après"}}) {
        SCOPED_TRACE(c.typeAction);
        Mirror m;
        makeOneOfEach(m.tree);
        const auto before = readTree(m.tree.root());
        m.compare(c.typeAction);
        ASSERT_EQ(counts(m.lists), "1 1 1");

        m.execute();

        std::string archive;
        for (const auto& name : namesIn(m.archive)) archive += name + " ";
        EXPECT_EQ(archive + ": " + readFileBytes(m.archive + "/change.txt"), c.archive);
        EXPECT_EQ(counts(m.lists), c.listsLeft);
        EXPECT_EQ(m.messages(), c.typeAction == 0 ? "" : kReportOk);
        if (c.typeAction == 0) {
            EXPECT_EQ(readTree(m.tree.root()), before);
        }
    }
}

TEST(Direction, ArchiveToWorkMirrorsTheWorkFolderFromTheArchive)
{
    Mirror m;
    makeOneOfEach(m.tree);
    m.compare(1, 1);
    m.execute();

    EXPECT_EQ(readTree(m.work, FolderTimes::Left), readTree(m.archive, FolderTimes::Left));
    EXPECT_EQ(namesIn(m.work), (Names{"change.txt", "vieux.txt"}));
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

}  // namespace
}  // namespace velmorane::testing
