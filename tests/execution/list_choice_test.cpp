#include "tests/execution/execution_harness.h"

#include "execution/check_box_pair.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

using execution::CheckBoxPair;

TEST(CheckBoxPair, StartsWithBoxOneCheckedAndKeepsThePartnerOpposite)
{
    CheckBoxPair pair;
    const auto state = [&] { return std::to_string(pair.value(0)) + std::to_string(pair.value(1)) +
                                    (pair.selectedChosen() ? " selected" : ""); };
    EXPECT_EQ(state(), "01");
    pair.clicked(0, 1);  // "Eléments Sélectionnés" checked
    EXPECT_EQ(state(), "10 selected");
    pair.clicked(0, 0);  // unchecking it checks its partner
    EXPECT_EQ(state(), "01");
    pair.clicked(1, 0);
    EXPECT_EQ(state(), "10 selected");
    pair.clicked(2, 1);  // not a box of the pair
    EXPECT_EQ(state(), "10 selected");
}

// "Eléments Sélectionnés" chosen for two lists: two of five entries selected in one, none in the
// other. The execution only reads the lists and says what became of each entry; the review then
// takes off the entries done and those whose failure was passed.
TEST(EntryResults, TheListsStayAsTheyWereUntilTheReviewTakesTheExecutedEntriesOff)
{
    Mirror m;
    for (const char* name : {"a", "b", "c", "d", "e"}) m.tree.makeFile(std::string("work/") + name, name);
    m.tree.makeFile("work/f", "neuf", kTestTime + 1);
    m.tree.makeFile("archive/f", "vieux");
    m.tree.makeFile("archive/x", "x");
    m.compare(Action::Update);
    m.choice.addsSelectedChosen = m.choice.deletionsSelectedChosen = true;
    m.lists.addList().setSelected(1, true);
    m.lists.addList().setSelected(3, true);
    const Names built = texts(m.lists.addList());
    std::remove((m.work + "/f").c_str());  // gone after the comparison: its replacement fails
    m.dialogs.queueAnswer(testing::Answer::Yes);

    ASSERT_FALSE(execution::RunDriver(m.run, m.observer).executeChosen(m.choice));

    EXPECT_EQ(texts(m.lists.addList()), built);
    EXPECT_EQ(counts(m.lists), "5 1 1");
    EXPECT_TRUE(m.lists.addList().selected(1) && m.lists.addList().selected(3));
    const auto& results = m.run.report().results;
    EXPECT_EQ(outcomes(results[0]) + " " + outcomes(results[1]) + " " + outcomes(results[2]), "NDNDN F N");
    EXPECT_EQ(results[1][0].failure->number, ENOENT);
    EXPECT_EQ(namesIn(m.archive), (Names{"b", "d", "f", "x"}));

    execution::removeExecutedEntries(m.lists, m.run.report());
    EXPECT_EQ(texts(m.lists.addList()), (Names{built[0], built[2], built[4]}));
    for (std::size_t i = 0; i < 3; ++i) EXPECT_FALSE(m.lists.addList().selected(i));
    EXPECT_EQ(counts(m.lists), "3 0 1");
}

// Folders A (holding A1) and B, only on one side: their entries come as A, B, A/A1.
TEST(NestedFolders, AFolderInsideOneAlreadyDeletedLeavesTheListWithoutAQuestion)
{
    Mirror m;
    m.tree.makeFile("work/garder.txt", "g");  // an empty work folder would be refused
    m.tree.makeFile("archive/A/A1/f.txt", "f");
    m.tree.makeFile("archive/B/g.txt", "g");
    m.compare(Action::DeleteOnly);
    ASSERT_EQ(texts(m.lists.deleteList()), (Names{m.archive + "/A/ **Dossier", m.archive + "/B/ **Dossier",
                                              m.archive + "/A/A1/ **Dossier"}));
    m.execute();

    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(counts(m.lists), "1 0 0");
    EXPECT_EQ(namesIn(m.archive), Names{});
}

TEST(NestedFolders, AFolderInsideOneAlreadyCopiedIsNotCopiedAgainAndLeavesTheListEvenWhenNotChosen)
{
    Mirror m;
    m.tree.makeFile("work/A/A1/f.txt", "f");
    m.tree.makeFile("work/B/g.txt", "g");
    m.compare(Action::AddOnly);
    m.choice.addsSelectedChosen = true;
    m.lists.addList().setSelected(0, true);  // A only
    // Were A/A1 copied again after A, its source would be missing now and the copy would fail.
    m.counters.onShow = [&](const std::string& counter) {
        if (counter == "3") std::filesystem::remove_all(m.work + "/A/A1");
    };

    m.execute();

    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(texts(m.lists.addList()), Names{m.work + "/B/ **Dossier"});
    EXPECT_EQ(namesIn(m.archive), Names{"A"});
    EXPECT_EQ(readFileBytes(m.archive + "/A/A1/f.txt"), "f");
}

}  // namespace
}  // namespace velmorane::testing
