#include "tests/execution/execution_harness.h"

#include "platform/text_file.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

using platform::fileExists;

// One entry in each list: a new file, a changed file, a file found only in the archive.
void makeOneOfEach(Mirror& m)
{
    m.tree.makeFile("work/nouveau.txt", "nouveau");
    m.tree.makeFile("work/change.txt", "après", kTestTime + 1);
    m.tree.makeFile("archive/change.txt", "avant");
    m.tree.makeFile("archive/vieux.txt", "vieux");
}

struct ActionCase {
    std::int16_t typeAction;
    bool adds, replaces, deletes;
};

class ActionType : public ::testing::TestWithParam<ActionCase> {};

TEST_P(ActionType, ExecutesItsOwnListsAndLeavesTheOthersAsBuilt)
{
    const ActionCase c = GetParam();
    Mirror m;
    makeOneOfEach(m);
    m.compare(c.typeAction);
    const auto ajout = texts(m.lists.fichAjout), modif = texts(m.lists.fichModif), suppr = texts(m.lists.fichSuppr);
    ASSERT_EQ(counts(m.lists), "1 1 1");

    m.execute();

    EXPECT_EQ(fileExists(m.archive + "/nouveau.txt"), c.adds);
    EXPECT_EQ(readFileBytes(m.archive + "/change.txt"), c.replaces ? "après" : "avant");
    EXPECT_EQ(fileExists(m.archive + "/vieux.txt"), !c.deletes);
    const std::vector<std::string> none;
    EXPECT_EQ(texts(m.lists.fichAjout), c.adds ? none : ajout);
    EXPECT_EQ(texts(m.lists.fichModif), c.replaces ? none : modif);
    EXPECT_EQ(texts(m.lists.fichSuppr), c.deletes ? none : suppr);
    EXPECT_EQ(m.messages(), "");
}

INSTANTIATE_TEST_SUITE_P(Types, ActionType,
                         ::testing::Values(ActionCase{1, true, true, true}, ActionCase{2, true, false, false},
                                           ActionCase{3, false, false, true}, ActionCase{4, false, true, false}),
                         [](const auto& info) { return "typeAction" + std::to_string(info.param.typeAction); });

TEST(Comparer, ChangesNothingOnDiskAndShowsNoReport)
{
    Mirror m;
    makeOneOfEach(m);
    const auto before = readTree(m.tree.root());
    m.compare(0);

    const auto report = m.execute();
    execution::reportExecution(report, m.settings.flags, m.dialogs);

    EXPECT_EQ(readTree(m.tree.root()), before);
    EXPECT_EQ(counts(m.lists), "1 1 1");
    EXPECT_FALSE(report.actionFaite);
    EXPECT_EQ(m.messages(), "");
}

TEST(Direction, ArchiveToWorkMirrorsTheWorkFolderFromTheArchive)
{
    Mirror m;
    makeOneOfEach(m);
    m.compare(1, 1);
    m.execute();

    EXPECT_EQ(namesIn(m.work), (std::vector<std::string>{"change.txt", "vieux.txt"}));
    EXPECT_EQ(readTree(m.work, FolderTimes::Left), readTree(m.archive, FolderTimes::Left));
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

}  // namespace
}  // namespace velmorane::testing
