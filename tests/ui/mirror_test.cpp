#include "platform/date_text.h"
#include "tests/ui/main_window_fixture.h"

#include <QTimer>

#include <filesystem>

namespace velmorane::testing {
namespace {

namespace fs = std::filesystem;

class InteractiveMirror : public MainWindowTest {
protected:
    InteractiveMirror()
    {
        tree.makeFile("travail/a.txt", "nouvelle version");
        tree.makeFile("travail/b.txt", "bbb");
        tree.makeFile("travail/Neuf/n.txt", "n");
        tree.makeFile("archive/a.txt", "ancienne");
        tree.makeFile("archive/vieux.txt", "vv");
        tree.makeFile("archive/Vieux/v.txt", "v");
    }

    std::string fileEntry(const std::string& relative, int size) const
    {
        return tree.path(relative) + " *-* " + std::to_string(size) + " *-* " + platform::dateText(kTestTime);
    }

    // Chooses both folders by double-clicks, the direction by its menu and the action by its label.
    ui::Main& chooseEverything()
    {
        ui::Main& w = start();
        doubleClickFolder(tree.path("travail"));
        click(w.affBut);
        openFolder(tree.path("archive"));
        w.Sens[0]->trigger();
        click(w.Action1);
        click(w.affAction);
        return w;
    }
};

TEST_F(InteractiveMirror, ChooseRunReviewSelectExecuteAndGoHome)
{
    ui::Main& w = chooseEverything();
    EXPECT_EQ(text(w.Source), tree.path("travail"));
    EXPECT_EQ(text(w.But), tree.path("archive"));
    EXPECT_EQ(text(w.Sens1), "&Travail => Archive");
    EXPECT_EQ(text(w.Action1), "&Personnaliser la Mise à Jour");

    click(w.Lance);
    EXPECT_EQ(w.modeEcran(), 4);
    EXPECT_TRUE(w.resultatsAffiches());
    EXPECT_EQ(entries(w.fichAjout), (std::vector<std::string>{tree.path("travail/Neuf/") + " **Dossier",
                                                              fileEntry("travail/b.txt", 3)}));
    EXPECT_EQ(entries(w.fichModif), std::vector<std::string>{fileEntry("archive/a.txt", 16)});
    EXPECT_EQ(entries(w.fichSuppr), (std::vector<std::string>{tree.path("archive/Vieux/") + " **Dossier",
                                                              fileEntry("archive/vieux.txt", 2)}));
    EXPECT_EQ(text(w.affAjout), "Dossier(s) et Fichier(s) à Ajouter ( 2 ) =>");
    EXPECT_EQ(text(w.affModif), "Fichier(s) à Modifier ( 1) =>");
    EXPECT_EQ(text(w.affSuppr), "Dossier(s) et Fichier(s) à Supprimer ( 2 ) =>");
    EXPECT_EQ(w.Panneau->title().toStdString(), "Parcours des Dossiers Communs");

    // Extended selection: a click, then Shift+click, then Ctrl+click to take one back.
    clickEntry(w.fichAjout, 0);
    clickEntry(w.fichAjout, 1, Qt::ShiftModifier);
    EXPECT_EQ(w.fichAjout->selectionModel()->selectedRows().size(), 2);
    clickEntry(w.fichAjout, 1, Qt::ControlModifier);
    EXPECT_EQ(w.fichAjout->selectionModel()->selectedRows().size(), 1);
    // In the delete list only the selected file is to go.
    clickEntry(w.fichSuppr, 1);
    click(w.Suppr[0]);
    EXPECT_TRUE(w.Suppr[0]->isChecked());
    EXPECT_FALSE(w.Suppr[1]->isChecked());
    EXPECT_TRUE(w.Ajout[1]->isChecked());
    click(w.Suppr[0]);
    EXPECT_FALSE(w.Suppr[0]->isChecked());
    EXPECT_TRUE(w.Suppr[1]->isChecked());
    click(w.Suppr[0]);

    click(w.Selection);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Exécution terminée correctement !");
    EXPECT_EQ(dialogs.shown()[0].title, "Rapport d'activité");
    EXPECT_EQ(dialogs.shown()[0].icon, platform::Icon::Information);
    EXPECT_EQ(dialogs.shown()[0].buttons, platform::Buttons::Ok);

    // The executed entries left their lists; the entry left in the add list is still selected.
    EXPECT_EQ(entries(w.fichAjout), std::vector<std::string>{tree.path("travail/Neuf/") + " **Dossier"});
    EXPECT_TRUE(w.fichAjout->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(entries(w.fichModif), std::vector<std::string>{});
    EXPECT_EQ(entries(w.fichSuppr), std::vector<std::string>{tree.path("archive/Vieux/") + " **Dossier"});
    EXPECT_FALSE(w.fichSuppr->selectionModel()->isRowSelected(0, {}));
    EXPECT_EQ(text(w.affAjout), "Dossier(s) et Fichier(s) à Ajouter ( 1 ) =>");
    EXPECT_EQ(text(w.affModif), "Fichier(s) à Modifier ( 0) =>");
    EXPECT_EQ(text(w.cptAjout), "");
    EXPECT_EQ(w.modeEcran(), 4);
    EXPECT_EQ(readFileBytes(tree.path("archive/b.txt")), "bbb");
    EXPECT_EQ(readFileBytes(tree.path("archive/a.txt")), "nouvelle version");
    EXPECT_FALSE(fs::exists(tree.path("archive/vieux.txt")));
    EXPECT_TRUE(fs::exists(tree.path("archive/Vieux/v.txt")));
    EXPECT_FALSE(fs::exists(tree.path("archive/Neuf")));

    click(w.Quitter2);
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_FALSE(w.resultatsAffiches());
    EXPECT_TRUE(w.Systeme->isVisible());
    EXPECT_FALSE(w.fichAjout->isVisible());
    EXPECT_TRUE(w.menSens->menuAction()->isEnabled());
    EXPECT_FALSE(w.Retour->isEnabled());
    EXPECT_EQ(ui::background(w.Source), QColor(255, 255, 255));

    w.Init->trigger();
    for (QLabel* label : {static_cast<QLabel*>(w.Source), static_cast<QLabel*>(w.But), static_cast<QLabel*>(w.Sens1),
                          static_cast<QLabel*>(w.Action1)}) {
        EXPECT_EQ(text(label), "");
    }
    EXPECT_EQ(state.settings.sensTransfert, -1);
    EXPECT_EQ(state.settings.typeAction, -1);
    EXPECT_FALSE(w.Sens[0]->isChecked());
    EXPECT_FALSE(w.Action[1]->isChecked());
    EXPECT_EQ(w.windowTitle().toStdString(), "Pas de Profil Actif");
    EXPECT_EQ(text(w.Comment1), "Dossier de Travail Inconnu\n\nDossier d'Archive Inconnu\n\nSens de Transfert "
                                "Inconnu\n\nType d'Action Inconnu");
    // The pairs keep the choice made for the next runs.
    EXPECT_TRUE(w.Suppr[0]->isChecked());
    openFolder(tree.path("travail"));
    EXPECT_EQ(text(w.Source), tree.path("travail"));
}

TEST_F(InteractiveMirror, AnExecutionThatEmptiesTheListsGoesOnReviewingAndTheNextRunFindsNothing)
{
    ui::Main& w = chooseEverything();
    click(w.Lance);
    click(w.Selection);
    EXPECT_EQ(w.modeEcran(), 4);
    EXPECT_EQ(text(w.affSuppr), "Dossier(s) et Fichier(s) à Supprimer ( 0 ) =>");
    EXPECT_EQ(readTree(tree.path("archive"), FolderTimes::Left), readTree(tree.path("travail"), FolderTimes::Left));
    // Nothing left to execute: the execution reports nothing and returns to the home screen.
    dialogs.clear();
    click(w.Selection);
    EXPECT_TRUE(dialogs.shown().empty());
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_TRUE(w.Systeme->isVisible());

    click(w.Lance);
    EXPECT_EQ(entries(w.fichAjout), std::vector<std::string>{});
    EXPECT_EQ(entries(w.fichModif), std::vector<std::string>{});
    EXPECT_EQ(entries(w.fichSuppr), std::vector<std::string>{});
    EXPECT_EQ(text(w.affAjout), "Dossier(s) et Fichier(s) à Ajouter ( 0 ) =>");
}

TEST_F(InteractiveMirror, FailuresAnsweredYesAreCountedInAWarningReport)
{
    ui::Main& w = chooseEverything();
    click(w.Lance);
    fs::remove(tree.path("travail/b.txt"));  // gone before it could be copied
    dialogs.queueAnswer(platform::Answer::Yes);
    click(w.Selection);
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_EQ(dialogs.shown()[0].title, "Erreur grave");
    EXPECT_TRUE(dialogs.shown()[0].text.ends_with("\r\nFaut-il continuer ?")) << dialogs.shown()[0].text;
    EXPECT_EQ(dialogs.shown()[1].text, "Exécution terminée avec 1 erreur(s).");
    EXPECT_EQ(dialogs.shown()[1].title, "Rapport d'activité");
    EXPECT_EQ(dialogs.shown()[1].icon, platform::Icon::Warning);
    EXPECT_EQ(readFileBytes(tree.path("archive/a.txt")), "nouvelle version");
}

TEST_F(InteractiveMirror, AFailureAnsweredNoStopsWithTheListInProgressWhole)
{
    ui::Main& w = chooseEverything();
    click(w.Lance);
    fs::remove(tree.path("travail/b.txt"));
    dialogs.queueAnswer(platform::Answer::No);
    click(w.Selection);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(entries(w.fichAjout).size(), 2u);
    EXPECT_EQ(entries(w.fichModif).size(), 1u);
    EXPECT_EQ(text(w.cptAjout), "2");
    EXPECT_EQ(text(w.affAjout), "Dossier(s) et Fichier(s) à Ajouter ( 2 ) =>");
    EXPECT_FALSE(w.busy());
}

TEST_F(InteractiveMirror, IncompleteSettingsAreRefusedAndNothingChanges)
{
    ui::Main& w = start();
    doubleClickFolder(tree.path("travail"));
    click(w.Lance);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Il faut définir un Fichier d'Archive.");
    EXPECT_EQ(dialogs.shown()[0].title, "Profil Incorrect");
    EXPECT_EQ(dialogs.shown()[0].icon, platform::Icon::Critical);
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_TRUE(w.Infos->isVisible());
    EXPECT_FALSE(w.Panneau->isVisible());
    EXPECT_FALSE(w.resultatsAffiches());

    dialogs.clear();
    w.Init_Click();
    click(w.Lance);
    EXPECT_EQ(dialogs.shown()[0].text, "Il faut définir un Fichier de Travail.");
}

TEST_F(InteractiveMirror, AMissingSourceOrUnreadableDestinationReturnsHomeWithTheMessage)
{
    writeProfiles({{"Perdu", tree.path("absent"), tree.path("archive"), "0", "&Travail => Archive", "1", "p"},
                   {"SansArchive", tree.path("travail"), tree.path("nulle part"), "0", "&Travail => Archive", "1", "p"}});
    ui::Main& w = start("Perdu");
    click(w.Lance);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, tree.path("absent") + " est vide ou n'existe pas");
    EXPECT_EQ(dialogs.shown()[0].title, "Velmorane");
    EXPECT_EQ(dialogs.shown()[0].icon, platform::Icon::None);
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_TRUE(w.Systeme->isVisible());
    EXPECT_FALSE(w.Panneau->isVisible());
    EXPECT_FALSE(w.resultatsAffiches());
    EXPECT_TRUE(w.menAction->menuAction()->isEnabled());
    EXPECT_FALSE(w.Init->isEnabled());  // until a run reaches the review
    EXPECT_EQ(entries(w.fichAjout), std::vector<std::string>{});

    dialogs.clear();
    w.newProf[2]->trigger();
    click(w.Lance);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_TRUE(dialogs.shown()[0].text.starts_with("Impossible de lire le dossier " + tree.path("nulle part")))
        << dialogs.shown()[0].text;
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_TRUE(w.Infos->isVisible());
}

TEST_F(InteractiveMirror, NoSecondExecutionOrRunStartsWhileOneIsInProgress)
{
    for (int i = 0; i < 300; ++i) tree.makeFile("travail/lot/f" + std::to_string(i) + ".txt", "x");
    tree.makeFolder("archive/lot");
    ui::Main& w = chooseEverything();
    click(w.Lance);
    bool triedDuringExecution = false;
    QTimer::singleShot(0, &w, [&] {
        triedDuringExecution = w.busy();
        w.Selection->click();
        w.Lance->click();
        w.Init_Click();
    });
    click(w.Selection);
    EXPECT_TRUE(triedDuringExecution);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].text, "Exécution terminée correctement !");
    EXPECT_EQ(w.modeEcran(), 4);
    EXPECT_EQ(std::distance(fs::directory_iterator(tree.path("archive/lot")), fs::directory_iterator()), 300);
}

}  // namespace
}  // namespace velmorane::testing
