#include "profiles/command_line.h"
#include "tests/ui/main_window_fixture.h"

namespace velmorane::testing {
namespace {

class Menus : public MainWindowTest {
protected:
    Menus()
    {
        writeProfiles({{"Maison", "/w/maison", "/a/maison", "0", "&Travail => Archive", "1",
                        "&Personnaliser la Mise à Jour"},
                       {"Bureau", "/w/bureau", "/a/bureau", "1", "Archive vers Travail", "3", "Supprimer seulement"},
                       {"Abîmé", "/w/abime", "/a/abime", "7", "sens inconnu", "9", "action inconnue"}});
    }

    static std::vector<bool> checks(const std::vector<QAction*>& items)
    {
        std::vector<bool> marks;
        for (const QAction* item : items) marks.push_back(item->isChecked());
        return marks;
    }

    template <std::size_t N>
    static std::vector<bool> checks(const std::array<QAction*, N>& items)
    {
        return checks(std::vector<QAction*>(items.begin(), items.end()));
    }
};

TEST_F(Menus, ClicksOnTheDirectionLabelsStepThroughTheDirectionsAndDropTheProfile)
{
    ui::Main& w = start("Maison");
    ASSERT_EQ(w.windowTitle().toStdString(), "Profil Maison");
    ASSERT_EQ(state.settings.sensTransfert, 0);

    click(w.Sens1);
    EXPECT_EQ(state.settings.sensTransfert, 1);
    EXPECT_EQ(text(w.Sens1), "Archive => &Travail");
    EXPECT_EQ(checks(w.Sens), (std::vector<bool>{false, true}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Pas de Profil Actif");
    EXPECT_EQ(state.profActif, -1);
    EXPECT_FALSE(w.newProf[1]->isChecked());

    click(w.affSens);
    EXPECT_EQ(state.settings.sensTransfert, 0);
    EXPECT_EQ(text(w.Sens1), "&Travail => Archive");
    click(w.Sens1);
    EXPECT_EQ(state.settings.sensTransfert, 1);
    EXPECT_EQ(checks(w.Sens), (std::vector<bool>{false, true}));
    EXPECT_TRUE(text(w.Comment1).find("Sens de Transfert :\nSource = Archive\nDestination = Travail") !=
                std::string::npos)
        << text(w.Comment1);
}

TEST_F(Menus, ClicksOnTheActionLabelsStepThroughTheFiveActionsFromNothingChosen)
{
    ui::Main& w = start();
    const std::vector<int> expected = {0, 1, 2, 3, 4, 0};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        click(i % 2 == 0 ? w.Action1 : w.affAction);
        EXPECT_EQ(state.settings.typeAction, expected[i]);
        EXPECT_EQ(text(w.Action1), engine::kActionCaptions[static_cast<std::size_t>(expected[i])]);
        std::vector<bool> marks(5, false);
        marks[static_cast<std::size_t>(expected[i])] = true;
        EXPECT_EQ(checks(w.Action), marks);
    }
    EXPECT_EQ(text(w.Comment1), "Dossier de Travail Inconnu\n\nDossier d'Archive Inconnu\n\nSens de Transfert "
                                "Inconnu\n\nType d'Action :\nComparer tous les Dossiers et les Fichiers de la Source "
                                "à ceux de la Destination.");
}

TEST_F(Menus, ChoosingTheCheckedEntryAgainKeepsItsMarkButEndsTheProfile)
{
    ui::Main& w = start("maison");
    w.Sens[0]->trigger();
    EXPECT_EQ(checks(w.Sens), (std::vector<bool>{true, false}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Pas de Profil Actif");
    w.newProf[1]->trigger();
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil Maison");
    w.Action[1]->trigger();
    EXPECT_EQ(checks(w.Action), (std::vector<bool>{false, true, false, false, false}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Pas de Profil Actif");
    w.Action[4]->trigger();
    EXPECT_EQ(state.settings.typeAction, 4);
    EXPECT_EQ(text(w.Action1), "&Modifier Seulement");
}

TEST_F(Menus, OpeningAProfileSetsTheTopBandTheMarksAndTheCaption)
{
    ui::Main& w = start();
    w.newProf[2]->trigger();
    EXPECT_EQ(text(w.Source), "/w/bureau");
    EXPECT_EQ(text(w.But), "/a/bureau");
    EXPECT_EQ(text(w.Sens1), "Archive vers Travail");  // the stored text, not the menu caption
    EXPECT_EQ(text(w.Action1), "Supprimer seulement");
    EXPECT_EQ(checks(w.Sens), (std::vector<bool>{false, true}));
    EXPECT_EQ(checks(w.Action), (std::vector<bool>{false, false, false, true, false}));
    EXPECT_EQ(checks(w.newProf), (std::vector<bool>{false, false, true, false}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil Bureau");
    EXPECT_EQ(state.profActif, 2);
    EXPECT_EQ(text(w.Comment1), "Dossier de Travail :\n/w/bureau\n\nDossier d'Archive :\n/a/bureau\n\nSens de "
                                "Transfert :\nSource = Archive\nDestination = Travail\n\nType d'Action :\nSupprimer "
                                "tous les Dossiers et les Fichiers de la Destination absents dans la Source.");
    // The screen state and the folder browser stay as they were.
    EXPECT_EQ(w.modeEcran(), 1);
    EXPECT_EQ(w.Dossier->path(), tree.root());

    w.newProf[0]->trigger();
    EXPECT_EQ(state.profActif, 2);
}

TEST_F(Menus, AProfileWithCodesOutsideTheMenusOpensWithoutAnyMarkOfThem)
{
    ui::Main& w = start();
    w.newProf[3]->trigger();
    EXPECT_EQ(state.settings.sensTransfert, 7);
    EXPECT_EQ(state.settings.typeAction, 9);
    EXPECT_EQ(checks(w.Sens), (std::vector<bool>{false, false}));
    EXPECT_EQ(checks(w.Action), (std::vector<bool>(5, false)));
    EXPECT_EQ(checks(w.newProf), (std::vector<bool>{false, false, false, true}));
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil Abîmé");
    EXPECT_EQ(text(w.Sens1), "sens inconnu");
    EXPECT_TRUE(text(w.Comment1).ends_with("Sens de Transfert Inconnu\n\nType d'Action :\nInconnu")) << text(w.Comment1);
    // A label click from a code outside the menu starts again at the first entry.
    click(w.Sens1);
    EXPECT_EQ(state.settings.sensTransfert, 0);
    click(w.Action1);
    EXPECT_EQ(state.settings.typeAction, 0);
}

TEST_F(Menus, TheProfileMenuGrowsAndShrinksWithTheTable)
{
    ui::Main& w = start("Bureau");
    const auto captions = [&w] {
        std::vector<std::string> texts;
        for (const QAction* item : w.menProf->actions()) texts.push_back(item->isSeparator() ? "-" : item->text().toStdString());
        return texts;
    };
    EXPECT_EQ(captions(), (std::vector<std::string>{"&Ajouter", "&Supprimer", "&Ordonner", "-", "Maison", "Bureau",
                                                    "Abîmé"}));
    state.tabProfils.profiles.push_back(profiles::Profile{{"Vacances", "/v", "/w", "0", "s", "2", "a"}});
    w.loadProfileMenu();
    EXPECT_EQ(captions().back(), "Vacances");
    EXPECT_EQ(w.newProf.size(), 5u);
    EXPECT_TRUE(w.newProf[2]->isChecked());
    w.newProf[4]->trigger();
    EXPECT_EQ(w.windowTitle().toStdString(), "Profil Vacances");

    state.tabProfils.profiles.erase(state.tabProfils.profiles.begin(), state.tabProfils.profiles.begin() + 2);
    w.chkProfil(-1);
    w.loadProfileMenu();
    EXPECT_EQ(captions(), (std::vector<std::string>{"&Ajouter", "&Supprimer", "&Ordonner", "-", "Abîmé", "Vacances"}));
    EXPECT_EQ(w.newProf.size(), 3u);
    w.newProf[2]->trigger();
    EXPECT_EQ(text(w.Source), "/v");
}

TEST_F(Menus, TheHelpBoxShowsTheCommandLineSyntax)
{
    ui::Main& w = start();
    w.menAide->trigger();
    ASSERT_EQ(dialogs.shown().size(), 1u);
    const platform::Message& box = dialogs.shown()[0];
    EXPECT_EQ(box.text, "Syntaxe de lancement :\r\n"
                        "\tVelmorane => lancement 'normal' du logiciel'\r\n"
                        "\tVelmorane Profil => lancement du logiciel ET OUVERTURE du profil indiqué\r\n"
                        "\tVelmorane Profil X => lancement ET EXECUTION du profil indiqué\r\n"
                        "La commande en ligne n'est pas sensible à la casse");
    EXPECT_EQ(box.title, "Information");
    EXPECT_EQ(box.icon, platform::Icon::Information);
    EXPECT_EQ(box.buttons, platform::Buttons::Ok);
}

}  // namespace
}  // namespace velmorane::testing
