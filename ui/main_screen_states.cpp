#include "execution/review_headings.h"
#include "ui/main_window.h"
#include "ui/twips.h"

#include <algorithm>

namespace velmorane::ui {
namespace {

// Review places in twips: the gap between groups and between the buttons, what is left right of
// the lists and below the buttons, a counter wide enough for six digits, the fewest lines a list
// shrinks to.
constexpr int kGap = 60;
constexpr int kRightOfLists = 130;
constexpr int kBelowButtons = 80;
constexpr int kCounterWidth = 660;
constexpr int kListMinimumHeight = 900;
// The review with its lists at their fewest lines and the progress bar of an execution.
constexpr int kReviewMinimumHeight = 1140 + 3 * (300 + kListMinimumHeight) + 4 * kGap + 2 * 300 + kBelowButtons;

void setMenusEnabled(std::initializer_list<QAction*> items, bool enabled)
{
    for (QAction* item : items) item->setEnabled(enabled);
}

}  // namespace

// The one place that shows, hides, moves and recolours the controls of a screen state.
void MainWindow::setScreenState(ScreenState state)
{
    screenState_ = state;
    switch (state) {
    case ScreenState::Progress: showProgressScreen(); break;
    case ScreenState::ChoosingWork:
        // Back from a run or a review: what an execution changed on disk shows in the lists.
        if (browsingFrame->isHidden()) refreshBrowsing();
        browsingFrame->setTitle(QStringLiteral("Double Clic pour Sélectionner le Dossier de Travail"));
        browsingFrame->show();
        informationFrame->show();
        setBackground(workLabel, kWhite);
        setBackground(archiveLabel, kLightGrey);
        break;
    case ScreenState::ChoosingArchive:
        browsingFrame->setTitle(QStringLiteral("Double Clic pour Sélectionner le Dossier d'Archive"));
        setBackground(workLabel, kLightGrey);
        setBackground(archiveLabel, kWhite);
        break;
    case ScreenState::NoChoice:
        setBackground(workLabel, kLightGrey);
        setBackground(archiveLabel, kLightGrey);
        break;
    case ScreenState::Review: showReviewScreen(); break;
    case ScreenState::LeavingReview: leaveReviewScreen(); break;
    }
}

void MainWindow::showProgressScreen()
{
    setMenusEnabled({actionMenu->menuAction(), directionMenu->menuAction(), profileMenu->menuAction(), workFolderEntry, archiveFolderEntry, rereadEntry,
                     resetEntry},
                    false);
    browsingFrame->hide();
    informationFrame->hide();
    hintPicture->hide();
    editMenu->menuAction()->setEnabled(false);
    setTop(progressFrame, 1100);
    setLeft(progressFrame, 60);
    setWidth(progressFrame, 9780);
    setWidth(stepLabel, 9000);
    setLeft(counterLabel, 9120);
    progressFrame->show();
}

// Each place is read back from the controls already placed, so whatever size a control really
// takes, the controls below it follow.
void MainWindow::showReviewScreen()
{
    progressFrame->hide();
    hintPicture->hide();
    progressBar->hide();
    backEntry->setEnabled(true);
    form_->setMinimumHeight(toPixels(kReviewMinimumHeight));
    placeReview();

    for (QWidget* control : std::initializer_list<QWidget*>{addsHeading, replacementsHeading, deletionsHeading, addList, replaceList,
                                                            deleteList}) {
        control->show();
    }
    const execution::TaskLists& lists = run_.lists();
    for (const auto& [heading, kind] : {std::pair{addsHeading, engine::ListKind::Add},
                                        std::pair{replacementsHeading, engine::ListKind::Replace},
                                        std::pair{deletionsHeading, engine::ListKind::Delete}}) {
        heading->setText(QString::fromStdString(execution::listHeading(kind, lists[kind].count())));
    }
    for (QLabel* counter : {addsCounter, replacementsCounter, deletionsCounter}) counter->clear();

    const auto showGroup = [](std::array<QCheckBox*, 2>& boxes, QLabel* counter) {
        boxes[0]->show();
        boxes[1]->show();
        counter->show();
    };
    const engine::RunFlags& flags = run_.plan().flags;
    if (flags.executeAdds) showGroup(addsBoxes, addsCounter);
    if (flags.executeReplacements) showGroup(replacementsBoxes, replacementsCounter);
    if (flags.executeDeletions) showGroup(deletionsBoxes, deletionsCounter);
    if (!flags.compareOnly) executeButton->show();
    leaveReviewButton->show();
}

// The three lists share the height between the top band and the row of buttons at the bottom of
// the window, so no list reaches under a button whatever the size of the window. The progress bar
// of an execution goes below the delete list.
void MainWindow::placeReview()
{
    setTop(addsHeading, 1140);
    setLeft(addsHeading, 60);
    setWidth(addsHeading, 4000);
    setHeight(addsHeading, 300);

    const int formWidth = form_->width() * kTwipsPerPixel;
    const int formHeight = form_->height() * kTwipsPerPixel;
    const int buttonsTop = formHeight - kBelowButtons - heightOf(addsHeading);
    // While an execution runs, its progress bar takes a row above the buttons.
    const int progressRow = progressBar->isHidden() ? 0 : heightOf(addsHeading) + kGap;
    const int listsHeight = buttonsTop - progressRow - kGap - topOf(addsHeading) - 3 * heightOf(addsHeading) - 2 * kGap;
    // Whole pixels, so the three lists are alike.
    const int listHeight = std::max(kListMinimumHeight, listsHeight / 3 / kTwipsPerPixel * kTwipsPerPixel);

    // A row of heading, two check boxes and counter, with its list below it.
    const auto layGroup = [this](QLabel* heading, std::array<QCheckBox*, 2>& boxes, QLabel* counter, QListView* list,
                                 int boxWidth, int listWidth, int height) {
        place(boxes[0], {leftOf(heading) + widthOf(heading), topOf(heading), boxWidth, heightOf(addsHeading)});
        place(boxes[1], {leftOf(boxes[0]) + widthOf(boxes[0]), topOf(boxes[0]), widthOf(addsBoxes[0]), heightOf(addsHeading)});
        place(counter, {leftOf(boxes[1]) + widthOf(boxes[1]), topOf(heading), kCounterWidth, heightOf(heading)});
        place(list, {leftOf(addsHeading), topOf(heading) + heightOf(heading), listWidth, height});
    };
    layGroup(addsHeading, addsBoxes, addsCounter, addList, 2900, formWidth - kRightOfLists, listHeight);
    place(replacementsHeading, {leftOf(addsHeading), topOf(addList) + heightOf(addList) + kGap, widthOf(addsHeading), heightOf(addsHeading)});
    layGroup(replacementsHeading, replacementsBoxes, replacementsCounter, replaceList, widthOf(addsBoxes[0]), widthOf(addList), heightOf(addList));
    place(deletionsHeading, {leftOf(addsHeading), topOf(replaceList) + heightOf(replaceList) + kGap, widthOf(addsHeading), heightOf(addsHeading)});
    layGroup(deletionsHeading, deletionsBoxes, deletionsCounter, deleteList, widthOf(addsBoxes[0]), widthOf(addList), heightOf(addList));

    // The leave button follows the execute button's place, which is set even when that button stays hidden.
    place(executeButton, {leftOf(addsHeading), buttonsTop, widthOf(addsHeading), heightOf(addsHeading)});
    place(leaveReviewButton, {leftOf(executeButton) + widthOf(executeButton) + kGap, topOf(executeButton), widthOf(addsHeading), heightOf(addsHeading)});
    place(progressBar, {leftOf(deleteList), topOf(deleteList) + heightOf(deleteList) + kGap, widthOf(deleteList),
                        heightOf(addsHeading)});
}

void MainWindow::leaveReviewScreen()
{
    progressFrame->hide();
    progressBar->hide();
    form_->setMinimumHeight(toPixels(kClientHeight));
    reviewShown_ = false;
    setMenusEnabled({actionMenu->menuAction(), profileMenu->menuAction(), editMenu->menuAction(), directionMenu->menuAction(),
                     workFolderEntry, archiveFolderEntry, rereadEntry},
                    true);
    for (QWidget* control : std::initializer_list<QWidget*>{addList, replaceList, deleteList, addsHeading, replacementsHeading,
                                                            deletionsHeading, addsBoxes[0], replacementsBoxes[0], deletionsBoxes[0], addsBoxes[1],
                                                            replacementsBoxes[1], deletionsBoxes[1], executeButton, leaveReviewButton}) {
        control->hide();
    }
    backEntry->setEnabled(false);
    for (QLabel* counter : {addsCounter, replacementsCounter, deletionsCounter}) counter->hide();
}

}  // namespace velmorane::ui
