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
        return enabled({w.menSens->menuAction(), w.menAction->menuAction(), w.menProf->menuAction(),
                        w.menEdit->menuAction(), w.Source1, w.But1});
    }
};

using Marks = std::vector<bool>;

TEST_F(ScreenStates, FromTheHomeScreenAtStartThroughProgressArchiveAndUnknownStatesBackHome)
{
    ui::Main& w = start();
    EXPECT_EQ(w.centralWidget()->size(), QSize(702, 528));  // 10530 × 7920 twips
    EXPECT_EQ(visible({w.Systeme, w.Infos, w.Dossier, w.Lance, w.Source, w.Action1}), Marks(6, true));
    EXPECT_EQ(visible({w.Panneau, w.ChatRex, w.affAjout, w.Modif[1], w.cptSuppr, w.fichAjout, w.Selection, w.Quitter2}),
              Marks(8, false));
    for (const auto* pair : {&w.Ajout, &w.Modif, &w.Suppr}) {
        EXPECT_EQ((*pair)[1]->text().toStdString(), "Eléments Non-Sélectionnés");
        EXPECT_EQ(checks(*pair), (Marks{false, true}));
    }
    EXPECT_EQ(w.Retour->text().toStdString(), "&Revenir au Menu");
    EXPECT_EQ(enabled({w.Retour, w.Init}), (Marks{false, true}));
    EXPECT_EQ(menusEnabled(w), Marks(6, true));
    EXPECT_EQ(w.Systeme->title().toStdString(), "Double Clic pour Sélectionner le Dossier de Travail");
    EXPECT_EQ(std::make_pair(ui::background(w.Source), ui::background(w.But)), std::make_pair(kWhite, kGrey));

    w.Environ(3);
    EXPECT_EQ(w.modeEcran(), -1);
    EXPECT_EQ(std::make_pair(ui::background(w.Source), ui::background(w.But)), std::make_pair(kGrey, kGrey));
    w.Environ(0);
    EXPECT_EQ(w.modeEcran(), 0);
    EXPECT_EQ(menusEnabled(w), Marks(6, false));
    EXPECT_EQ(enabled({w.Init, w.Fin}), (Marks{false, true}));
    EXPECT_EQ(visible({w.Systeme, w.Infos, w.Panneau}), (Marks{false, false, true}));
    EXPECT_EQ(twips(w.Panneau), (Twips{60, 1100, 9780, 600}));  // moved to the top

    // State 2 never brings back a hidden frame; an unknown state is only stored.
    w.Environ(2);
    EXPECT_EQ(w.Systeme->title().toStdString(), "Double Clic pour Sélectionner le Dossier d'Archive");
    EXPECT_EQ(std::make_pair(ui::background(w.Source), ui::background(w.But)), std::make_pair(kGrey, kWhite));
    EXPECT_FALSE(w.Systeme->isVisible());
    w.Environ(7);
    EXPECT_EQ(w.modeEcran(), 7);
    EXPECT_TRUE(w.Panneau->isVisible());
    w.Environ(5);
    w.Environ(1);
    EXPECT_EQ(visible({w.Systeme, w.Infos, w.Panneau}), (Marks{true, true, false}));
    EXPECT_EQ(menusEnabled(w), Marks(6, true));
}

TEST_F(ScreenStates, TheReviewLaysTheThreeGroupsOutAndLeavingItHidesThem)
{
    ui::Main& w = reviewWith(1);
    EXPECT_EQ(w.modeEcran(), 4);
    // The lists share the height above the buttons; the counters hold six digits.
    const std::vector<std::pair<QWidget*, Twips>> places = {
        {w.affAjout, {60, 1140, 4000, 300}},    {w.Ajout[0], {4060, 1140, 2900, 300}},
        {w.Ajout[1], {6960, 1140, 2900, 300}},  {w.cptAjout, {9860, 1140, 660, 300}},
        {w.fichAjout, {60, 1440, 10400, 1770}}, {w.affModif, {60, 3270, 4000, 300}},
        {w.Modif[0], {4060, 3270, 2900, 300}},  {w.Modif[1], {6960, 3270, 2900, 300}},
        {w.cptModif, {9860, 3270, 660, 300}},   {w.fichModif, {60, 3570, 10400, 1770}},
        {w.affSuppr, {60, 5400, 4000, 300}},    {w.Suppr[0], {4060, 5400, 2900, 300}},
        {w.Suppr[1], {6960, 5400, 2900, 300}},  {w.cptSuppr, {9860, 5400, 660, 300}},
        {w.fichSuppr, {60, 5700, 10400, 1770}}, {w.Selection, {60, 7540, 4000, 300}},
        {w.Quitter2, {4120, 7540, 4000, 300}}};
    for (const auto& [control, place] : places) {
        EXPECT_EQ(twips(control), place) << control->objectName().toStdString();
        EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    }
    EXPECT_FALSE(w.Panneau->isVisible());
    EXPECT_TRUE(w.Retour->isEnabled());
    EXPECT_EQ(menusEnabled(w), Marks(6, false));

    w.Environ(5);
    EXPECT_FALSE(w.resultatsAffiches());
    for (const auto& [control, place] : places) EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    EXPECT_EQ(enabled({w.Retour, w.Init}), (Marks{false, true}));
}

TEST_F(ScreenStates, AComparisonReviewHasNoCheckBoxesNorSelectionAndQuitter2TakesSelectionsPlace)
{
    ui::Main& w = reviewWith(0);
    EXPECT_EQ(visible({w.Ajout[0], w.Ajout[1], w.Modif[0], w.Modif[1], w.Suppr[0], w.Suppr[1], w.cptAjout, w.cptModif,
                       w.cptSuppr, w.Selection}),
              Marks(10, false));
    EXPECT_EQ(visible({w.fichAjout, w.affSuppr}), Marks(2, true));
    EXPECT_EQ(twips(w.Quitter2), (Twips{4120, 7540, 4000, 300}));  // beside Selection's place, inside the window

    // An "add only" review shows the add pair alone; a comparison after it follows Selection's review place.
    w.Retour_Click();
    w.Action_Click(2);
    w.Lance_Click();
    EXPECT_EQ(visible({w.Ajout[0], w.Modif[0], w.cptSuppr}), (Marks{true, false, false}));
    w.Retour_Click();
    w.Action_Click(0);
    w.Lance_Click();
    EXPECT_EQ(visible({w.Selection, w.Ajout[0]}), Marks(2, false));
    EXPECT_EQ(twips(w.Quitter2), (Twips{4120, 7540, 4000, 300}));
}

}  // namespace
}  // namespace velmorane::testing
