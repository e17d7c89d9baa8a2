#include "tests/ui/main_window_fixture.h"

namespace velmorane::testing {
namespace {

using ui::Twips;

class ScreenStates : public MainWindowTest {
protected:
    // A run with the action type given, over a work folder of two files that the archive lacks.
    ui::Main& reviewWith(int typeAction)
    {
        tree.makeFile("travail/f1.txt", "x");
        tree.makeFile("travail/f2.txt", "x");
        tree.makeFolder("archive");
        writeProfiles({profile("P", tree.path("travail"), tree.path("archive"), std::to_string(typeAction))});
        ui::Main& w = start("P");
        w.Lance_Click();
        return w;
    }

    // The enabled states of the direction, action, profile and edit menus and of the folder commands.
    static std::vector<bool> menusEnabled(ui::Main& w)
    {
        return {w.menSens->menuAction()->isEnabled(), w.menAction->menuAction()->isEnabled(),
                w.menProf->menuAction()->isEnabled(), w.menEdit->menuAction()->isEnabled(),
                w.Source1->isEnabled(),               w.But1->isEnabled()};
    }
};

TEST_F(ScreenStates, TheHomeScreenAtStartChoosesTheWorkFolderWithThePairsOnNotSelected)
{
    ui::Main& w = start();
    EXPECT_EQ(w.centralWidget()->size(), QSize(702, 528));  // 10530 × 7920 twips
    for (QWidget* control : std::vector<QWidget*>{w.Systeme, w.Infos, w.Dossier, w.Lance, w.Source, w.Action1}) {
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    }
    for (QWidget* control : std::vector<QWidget*>{w.Panneau, w.ChatRex, w.affAjout, w.Modif[1], w.cptSuppr,
                                                  w.fichAjout, w.Selection, w.Quitter2}) {
        EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    }
    for (const auto* pair : {&w.Ajout, &w.Modif, &w.Suppr}) {
        EXPECT_EQ((*pair)[1]->text().toStdString(), "Eléments Non-Sélectionnés");
        EXPECT_EQ(std::make_pair((*pair)[0]->isChecked(), (*pair)[1]->isChecked()), std::make_pair(false, true));
    }
    EXPECT_EQ(w.Retour->text().toStdString(), "&Revenir au Menu");
    EXPECT_FALSE(w.Retour->isEnabled());
    EXPECT_TRUE(w.Init->isEnabled());
    EXPECT_EQ(menusEnabled(w), std::vector<bool>(6, true));
    EXPECT_EQ(w.Systeme->title().toStdString(), "Double Clic pour Sélectionner le Dossier de Travail");
    EXPECT_EQ(ui::background(w.Source), kWhite);
    EXPECT_EQ(ui::background(w.But), kGrey);
}

TEST_F(ScreenStates, ProgressArchiveAndUnknownStatesAndTheWayHome)
{
    ui::Main& w = start();
    w.Environ(3);
    EXPECT_EQ(w.modeEcran(), -1);
    EXPECT_EQ(ui::background(w.Source), kGrey);
    EXPECT_EQ(ui::background(w.But), kGrey);

    w.Environ(0);
    EXPECT_EQ(w.modeEcran(), 0);
    EXPECT_EQ(menusEnabled(w), std::vector<bool>(6, false));
    EXPECT_FALSE(w.Init->isEnabled());
    EXPECT_TRUE(w.Fin->isEnabled());
    EXPECT_FALSE(w.Systeme->isVisible());
    EXPECT_FALSE(w.Infos->isVisible());
    EXPECT_EQ(twips(w.Panneau), (Twips{60, 1100, 9780, 600}));  // moved to the top, and visible
    EXPECT_TRUE(w.Panneau->isVisible());

    // State 2 never brings back a hidden frame; an unknown state is only stored.
    w.Environ(2);
    EXPECT_EQ(w.Systeme->title().toStdString(), "Double Clic pour Sélectionner le Dossier d'Archive");
    EXPECT_EQ(ui::background(w.But), kWhite);
    EXPECT_FALSE(w.Systeme->isVisible());
    w.Environ(7);
    EXPECT_EQ(w.modeEcran(), 7);
    EXPECT_TRUE(w.Panneau->isVisible());

    w.Environ(5);
    w.Environ(1);
    EXPECT_TRUE(w.Systeme->isVisible());
    EXPECT_TRUE(w.Infos->isVisible());
    EXPECT_FALSE(w.Panneau->isVisible());
    EXPECT_EQ(menusEnabled(w), std::vector<bool>(6, true));
    EXPECT_EQ(ui::background(w.Source), kWhite);
}

TEST_F(ScreenStates, TheReviewLaysTheThreeGroupsOutAndLeavingItHidesThem)
{
    ui::Main& w = reviewWith(1);
    EXPECT_EQ(w.modeEcran(), 4);
    const std::vector<std::pair<QWidget*, Twips>> places = {
        {w.affAjout, {60, 1140, 4000, 300}},    {w.Ajout[0], {4060, 1140, 2900, 300}},
        {w.Ajout[1], {6960, 1140, 2900, 300}},  {w.cptAjout, {9860, 1140, 500, 300}},
        {w.fichAjout, {60, 1440, 10400, 2000}}, {w.affModif, {60, 3500, 4000, 300}},
        {w.Modif[0], {4060, 3500, 2900, 300}},  {w.Modif[1], {6960, 3500, 2900, 300}},
        {w.cptModif, {9860, 3500, 500, 300}},   {w.fichModif, {60, 3800, 10400, 2000}},
        {w.affSuppr, {60, 5860, 4000, 300}},    {w.Suppr[0], {4060, 5860, 2900, 300}},
        {w.Suppr[1], {6960, 5860, 2900, 300}},  {w.cptSuppr, {9860, 5860, 500, 300}},
        {w.fichSuppr, {60, 6160, 10400, 2000}}, {w.Selection, {60, 7540, 4000, 300}},
        {w.Quitter2, {4120, 7540, 4000, 300}}};
    for (const auto& [control, place] : places) {
        EXPECT_EQ(twips(control), place) << control->objectName().toStdString();
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    }
    EXPECT_FALSE(w.Panneau->isVisible());
    EXPECT_TRUE(w.Retour->isEnabled());
    EXPECT_EQ(menusEnabled(w), std::vector<bool>(6, false));

    w.Environ(5);
    EXPECT_FALSE(w.resultatsAffiches());
    for (const auto& [control, place] : places) EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    EXPECT_FALSE(w.Retour->isEnabled());
    EXPECT_TRUE(w.Init->isEnabled());
}

TEST_F(ScreenStates, AComparisonReviewHasNoCheckBoxesNorSelectionAndQuitter2TakesSelectionsPlace)
{
    ui::Main& w = reviewWith(0);
    for (QWidget* control : std::vector<QWidget*>{w.Ajout[0], w.Ajout[1], w.Modif[0], w.Modif[1], w.Suppr[0],
                                                  w.Suppr[1], w.cptAjout, w.cptModif, w.cptSuppr, w.Selection}) {
        EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    }
    EXPECT_TRUE(w.fichAjout->isVisible());
    EXPECT_TRUE(w.affSuppr->isVisible());
    EXPECT_EQ(twips(w.Quitter2), (Twips{2700, 7650, 4000, 300}));  // Selection's design place: 150 + 2490 + 60

    // An "add only" review shows the add pair alone; a comparison after it follows Selection's review place.
    w.Retour_Click();
    w.Action_Click(2);
    w.Lance_Click();
    EXPECT_TRUE(w.Ajout[0]->isVisible());
    EXPECT_FALSE(w.Modif[0]->isVisible());
    EXPECT_FALSE(w.cptSuppr->isVisible());
    w.Retour_Click();
    w.Action_Click(0);
    w.Lance_Click();
    EXPECT_FALSE(w.Selection->isVisible());
    EXPECT_FALSE(w.Ajout[0]->isVisible());
    EXPECT_EQ(twips(w.Quitter2), (Twips{4120, 7540, 4000, 300}));
}

}  // namespace
}  // namespace velmorane::testing
