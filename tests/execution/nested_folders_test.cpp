#include "tests/execution/execution_harness.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

using Names = std::vector<std::string>;

// Folders A (holding A1) and B side by side, only on one side: their entries come as A, B, A/A1.
void makeABA1(Mirror& m, const std::string& side)
{
    m.tree.makeFile(side + "/A/A1/f.txt", "f");
    m.tree.makeFile(side + "/B/g.txt", "g");
}

TEST(FoldersDeletedWithTheirParent, LeaveTheListWithoutAQuestion)
{
    Mirror m;
    makeABA1(m, "archive");
    m.compare(3);
    ASSERT_EQ(texts(m.lists.fichSuppr), (Names{m.archive + "/A/ **Dossier", m.archive + "/B/ **Dossier",
                                              m.archive + "/A/A1/ **Dossier"}));
    const auto report = m.execute();

    EXPECT_EQ(m.messages(), "");
    EXPECT_EQ(report.failures, 0);
    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(namesIn(m.archive), Names{});
}

TEST(FoldersDeletedWithTheirParent, LeaveTheListEvenWhenNotChosen)
{
    Mirror m;
    makeABA1(m, "archive");
    m.compare(3);
    m.settings.supprSelectedChosen = true;
    m.lists.fichSuppr.setSelected(0, true);  // A only

    m.execute();

    EXPECT_EQ(m.messages(), "");
    EXPECT_EQ(texts(m.lists.fichSuppr), Names{m.archive + "/B/ **Dossier"});
    EXPECT_EQ(namesIn(m.archive), Names{"B"});
}

TEST(FoldersCopiedWithTheirParent, AreNotCopiedAgainAndLeaveTheList)
{
    Mirror m;
    makeABA1(m, "work");
    m.compare(2);
    ASSERT_EQ(texts(m.lists.fichAjout),
              (Names{m.work + "/A/ **Dossier", m.work + "/B/ **Dossier", m.work + "/A/A1/ **Dossier"}));
    // Were A/A1 copied again after A, its source would be missing now and the copy would fail.
    m.counters.onShow = [&](execution::ListKind, const std::string& counter) {
        if (counter == "3") std::filesystem::remove_all(m.work + "/A/A1");
    };

    m.execute();

    EXPECT_EQ(m.messages(), "");
    EXPECT_EQ(counts(m.lists), "0 0 0");
    EXPECT_EQ(readFileBytes(m.archive + "/A/A1/f.txt"), "f");
}

TEST(FoldersCopiedWithTheirParent, LeaveTheListEvenWhenNotChosen)
{
    Mirror m;
    makeABA1(m, "work");
    m.compare(2);
    m.settings.ajoutSelectedChosen = true;
    m.lists.fichAjout.setSelected(0, true);  // A only

    m.execute();

    EXPECT_EQ(texts(m.lists.fichAjout), Names{m.work + "/B/ **Dossier"});
    EXPECT_EQ(namesIn(m.archive), Names{"A"});
}

}  // namespace
}  // namespace velmorane::testing
