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
    ui::Main& w = start("Maison");
    click(w.Lance);
    EXPECT_EQ(w.modeEcran(), 4);
    EXPECT_EQ(entries(w.fichAjout), Lines{tree.path("travail/Neuf/") + " **Dossier"});
    EXPECT_EQ(entries(w.fichModif), Lines{fileEntry(tree.path("archive/a.txt"), 16)});
    EXPECT_EQ(entries(w.fichSuppr), Lines{});
    EXPECT_TRUE(dialogs.shown().empty());
}

TEST_F(WindowFilters, AFilterFileThatOthersMayWriteStopsTheRunOnTheHomeScreen)
{
    ASSERT_EQ(::chmod(tree.path("ArchFiltres.vlr").c_str(), 0666), 0);
    ui::Main& w = start("Maison");
    click(w.Lance);
    EXPECT_EQ(shown(), Lines{"Attention: Fichier de Filtres Incorrect\nLe fichier est modifiable par d'autres "
                             "utilisateurs"});
    EXPECT_EQ(dialogs.shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_FALSE(w.resultatsAffiches());
    EXPECT_TRUE(w.Infos->isVisible());
}

}  // namespace
}  // namespace velmorane::testing
