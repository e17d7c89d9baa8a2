#include "tests/execution/execution_harness.h"

#include "execution/check_box_pair.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

using execution::CheckBoxPair;
using Names = std::vector<std::string>;

TEST(CheckBoxPair, StartsWithBoxOneCheckedAndKeepsThePartnerOpposite)
{
    CheckBoxPair pair;
    EXPECT_EQ(pair.value(0), 0);
    EXPECT_EQ(pair.value(1), 1);
    EXPECT_FALSE(pair.selectedChosen());

    pair.clicked(0, 1);  // "Eléments Sélectionnés" checked
    EXPECT_EQ(pair.value(1), 0);
    EXPECT_TRUE(pair.selectedChosen());

    pair.clicked(0, 0);  // unchecking it checks its partner
    EXPECT_EQ(pair.value(1), 1);
    pair.clicked(1, 0);
    EXPECT_EQ(pair.value(0), 1);
    EXPECT_TRUE(pair.selectedChosen());

    pair.clicked(2, 1);  // not a box of the pair
    EXPECT_EQ(pair.value(0), 1);
    EXPECT_EQ(pair.value(1), 0);
}

TEST(SelectedChosen, ExecutesAndRemovesOnlyTheSelectedEntries)
{
    Mirror m;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"}) {
        m.tree.makeFile(std::string("work/") + name, name);
    }
    m.compare(2);
    CheckBoxPair ajout;
    ajout.clicked(0, 1);
    m.settings.ajoutSelectedChosen = ajout.selectedChosen();
    m.lists.fichAjout.setSelected(1, true);
    m.lists.fichAjout.setSelected(3, true);
    const auto built = texts(m.lists.fichAjout);

    m.execute();

    EXPECT_EQ(namesIn(m.archive), (Names{"b.txt", "d.txt"}));
    EXPECT_EQ(texts(m.lists.fichAjout), (Names{built[0], built[2], built[4]}));
    for (std::size_t i = 0; i < 3; ++i) EXPECT_FALSE(m.lists.fichAjout.selected(i));
}

TEST(SelectedChosen, WithNothingSelectedExecutesNothingOfThatList)
{
    Mirror m;
    m.tree.makeFile("work/a.txt", "a");
    m.tree.makeFile("archive/vieux.txt", "vieux");
    m.compare(1);
    m.settings.ajoutSelectedChosen = true;

    const auto report = m.execute();

    EXPECT_EQ(namesIn(m.archive), Names{});
    EXPECT_EQ(counts(m.lists), "1 0 0");
    EXPECT_TRUE(report.actionFaite);  // the delete list ran
}

TEST(Counters, EachActiveListCountsItsEntriesAndAnEmptyOneIsNotTouched)
{
    Mirror m;
    for (const char* name : {"a", "b", "c"}) m.tree.makeFile(std::string("work/") + name, name);
    m.tree.makeFile("archive/x", "x");
    m.tree.makeFile("archive/y", "y");
    m.compare(1);

    m.execute();

    EXPECT_EQ(m.counters.shown[0], (Names{"1", "2", "3"}));
    EXPECT_EQ(m.counters.shown[1], Names{});
    EXPECT_EQ(m.counters.shown[2], (Names{"1", "2"}));
}

}  // namespace
}  // namespace velmorane::testing
