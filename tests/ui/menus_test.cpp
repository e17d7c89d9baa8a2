#include "tests/ui/main_window_fixture.h"

namespace velmorane::testing {
namespace {

class Menus : public MainWindowTest {
protected:
    Menus()
    {
        writeProfiles({profile("Maison", "/w/maison", "/a/maison"),
                       {"Bureau", "/w/bureau", "/a/bureau", "1", "Archive vers Travail", "3", "Supprimer seulement"},
                       {"Abîmé", "/w/abime", "/a/abime", "7", "sens inconnu", "9", "action inconnue"}});
    }
};

TEST_F(Menus, ChoosingADirectionByLabelOrMenuMarksItAndEndsTheProfile)
{
    ui::MainWindow& w = start("Maison");
    ASSERT_EQ(caption(&w), "Profil Maison");
    w.directionEntries[0]->trigger();  // the entry already checked: the mark stays, the profile ends
    EXPECT_EQ(checks(w.directionEntries), (std::vector<bool>{true, false}));
    EXPECT_EQ(caption(&w), "Pas de Profil Actif");
    EXPECT_EQ(state.activeProfile, -1);
    EXPECT_FALSE(w.profileEntries[1]->isChecked());

    click(w.directionLabel);
    EXPECT_EQ(state.settings.direction, engine::Direction::ArchiveToWork);
    EXPECT_EQ(text(w.directionLabel), "Archive => &Travail");
    EXPECT_EQ(checks(w.directionEntries), (std::vector<bool>{false, true}));
    EXPECT_NE(text(w.statusLabel).find("Sens de Transfert :\nSource = Archive\nDestination = Travail"), std::string::npos)
        << text(w.statusLabel);
    click(w.directionHeading);
    EXPECT_EQ(state.settings.direction, engine::Direction::WorkToArchive);
    EXPECT_EQ(text(w.directionLabel), "&Travail => Archive");
}

TEST_F(Menus, ClicksOnTheActionLabelsStepThroughTheFiveActionsFromNothingChosen)
{
    ui::MainWindow& w = start();
    const std::vector<std::string> captions = {"&Comparer", "&Personnaliser la Mise à Jour", "&Ajouter Seulement",
                                               "Supprimer &Seulement", "&Modifier Seulement", "&Comparer"};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        click(i % 2 == 0 ? w.actionLabel : w.actionHeading);
        EXPECT_EQ(text(w.actionLabel), captions[i]);
        std::vector<bool> marks(5, false);
        marks[i % 5] = true;
        EXPECT_EQ(checks(w.actionEntries), marks);
    }
    EXPECT_EQ(text(w.statusLabel), "Dossier de Travail Inconnu\n\nDossier d'Archive Inconnu\n\nSens de Transfert "
                                "Inconnu\n\nType d'Action :\nComparer tous les Dossiers et les Fichiers de la Source "
                                "à ceux de la Destination.");
    w.actionEntries[4]->trigger();
    EXPECT_EQ(state.settings.action, engine::Action::ReplaceOnly);
    EXPECT_EQ(text(w.actionLabel), "&Modifier Seulement");
}

TEST_F(Menus, OpeningAProfileSetsTheTopBandTheMarksAndTheCaption)
{
    ui::MainWindow& w = start();
    w.profileEntries[2]->trigger();
    EXPECT_EQ(text(w.workLabel), "/w/bureau");
    EXPECT_EQ(text(w.archiveLabel), "/a/bureau");
    EXPECT_EQ(text(w.directionLabel), "Archive vers Travail");  // the stored text, not the menu caption
    EXPECT_EQ(text(w.actionLabel), "Supprimer seulement");
    EXPECT_EQ(checks(w.directionEntries), (std::vector<bool>{false, true}));
    EXPECT_EQ(checks(w.actionEntries), (std::vector<bool>{false, false, false, true, false}));
    EXPECT_EQ(checks(w.profileEntries), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(caption(&w), "Profil Bureau");
    EXPECT_EQ(text(w.statusLabel), "Dossier de Travail :\n/w/bureau\n\nDossier d'Archive :\n/a/bureau\n\nSens de "
                                "Transfert :\nSource = Archive\nDestination = Travail\n\nType d'Action :\nSupprimer "
                                "tous les Dossiers et les Fichiers de la Destination absents dans la Source.");
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    EXPECT_EQ(w.folderList->path(), tree.root());  // the folder browser stays where it was
    w.profileEntries[0]->trigger();
    EXPECT_EQ(state.activeProfile, 2);

    // Codes outside the menus open without a mark; a label click from them starts at the first entry.
    w.profileEntries[3]->trigger();
    EXPECT_EQ(checks(w.directionEntries), (std::vector<bool>{false, false}));
    EXPECT_EQ(checks(w.actionEntries), (std::vector<bool>(5, false)));
    EXPECT_EQ(caption(&w), "Profil Abîmé");
    EXPECT_EQ(text(w.directionLabel), "sens inconnu");
    // Codes that no menu has, written by hand, choose nothing.
    EXPECT_TRUE(text(w.statusLabel).ends_with("Sens de Transfert Inconnu\n\nType d'Action Inconnu")) << text(w.statusLabel);
    click(w.directionLabel);
    EXPECT_EQ(state.settings.direction, engine::Direction::WorkToArchive);
    click(w.actionLabel);
    EXPECT_EQ(state.settings.action, engine::Action::Compare);
}

TEST_F(Menus, TheHelpBoxShowsTheCommandLineSyntax)
{
    // The five lines are asserted exactly by the --help test of the program; the box shares the text.
    start().helpEntry->trigger();
    ASSERT_EQ(shown().size(), 1u);
    EXPECT_TRUE(shown()[0].starts_with("Information: Syntaxe de lancement :\n\tVelmorane => ")) << shown()[0];
    EXPECT_TRUE(shown()[0].ends_with("\nLa commande en ligne n'est pas sensible à la casse")) << shown()[0];
    EXPECT_EQ(dialogs.shown()[0].icon, ui::Icon::Information);
}

}  // namespace
}  // namespace velmorane::testing
