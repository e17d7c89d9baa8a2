#include "tests/ui/main_window_fixture.h"
#include "ui/control_places.h"
#include "ui/cut_text.h"

#include <QScrollArea>
#include <QScrollBar>

namespace velmorane::testing {
namespace {

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
using Lines = std::vector<std::string>;

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

    w.setScreenState(3);
    EXPECT_EQ(w.modeEcran(), -1);
    EXPECT_EQ(std::make_pair(ui::background(w.Source), ui::background(w.But)), std::make_pair(kGrey, kGrey));
    w.setScreenState(0);
    EXPECT_EQ(w.modeEcran(), 0);
    EXPECT_EQ(menusEnabled(w), Marks(6, false));
    EXPECT_EQ(enabled({w.Init, w.Fin}), (Marks{false, true}));
    EXPECT_EQ(visible({w.Systeme, w.Infos, w.Panneau}), (Marks{false, false, true}));

    // State 2 never brings back a hidden frame; an unknown state is only stored.
    w.setScreenState(2);
    EXPECT_EQ(w.Systeme->title().toStdString(), "Double Clic pour Sélectionner le Dossier d'Archive");
    EXPECT_EQ(std::make_pair(ui::background(w.Source), ui::background(w.But)), std::make_pair(kGrey, kWhite));
    EXPECT_FALSE(w.Systeme->isVisible());
    w.setScreenState(7);
    EXPECT_EQ(w.modeEcran(), 7);
    EXPECT_TRUE(w.Panneau->isVisible());
    w.setScreenState(5);
    w.setScreenState(1);
    EXPECT_EQ(visible({w.Systeme, w.Infos, w.Panneau}), (Marks{true, true, false}));
    EXPECT_EQ(menusEnabled(w), Marks(6, true));
}

TEST_F(ScreenStates, TheReviewLaysTheThreeGroupsOutAndLeavingItHidesThem)
{
    ui::Main& w = reviewWith(1);
    EXPECT_EQ(w.modeEcran(), 4);
    const std::vector<QWidget*> review = {w.affAjout, w.Ajout[0], w.Ajout[1], w.cptAjout, w.fichAjout,
                                          w.affModif, w.Modif[0], w.Modif[1], w.cptModif, w.fichModif,
                                          w.affSuppr, w.Suppr[0], w.Suppr[1], w.cptSuppr, w.fichSuppr,
                                          w.Selection, w.Quitter2};
    for (QWidget* control : review) EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});
    EXPECT_FALSE(w.Panneau->isVisible());
    EXPECT_TRUE(w.Retour->isEnabled());
    EXPECT_EQ(menusEnabled(w), Marks(6, false));

    w.setScreenState(5);
    EXPECT_FALSE(w.resultatsAffiches());
    for (QWidget* control : review) EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    EXPECT_EQ(enabled({w.Retour, w.Init}), (Marks{false, true}));
}

TEST_F(ScreenStates, AComparisonReviewHasNoCheckBoxesNorSelectionAndQuitter2TakesSelectionsPlace)
{
    ui::Main& w = reviewWith(0);
    EXPECT_EQ(visible({w.Ajout[0], w.Ajout[1], w.Modif[0], w.Modif[1], w.Suppr[0], w.Suppr[1], w.cptAjout, w.cptModif,
                       w.cptSuppr, w.Selection}),
              Marks(10, false));
    EXPECT_EQ(visible({w.fichAjout, w.affSuppr}), Marks(2, true));
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});

    // An "add only" review shows the add pair alone; a comparison after it follows Selection's review place.
    w.Retour_Click();
    w.Action_Click(2);
    w.Lance_Click();
    EXPECT_EQ(visible({w.Ajout[0], w.Modif[0], w.cptSuppr}), (Marks{true, false, false}));
    w.Retour_Click();
    w.Action_Click(0);
    w.Lance_Click();
    EXPECT_EQ(visible({w.Selection, w.Ajout[0]}), Marks(2, false));
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});
}

