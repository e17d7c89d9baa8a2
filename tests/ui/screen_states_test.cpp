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
    ui::MainWindow& reviewWith(int typeAction)
    {
        tree.makeFile("travail/f1.txt", "x");
        tree.makeFile("travail/f2.txt", "x");
        tree.makeFolder("archive");
        writeProfiles({profile("P", tree.path("travail"), tree.path("archive"), std::to_string(typeAction))});
        ui::MainWindow& w = start("P");
        w.startRun();
        return w;
    }

    // The enabled states of the direction, action, profile and edit menus and of the folder commands.
    static std::vector<bool> menusEnabled(ui::MainWindow& w)
    {
        return enabled({w.directionMenu->menuAction(), w.actionMenu->menuAction(), w.profileMenu->menuAction(),
                        w.editMenu->menuAction(), w.workFolderEntry, w.archiveFolderEntry});
    }
};

using Marks = std::vector<bool>;
using Lines = std::vector<std::string>;

TEST_F(ScreenStates, FromTheHomeScreenAtStartThroughProgressArchiveAndUnknownStatesBackHome)
{
    ui::MainWindow& w = start();
    EXPECT_EQ(w.centralWidget()->size(), QSize(702, 528));  // 10530 × 7920 twips
    EXPECT_EQ(visible({w.browsingFrame, w.informationFrame, w.folderList, w.startButton, w.workLabel, w.actionLabel}), Marks(6, true));
    EXPECT_EQ(visible({w.progressFrame, w.hintPicture, w.addsHeading, w.replacementsBoxes[1], w.deletionsCounter, w.addList, w.executeButton, w.leaveReviewButton}),
              Marks(8, false));
    for (const auto* pair : {&w.addsBoxes, &w.replacementsBoxes, &w.deletionsBoxes}) {
        EXPECT_EQ((*pair)[1]->text().toStdString(), "Eléments Non-Sélectionnés");
        EXPECT_EQ(checks(*pair), (Marks{false, true}));
    }
    EXPECT_EQ(w.backEntry->text().toStdString(), "&Revenir au Menu");
    EXPECT_EQ(enabled({w.backEntry, w.resetEntry}), (Marks{false, true}));
    EXPECT_EQ(menusEnabled(w), Marks(6, true));
    EXPECT_EQ(w.browsingFrame->title().toStdString(), "Double Clic pour Sélectionner le Dossier de Travail");
    EXPECT_EQ(std::make_pair(ui::background(w.workLabel), ui::background(w.archiveLabel)), std::make_pair(kWhite, kGrey));

    w.setScreenState(ui::ScreenState::NoChoice);
    EXPECT_EQ(w.screenState(), ui::ScreenState::NoChoice);
    EXPECT_EQ(std::make_pair(ui::background(w.workLabel), ui::background(w.archiveLabel)), std::make_pair(kGrey, kGrey));
    w.setScreenState(ui::ScreenState::Progress);
    EXPECT_EQ(w.screenState(), ui::ScreenState::Progress);
    EXPECT_EQ(menusEnabled(w), Marks(6, false));
    EXPECT_EQ(enabled({w.resetEntry, w.quitEntry}), (Marks{false, true}));
    EXPECT_EQ(visible({w.browsingFrame, w.informationFrame, w.progressFrame}), (Marks{false, false, true}));

    // Choosing the archive folder never brings back a hidden frame.
    w.setScreenState(ui::ScreenState::ChoosingArchive);
    EXPECT_EQ(w.browsingFrame->title().toStdString(), "Double Clic pour Sélectionner le Dossier d'Archive");
    EXPECT_EQ(std::make_pair(ui::background(w.workLabel), ui::background(w.archiveLabel)), std::make_pair(kGrey, kWhite));
    EXPECT_FALSE(w.browsingFrame->isVisible());
    EXPECT_TRUE(w.progressFrame->isVisible());
    w.setScreenState(ui::ScreenState::LeavingReview);
    w.setScreenState(ui::ScreenState::ChoosingWork);
    EXPECT_EQ(visible({w.browsingFrame, w.informationFrame, w.progressFrame}), (Marks{true, true, false}));
    EXPECT_EQ(menusEnabled(w), Marks(6, true));
}

TEST_F(ScreenStates, TheReviewLaysTheThreeGroupsOutAndLeavingItHidesThem)
{
    ui::MainWindow& w = reviewWith(1);
    EXPECT_EQ(w.screenState(), ui::ScreenState::Review);
    const std::vector<QWidget*> review = {w.addsHeading, w.addsBoxes[0], w.addsBoxes[1], w.addsCounter, w.addList,
                                          w.replacementsHeading, w.replacementsBoxes[0], w.replacementsBoxes[1], w.replacementsCounter, w.replaceList,
                                          w.deletionsHeading, w.deletionsBoxes[0], w.deletionsBoxes[1], w.deletionsCounter, w.deleteList,
                                          w.executeButton, w.leaveReviewButton};
    for (QWidget* control : review) EXPECT_TRUE(control->isVisible()) << control->objectName().toStdString();
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});
    EXPECT_FALSE(w.progressFrame->isVisible());
    EXPECT_TRUE(w.backEntry->isEnabled());
    EXPECT_EQ(menusEnabled(w), Marks(6, false));

    w.setScreenState(ui::ScreenState::LeavingReview);
    EXPECT_FALSE(w.reviewShown());
    for (QWidget* control : review) EXPECT_FALSE(control->isVisible()) << control->objectName().toStdString();
    EXPECT_EQ(enabled({w.backEntry, w.resetEntry}), (Marks{false, true}));
}

