#include "tests/execution/execution_harness.h"

#include <gtest/gtest.h>

#include <ostream>

namespace velmorane::execution {

bool operator==(const ExecutionProgress& a, const ExecutionProgress& b)
{
    return a.entriesDone == b.entriesDone && a.entriesTotal == b.entriesTotal && a.bytesDone == b.bytesDone &&
           a.bytesTotal == b.bytesTotal;
}

void PrintTo(const ExecutionProgress& p, std::ostream* out)
{
    *out << "{" << p.entriesDone << "/" << p.entriesTotal << ", " << p.bytesDone << "/" << p.bytesTotal << "}";
}

}  // namespace velmorane::execution

namespace velmorane::testing {
namespace {

using execution::ExecutionProgress;

// Each step moves on by one entry and never passes its total.
void expectSteadySteps(const std::vector<ExecutionProgress>& steps)
{
    for (std::size_t i = 0; i < steps.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(steps[i].entriesDone, i + 1);
        EXPECT_LE(steps[i].entriesDone, steps[i].entriesTotal);
        EXPECT_LE(steps[i].bytesDone, steps[i].bytesTotal);
        if (i > 0) {
            EXPECT_GE(steps[i].bytesDone, steps[i - 1].bytesDone);
        }
    }
}

// The count and the total both measure the sizes the comparison listed: files that grew since, a
// move that copies nothing and a folder whose copy failed and whose content was then copied entry
// by entry all end the bar at its total.
TEST(Progress, TheBytesDoneEndAtTheListedTotalWhateverTheExecutionCopies)
{
    Mirror m;
    m.tree.makeFile("work/neuf.txt", 1000);
    m.tree.makeFile("work/change.txt", 2000, kTestTime + 60);
    m.tree.makeFile("archive/change.txt", 10);
    m.tree.makeFile("work/nouveau nom.bin", std::string(3000, 'm'));
    m.tree.makeFile("archive/ancien nom.bin", std::string(3000, 'm'));
    m.tree.makeFile("work/Dossier/a.txt", 100);
    m.tree.makeFile("work/Dossier/Sous/b.txt", 200);
    m.tree.makeFile("archive/Vieux/c.txt", 400);

    const ino_t moved = inodeOf(m.archive + "/ancien nom.bin");

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "4 1 2");  // a new folder's files come with it
    m.tree.makeFile("work/neuf.txt", 5000);
    m.tree.makeFile("work/change.txt", 9000, kTestTime + 60);
    // A folder of that name made in the archive since: its copy fails, Oui goes on with its content.
    m.tree.makeFolder("archive/Dossier");
    m.dialogs.queueAnswer(testing::Answer::Yes);
    m.execute();

    const auto& steps = m.counters.progress;
    expectSteadySteps(steps);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), (ExecutionProgress{7, 7, 6300, 6300}));
    EXPECT_EQ(m.messages(), question("17 - Le fichier existe", m.work + "/Dossier/", m.archive + "/Dossier/") +
                                reportFailures(1));
    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(readFileBytes(m.archive + "/neuf.txt").size(), 5000U);
    EXPECT_EQ(inodeOf(m.archive + "/nouveau nom.bin"), moved);
    EXPECT_EQ(namesIn(m.archive), (Names{"Dossier", "change.txt", "neuf.txt", "nouveau nom.bin"}));
    EXPECT_EQ(namesIn(m.archive + "/Dossier"), Names{"Sous"});
}

// Selects the entries of a list whose destination ends as given.
void select(execution::TaskList& list, const std::string& ending)
{
    for (std::size_t i = 0; i < list.count(); ++i) {
        if (list.entry(i).destPath.ends_with(ending)) list.setSelected(i, true);
    }
}

// A folder chosen whole takes along the folders listed inside it, chosen or not: they count in the
// total and are passed with it, also when its copy failed and they stay where they were.
TEST(Progress, TheFoldersInsideAChosenFolderCountWithItChosenOrNot)
{
    Mirror deleted;
    deleted.tree.makeFile("work/garde.txt", "gardé");  // an empty work folder would stop the run
    deleted.tree.makeFile("archive/garde.txt", "gardé");
    deleted.tree.makeFile("archive/Vieux/Sous/c.txt", 400);
    deleted.tree.makeFile("archive/Autre/d.txt", 500);
    deleted.compare(Action::Update);
    EXPECT_EQ(counts(deleted.lists), "0 0 3");
    deleted.choice.deletionsSelectedChosen = true;
    select(deleted.lists.deleteList(), "/Vieux/");
    deleted.execute();
    expectSteadySteps(deleted.counters.progress);
    EXPECT_EQ(deleted.counters.progress, (std::vector<ExecutionProgress>{{1, 2, 0, 0}, {2, 2, 0, 0}}));
    EXPECT_EQ(namesIn(deleted.archive), (Names{"Autre", "garde.txt"}));

    Mirror added;
    added.tree.makeFile("work/Dossier/Sous/b.txt", 200);
    added.tree.makeFile("work/Dossier/a.txt", 100);
    added.compare(Action::Update);
    EXPECT_EQ(counts(added.lists), "2 0 0");
    added.tree.makeFolder("archive/Dossier");
    added.dialogs.queueAnswer(testing::Answer::Yes);
    added.choice.addsSelectedChosen = true;
    select(added.lists.addList(), "/Dossier/");
    added.execute();
    EXPECT_EQ(added.counters.progress, (std::vector<ExecutionProgress>{{1, 2, 300, 300}, {2, 2, 300, 300}}));
    EXPECT_EQ(counts(added.lists), "1 0 0");
    EXPECT_TRUE(namesIn(added.archive + "/Dossier").empty());
}

}  // namespace
}  // namespace velmorane::testing