// The sizes the window takes on a 1024×700 screen (its design), on a 1600×1000 screen at scale 2
// (800×500 device-independent pixels), maximised, and on the whole of a 1600×1000 screen.
TEST_F(ScreenStates, AtAnySizeNoControlIsOutsideTheWindowOrUnderAnotherAndTheListsShareTheHeight)
{
    for (int i = 10; i < 25; ++i) tree.makeFile("archive/vieux" + std::to_string(i) + ".txt", "v");
    ui::Main& w = reviewWith(1);
    EXPECT_TRUE(ui::fitsScreen(&w));
    const auto* area = w.findChild<QScrollArea*>(QStringLiteral("FormArea"));
    ASSERT_EQ(w.fichSuppr->model()->rowCount(), 15);
    for (QLabel* counter : {w.cptAjout, w.cptModif, w.cptSuppr}) counter->setText(QStringLiteral("123456"));
    int previousHeight = 0;
    for (const QSize size : {QSize(800, 500), w.size(), QSize(), QSize(1600, 1000)}) {
        if (size.isValid()) {
            w.showNormal();
            w.resize(size);
        } else {
            w.showMaximized();
        }
        QCoreApplication::processEvents();
        SCOPED_TRACE(std::to_string(w.width()) + "x" + std::to_string(w.height()));
        EXPECT_EQ(ui::misplacedControls(&w), Lines{});
        EXPECT_EQ(ui::cutCaptions(&w), Lines{});
        EXPECT_FALSE(area->verticalScrollBar()->isVisible());
        EXPECT_EQ(std::vector<int>({w.fichModif->height(), w.fichSuppr->height()}),
                  std::vector<int>(2, w.fichAjout->height()));
        EXPECT_GT(w.fichAjout->height(), previousHeight);
        previousHeight = w.fichAjout->height();
        // The last entry to delete, chosen, shows whole, and the list ends above the buttons.
        clickEntry(w.fichSuppr, 14);
        EXPECT_TRUE(w.fichSuppr->viewport()->rect().contains(w.fichSuppr->visualRect(w.fichSuppr->currentIndex())));
        EXPECT_LT(w.fichSuppr->geometry().bottom(), w.Selection->geometry().top());
    }

    // An execution's progress bar takes a row of its own above the buttons.
    w.setProgress(3, 20000, 1536, 3 * 1024 * 1024);
    EXPECT_EQ(w.Progression->text().toStdString(), "3 / 20000 éléments · 1,5 ko / 3,0 Mo");
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});
    w.setProgress(3, 4, 0, 0);  // nothing to copy: the share done follows the entries
    EXPECT_EQ(std::make_pair(w.Progression->text().toStdString(), w.Progression->value()),
              std::make_pair(std::string("3 / 4 éléments"), 750));
    w.setScreenState(4);
    EXPECT_FALSE(w.Progression->isVisible());

    // The home screen keeps the places of its design: a window smaller than it scrolls to them.
    w.Retour_Click();
    w.showNormal();
    w.resize(800, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});
    EXPECT_TRUE(area->verticalScrollBar()->isVisible());

    ui::place(w.Lance, {0, 0, 9000, 9000});
    EXPECT_EQ(ui::misplacedControls(&w), (Lines{"Comment1: under Lance", "Lance: outside Infos"}));
}

TEST_F(ScreenStates, WhileRunningTheCommandsThatWouldStartAnotherAreDisabledThenShowWhatTheScreenSet)
{
    ui::Main& w = reviewWith(1);
    const auto commands = [&w] {
        return std::vector<bool>{w.Lance->isEnabled(), w.Selection->isEnabled(), w.Quitter2->isEnabled(),
                                 w.Retour->isEnabled(), w.Init->isEnabled(),     w.Relire->isEnabled(),
                                 w.Edite[1]->isEnabled(), w.Fin->isEnabled()};
    };
    const Marks before = commands();
    EXPECT_EQ(before, (Marks{true, true, true, true, true, false, true, true}));
    w.setRunning(true);
    EXPECT_EQ(commands(), (Marks{false, false, false, false, false, false, false, true}));
    w.setRunning(false);
    EXPECT_EQ(commands(), before);

    // What the screen states set meanwhile shows once the run is over.
    w.setRunning(true);
    w.setScreenState(5);
    w.setScreenState(1);
    EXPECT_EQ(commands(), (Marks{false, false, false, false, false, false, false, true}));
    w.setRunning(false);
    EXPECT_EQ(commands(), (Marks{true, true, true, false, true, true, true, true}));
}

}  // namespace
}  // namespace velmorane::testing
