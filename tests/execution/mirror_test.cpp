#include "tests/execution/execution_harness.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

using execution::reportExecution;

// Every kind of difference at once: new, changed and vanished files and folders, deep ones, hidden
// ones, read-only ones, links, and a changed file whose archive copy is read-only.
void makeWorkAndArchive(Mirror& m)
{
    TempFolder& t = m.tree;
    t.makeFile("outside/keep.txt", "hors de l'archive");
    for (const char* side : {"work/", "archive/"}) {
        const std::string s = side;
        t.makeFile(s + "Docs/lettre.txt", "identique");
        t.makeFile(s + "Docs/.config", "cachée");
    }
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
    t.makeFile("work/Neuf/.cachee/x", "");
    t.makeLink("work/Neuf/lien-dehors", "../../outside/keep.txt");
    t.makeFile("work/1/2/3/4/5/6/7/8/9/10/11/12/f.txt", "profond");
    t.setMtime("work/Neuf/Sous", kTestTime - 7);

    setMode(t.makeFile("archive/Vieux/Sous/bloque/f.txt", "x"), 0444);
    setMode(t.path("archive/Vieux/Sous/bloque"), 0555);
    t.makeLink("archive/Vieux/dehors", t.path("outside"));
}

TEST(Mirror, ActionOneMakesTheArchiveEqualToTheWorkFolderAndASecondRunFindsNothing)
{
    Mirror m;
    makeWorkAndArchive(m);
    const auto outsideBefore = readTree(m.tree.path("outside"));

    const std::string outcome = asOrdinaryUser(m.tree, [&] {
        m.compare(1);
        const std::string built = counts(m.lists);
        const auto report = m.execute();
        reportExecution(report, m.settings.flags, m.dialogs);
        const std::string left = counts(m.lists);
        m.compare(1);
        return "built " + built + ", left " + left + ", second run " + counts(m.lists) + "\n" + m.messages();
    });

    EXPECT_EQ(outcome, "built 21 3 5, left 0 0 0, second run 0 0 0\n"
                       "Rapport d'activité|Exécution terminée correctement !\n");
    // Folders that received or lost entries get a new time; copied folders keep theirs.
    EXPECT_EQ(readTree(m.archive, FolderTimes::Left), readTree(m.work, FolderTimes::Left));
    EXPECT_EQ(readTree(m.tree.path("archive/Neuf")), readTree(m.tree.path("work/Neuf")));
    EXPECT_EQ(readTree(m.tree.path("outside")), outsideBefore);
}

}  // namespace
}  // namespace velmorane::testing