TEST_F(ScreenStates, AComparisonReviewHasNoCheckBoxesNorSelectionAndQuitter2TakesSelectionsPlace)
{
    ui::MainWindow& w = reviewWith(0);
    EXPECT_EQ(visible({w.addsBoxes[0], w.addsBoxes[1], w.replacementsBoxes[0], w.replacementsBoxes[1], w.deletionsBoxes[0], w.deletionsBoxes[1], w.addsCounter, w.replacementsCounter,
                       w.deletionsCounter, w.executeButton}),
              Marks(10, false));
    EXPECT_EQ(visible({w.addList, w.deletionsHeading}), Marks(2, true));
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});

    // An "add only" review shows the add pair alone; a comparison after it follows Selection's review place.
    w.backToSettings();
    w.actionChosen(2);
    w.startRun();
    EXPECT_EQ(visible({w.addsBoxes[0], w.replacementsBoxes[0], w.deletionsCounter}), (Marks{true, false, false}));
    w.backToSettings();
    w.actionChosen(0);
    w.startRun();
    EXPECT_EQ(visible({w.executeButton, w.addsBoxes[0]}), Marks(2, false));
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});
}

// The sizes the window takes on a 1024×700 screen (its design), on a 1600×1000 screen at scale 2
// (800×500 device-independent pixels), maximised, and on the whole of a 1600×1000 screen.
TEST_F(ScreenStates, AtAnySizeNoControlIsOutsideTheWindowOrUnderAnotherAndTheListsShareTheHeight)
{
    for (int i = 10; i < 25; ++i) tree.makeFile("archive/vieux" + std::to_string(i) + ".txt", "v");
    ui::MainWindow& w = reviewWith(1);
    EXPECT_TRUE(ui::fitsScreen(&w));
    const auto* area = w.findChild<QScrollArea*>(QStringLiteral("FormArea"));
    ASSERT_EQ(w.deleteList->model()->rowCount(), 15);
    for (QLabel* counter : {w.addsCounter, w.replacementsCounter, w.deletionsCounter}) counter->setText(QStringLiteral("123456"));
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
        EXPECT_EQ(std::vector<int>({w.replaceList->height(), w.deleteList->height()}),
                  std::vector<int>(2, w.addList->height()));
        EXPECT_GT(w.addList->height(), previousHeight);
        previousHeight = w.addList->height();
        // The last entry to delete, chosen, shows whole, and the list ends above the buttons.
        clickEntry(w.deleteList, 14);
        EXPECT_TRUE(w.deleteList->viewport()->rect().contains(w.deleteList->visualRect(w.deleteList->currentIndex())));
        EXPECT_LT(w.deleteList->geometry().bottom(), w.executeButton->geometry().top());
    }

    // An execution's progress bar takes a row of its own above the buttons.
    w.setProgress(3, 20000, 1536, 3 * 1024 * 1024);
    EXPECT_EQ(w.progressBar->text().toStdString(), "3 / 20000 éléments · 1,5 ko / 3,0 Mo");
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});
    w.setProgress(3, 4, 0, 0);  // nothing to copy: the share done follows the entries
    EXPECT_EQ(std::make_pair(w.progressBar->text().toStdString(), w.progressBar->value()),
              std::make_pair(std::string("3 / 4 éléments"), 750));
    w.setScreenState(ui::ScreenState::Review);
    EXPECT_FALSE(w.progressBar->isVisible());

    // The home screen keeps the places of its design: a window smaller than it scrolls to them.
    w.backToSettings();
    w.showNormal();
    w.resize(800, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(ui::misplacedControls(&w), Lines{});
    EXPECT_TRUE(area->verticalScrollBar()->isVisible());

    ui::place(w.startButton, {0, 0, 9000, 9000});
    EXPECT_EQ(ui::misplacedControls(&w), (Lines{"Comment1: under Lance", "Lance: outside Infos"}));
}

TEST_F(ScreenStates, WhileRunningTheCommandsThatWouldStartAnotherAreDisabledThenShowWhatTheScreenSet)
{
    ui::MainWindow& w = reviewWith(1);
    const auto commands = [&w] {
        return std::vector<bool>{w.startButton->isEnabled(), w.executeButton->isEnabled(), w.leaveReviewButton->isEnabled(),
                                 w.backEntry->isEnabled(), w.resetEntry->isEnabled(),     w.rereadEntry->isEnabled(),
                                 w.editEntries[1]->isEnabled(), w.quitEntry->isEnabled()};
    };
    const Marks before = commands();
    EXPECT_EQ(before, (Marks{true, true, true, true, true, false, true, true}));
    w.setRunning(true);
    EXPECT_EQ(commands(), (Marks{false, false, false, false, false, false, false, true}));
    w.setRunning(false);
    EXPECT_EQ(commands(), before);

    // What the screen states set meanwhile shows once the run is over.
    w.setRunning(true);
    w.setScreenState(ui::ScreenState::LeavingReview);
    w.setScreenState(ui::ScreenState::ChoosingWork);
    EXPECT_EQ(commands(), (Marks{false, false, false, false, false, false, false, true}));
    w.setRunning(false);
    EXPECT_EQ(commands(), (Marks{true, true, true, false, true, true, true, true}));
}

}  // namespace
}  // namespace velmorane::testing
