#include "tests/ui/main_window_fixture.h"

namespace velmorane::testing {
namespace {

using ui::Twips;

class ScreenStates : public MainWindowTest {
protected:
    // A run with the action type given, over a work folder with `count` files that the archive lacks.
    ui::Main& reviewWith(int typeAction, int count)
    {
        for (int i = 0; i < count; ++i) tree.makeFile("travail/f" + std::to_string(i) + ".txt", "x");
        tree.makeFolder("archive");
        writeProfiles({{"P", tree.path("travail"), tree.path("archive"), "0", "&Travail => Archive",
                        std::to_string(typeAction), "texte"}});
        ui::Main& w = start("P");
        w.Lance_Click();
        return w;
    }

    static bool menusEnabled(ui::Main& w)
    {
        return w.menSens->menuAction()->isEnabled() && w.menAction->menuAction()->isEnabled() &&
               w.menProf->menuAction()->isEnabled() && w.menEdit->menuAction()->isEnabled() &&
               w.Source1->isEnabled() && w.But1->isEnabled();
    }

    static bool menusDisabled(ui::Main& w)
    {
        return !w.menSens->menuAction()->isEnabled() && !w.menAction->menuAction()->isEnabled() &&
               !w.menProf->menuAction()->isEnabled() && !w.menEdit->menuAction()->isEnabled() &&
               !w.Source1->isEnabled() && !w.But1->isEnabled();
    }
};

TEST_F(ScreenStates, ProgressScreenMovesThePanelToTheTopAndDisablesTheMenus)
{
    ui::Main& w = start();
    w.Environ(3);
    EXPECT_EQ(w.modeEcran(), -1);
    EXPECT_EQ(ui::background(w.Source), QColor(224, 224, 224));
    EXPECT_EQ(ui::background(w.But), QColor(224, 224, 224));
    w.Environ(0);
    EXPECT_EQ(w.modeEcran(), 0);
    EXPECT_TRUE(menusDisabled(w));
    EXPECT_FALSE(w.Init->isEnabled());
    EXPECT_TRUE(w.Fin->isEnabled());
    EXPECT_FALSE(w.Systeme->isVisible());
    EXPECT_FALSE(w.Infos->isVisible());
    EXPECT_TRUE(w.Panneau->isVisible());
    EXPECT_EQ(twips(w.Panneau), (Twips{60, 1100, 9780, 600}));
    EXPECT_EQ(twips(w.Etape), (Twips{60, 240, 9000, 300}));
    EXPECT_EQ(twips(w.Compteur), (Twips{9120, 240, 600, 300}));
}

TEST_F(ScreenStates, StatesOneAndTwoChooseTheTargetedFolder)
{
    ui::Main& w = start();
    w.Environ(2);
    EXPECT_EQ(w.modeEcran(), 2);
    EXPECT_EQ(w.Systeme->title().toStdString(), "Double Clic pour Sélectionner le Dossier d'Archive");
    EXPECT_EQ(ui::background(w.Source), QColor(224, 224, 224));
    EXPECT_EQ(ui::background(w.But), QColor(255, 255, 255));
    w.Environ(1);
    EXPECT_EQ(w.Systeme->title().toStdString(), "Double Clic pour Sélectionner le Dossier de Travail");
    EXPECT_EQ(ui::background(w.Source), QColor(255, 255, 255));
    EXPECT_EQ(ui::background(w.But), QColor(224, 224, 224));

    // State 2 never brings back a hidden frame; an unknown state is only stored.
    w.Environ(0);
    w.Environ(2);
    EXPECT_FALSE(w.Systeme->isVisible());
    w.Environ(7);
    EXPECT_EQ(w.modeEcran(), 7);
    EXPECT_TRUE(w.Panneau->isVisible());
    w.Environ(5);
    w.Environ(1);
    EXPECT_TRUE(w.Systeme->isVisible());
    EXPECT_TRUE(w.Infos->isVisible());
    EXPECT_FALSE(w.Panneau->isVisible());
    EXPECT_TRUE(menusEnabled(w));
}

TEST_F(ScreenStates, TheReviewLaysTheThreeGroupsOutFromThePlacesReadBack)
{
    ui::Main& w = reviewWith(1, 12);
    EXPECT_EQ(w.modeEcran(), 4);
    const std::vector<std::pair<QWidget*, Twips>> places = {
        {w.affAjout, {60, 1140, 4000, 300}},   {w.Ajout[0], {4060, 1140, 2900, 300}},
        {w.Ajout[1], {6960, 1140, 2900, 300}}, {w.cptAjout, {9860, 1140, 500, 300}},
        {w.fichAjout, {60, 1440, 10400, 2000}}, {w.affModif, {60, 3500, 4000, 300}},
        {w.Modif[0], {4060, 3500, 2900, 300}}, {w.Modif[1], {6960, 3500, 2900, 300}},
        {w.cptModif, {9860, 3500, 500, 300}},  {w.fichModif, {60, 3800, 10400, 2000}},
        {w.affSuppr, {60, 5860, 4000, 300}},   {w.Suppr[0], {4060, 5860, 2900, 300}},
        {w.Suppr[1], {6960, 5860, 2900, 300}}, {w.cptSuppr, {9860, 5860, 500, 300}},
        {w.fichSuppr, {60, 6160, 10400, 2000}}, {w.Selection, {60, 7540, 4000, 300}},
        {w.Quitter2, {4120, 7540, 4000, 300}}};
    for (const auto& [control, place] : places) {
        EXPECT_EQ(twips(control), place) << control->objectName().toStdString();
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    }
    EXPECT_FALSE(w.Panneau->isVisible());
    EXPECT_TRUE(w.Retour->isEnabled());
    EXPECT_TRUE(w.Init->isEnabled());
    EXPECT_TRUE(menusDisabled(w));
    // Twelve entries: the replace heading alone has no blank before its closing parenthesis.
    EXPECT_EQ(text(w.affAjout), "Dossier(s) et Fichier(s) à Ajouter ( 12 ) =>");
    EXPECT_EQ(text(w.affModif), "Fichier(s) à Modifier ( 0) =>");
    EXPECT_EQ(text(w.affSuppr), "Dossier(s) et Fichier(s) à Supprimer ( 0 ) =>");
    EXPECT_EQ(text(w.cptAjout), "");

    // Leaving the review hides every review control and the home screen comes back.
    w.Environ(5);
    EXPECT_FALSE(w.resultatsAffiches());
    for (const auto& [control, place] : places) EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    EXPECT_FALSE(w.Retour->isEnabled());
    EXPECT_TRUE(w.Init->isEnabled());
    EXPECT_FALSE(w.Systeme->isVisible());
    w.Environ(1);
    EXPECT_TRUE(w.Systeme->isVisible());
}

TEST_F(ScreenStates, AComparisonReviewOffersNoExecutionAndPlacesQuitter2FromSelection)
{
    ui::Main& w = reviewWith(0, 2);
    for (QWidget* hidden : std::vector<QWidget*>{w.Ajout[0], w.Ajout[1], w.Modif[0], w.Modif[1], w.Suppr[0],
                                                 w.Suppr[1], w.cptAjout, w.cptModif, w.cptSuppr, w.Selection}) {
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    }
    EXPECT_TRUE(w.fichAjout->isVisible());
    EXPECT_TRUE(w.affSuppr->isVisible());
    // Selection still has its design place: 150 + 2490 + 60.
    EXPECT_EQ(twips(w.Quitter2), (Twips{2700, 7650, 4000, 300}));
}

TEST_F(ScreenStates, AfterAnEarlierReviewQuitter2FollowsSelectionsReviewPlace)
{
    ui::Main& w = reviewWith(2, 1);
    EXPECT_TRUE(w.Ajout[0]->isVisible());
    EXPECT_FALSE(w.Modif[0]->isVisible());
    EXPECT_FALSE(w.cptSuppr->isVisible());
    w.Retour_Click();
    w.Action_Click(0);
    w.Lance_Click();
    EXPECT_FALSE(w.Selection->isVisible());
    EXPECT_EQ(twips(w.Quitter2), (Twips{4120, 7540, 4000, 300}));
    EXPECT_FALSE(w.Ajout[0]->isVisible());
}

}  // namespace
}  // namespace velmorane::testing
