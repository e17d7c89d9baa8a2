#include "tests/ui/main_window_fixture.h"

#include <sys/stat.h>

namespace velmorane::testing {
namespace {

using Lines = std::vector<std::string>;

class WindowFilters : public MainWindowTest {
protected:
    WindowFilters()
    {
        makeMirrorTree(tree);
        writeProfiles({profile("Maison", tree.path("travail"), tree.path("archive"))});
        tree.makeFile("ArchFiltres.vlr", "VIEUX*\r\n[maison]\r\nb.txt\r\n[Autre]\r\nNeuf/\r\n");
    }
};

TEST_F(WindowFilters, TheActiveProfilesSectionAndTheGlobalLinesLeaveEntriesOutOfTheReview)
{
    ui::MainWindow& w = start("Maison");
    click(w.startButton);
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    EXPECT_EQ(entries(w.addList), Lines{tree.path("travail/Neuf/") + " **Dossier"});
    EXPECT_EQ(entries(w.replaceList), Lines{fileEntry(tree.path("archive/a.txt"), 16)});
    EXPECT_EQ(entries(w.deleteList), Lines{});
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(WindowFilters, AFilterFileThatOthersMayWriteStopsTheRunOnTheHomeScreen)
{
    ASSERT_EQ(::chmod(tree.path("ArchFiltres.vlr").c_str(), 0666), 0);
    ui::MainWindow& w = start("Maison");
    click(w.startButton);
    EXPECT_EQ(shown(), Lines{"Attention: Fichier de Filtres Incorrect\nLe fichier est modifiable par d'autres "
                             "utilisateurs"});
    EXPECT_EQ(dialogs.shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_FALSE(w.reviewShown());
    EXPECT_TRUE(w.informationFrame->isVisible());
}

}  // namespace
}  // namespace velmorane::testing
