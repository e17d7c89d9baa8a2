#include "execution/executed_entries.h"
#include "execution/run_driver.h"
#include "platform/drives.h"
#include "platform/paths.h"
#include "profiles/filter_file.h"
#include "profiles/profile_file.h"
#include "ui/busy_scope.h"
#include "ui/unattended_window_run.h"
#include "ui/main_sinks.h"
#include "ui/outcome_boxes.h"
#include "ui/profile_dialogs.h"
#include "ui/main_window.h"
#include "ui/run_thread.h"

namespace velmorane::ui {

void MainWindow::createSinks()
{
    progress_ = std::make_unique<ProgressLabels>(*this);
    counters_ = std::make_unique<CounterLabels>(*this);
    runWatch_ = std::make_unique<RunWatch>(*this);
}

void MainWindow::loadAtStart(const profiles::CommandWords& words)
{
    // The screen shows no settings yet: opening the working directory chooses no folder.
    const std::string here = platform::currentDirectory();
    driveList->setDrives(platform::machineDrives());
    driveList->followMounts();
    const std::string drive = driveList->driveOf(here);
    driveList->showDrive(drive);
    folderList->setRoot(drive);
    folderList->setPath(here);

    state_.profileTable = readProfilesShowing(state_.profileFilePath, dialogs_);
    loadProfileMenu();
    const int number = words.first.empty() ? 0 : profiles::findProfile(state_.profileTable, words.first);

    screenState_ = ScreenState::ChoosingWork;
    state_.settings.direction = engine::Direction::Unset;
    state_.settings.action = engine::Action::Unset;
    state_.activeProfile = -1;
    reviewShown_ = false;
    showStatus();

    if (number != 0) openProfile(number);
}

void MainWindow::startRun()
{
    if (busy_) return;
    compareAndReview();
    // A close asked while the folders were read takes effect once they are.
    if (afterExecution_ != AfterExecution::Stay) leaveAfterExecution();
}

void MainWindow::compareAndReview()
{
    BusyScope busy(*this, busy_);
    execution::MirrorRun run(state_.settings, profiles::loadRunFilters(state_));
    const execution::ReviewStart start =
        runOnWorker(*this, *runWatch_, runThread_, [&](execution::RunObserver& observer) {
            return execution::RunDriver(run, observer).compareForReview();
        });
    if (start.declined) {
        setScreenState(ScreenState::LeavingReview);
        setScreenState(ScreenState::ChoosingWork);
        return;
    }
    if (!start.refusal) endRun(std::move(run));
}

// Before a run compares, the screen shows its progress over emptied lists.
void MainWindow::showComparing()
{
    setScreenState(ScreenState::NoChoice);
    setScreenState(ScreenState::Progress);
    reviewShown_ = true;
    run_.lists().clear();
    reloadLists();
}

void MainWindow::showExecuting()
{
    control_.clearStop();
    executing_ = true;
}

// A refusal is shown in its box; one met while comparing takes the screen back to the start.
void MainWindow::showRefusal(const execution::Refusal& refusal, bool whileComparing)
{
    const ui::Message box = refusalBox(refusal);
    if (refusal.kind == execution::RefusalKind::Settings) state_.statusText = box.text;
    dialogs_.show(box);
    if (!whileComparing) return;
    reloadLists();
    setScreenState(ScreenState::LeavingReview);
    setScreenState(ScreenState::ChoosingWork);
}

void MainWindow::endRun(execution::MirrorRun run)
{
    run_ = std::move(run);
    reloadLists();
    setScreenState(ScreenState::Review);
    resetEntry->setEnabled(true);
}

void MainWindow::executeChosenEntries()
{
    if (busy_ || !hasSomethingToExecute()) return;
    bool activeListHadEntries = true;
    {
        BusyScope busy(*this, busy_);
        storeSelections();
        if (!executeRun(executionChoice())) return;
        if (run_.outcome() != execution::RunOutcome::Stopped) {
            if (const auto report = executionReportBox(run_.report(), run_.plan().flags)) dialogs_.show(*report);
            setScreenState(ScreenState::Review);
        }
        activeListHadEntries = run_.report().activeListHadEntries;
    }
    if (afterExecution_ != AfterExecution::Stay) {
        leaveAfterExecution();
        return;
    }
    if (!activeListHadEntries && run_.outcome() != execution::RunOutcome::Stopped) backToSettings();
}

// False when the run could not take its folders again. The worker only reads the lists the window
// goes on showing; the executed entries leave them once it is over.
bool MainWindow::executeRun(const execution::ExecutionChoice& choice)
{
    const auto refusal = runOnWorker(*this, *runWatch_, runThread_, [&](execution::RunObserver& observer) {
        return execution::RunDriver(run_, observer).executeChosen(choice);
    });
    executing_ = false;
    if (!refusal) execution::removeExecutedEntries(run_.lists(), run_.report());
    reloadLists();
    return !refusal;
}

bool MainWindow::askToStopExecution(AfterExecution after)
{
    if (!personStopsExecution(dialogs_)) return false;
    afterExecution_ = after;
    control_.requestStop();
    return true;
}

void MainWindow::leaveAfterExecution()
{
    const AfterExecution after = afterExecution_;
    afterExecution_ = AfterExecution::Stay;
    if (after == AfterExecution::Quit) {
        quit();
    } else {
        close();
    }
}

// The window closes only between two runs: during an execution the user is asked, and Oui stops
// it between two files; the window then closes once the execution has said what it did. A
// comparison only reads and cannot be stopped: the window closes once it is over.
void MainWindow::closeEvent(QCloseEvent* event)
{
    if (executing_) {
        askToStopExecution(AfterExecution::Close);
        event->ignore();
        return;
    }
    if (busy_) {
        afterExecution_ = AfterExecution::Close;
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::addsBoxClicked(int index)
{
    pairClicked(pairs_[0], addsBoxes, index);
}

void MainWindow::replacementsBoxClicked(int index)
{
    pairClicked(pairs_[1], replacementsBoxes, index);
}

void MainWindow::deletionsBoxClicked(int index)
{
    pairClicked(pairs_[2], deletionsBoxes, index);
}

// The clicked box already shows its new state; both boxes then show what the pair holds.
void MainWindow::pairClicked(execution::CheckBoxPair& pair, const std::array<QCheckBox*, 2>& boxes, int index)
{
    pair.clicked(index, boxes[static_cast<std::size_t>(index)]->isChecked() ? 1 : 0);
    for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setChecked(pair.value(static_cast<int>(i)) == 1);
}

execution::ExecutionChoice MainWindow::executionChoice() const
{
    return {pairs_[0].selectedChosen(), pairs_[1].selectedChosen(), pairs_[2].selectedChosen()};
}

void MainWindow::storeSelections()
{
    addsModel_->storeSelection(addList->selectionModel()->selection());
    replacementsModel_->storeSelection(replaceList->selectionModel()->selection());
    deletionsModel_->storeSelection(deleteList->selectionModel()->selection());
}

// The views read the lists again; the entries left keep their selection.
void MainWindow::reloadLists()
{
    const std::array<std::pair<TaskListModel*, QListView*>, 3> views = {
        std::pair{addsModel_, addList}, std::pair{replacementsModel_, replaceList}, std::pair{deletionsModel_, deleteList}};
    for (const auto& [model, view] : views) {
        model->reload();
        view->selectionModel()->select(model->selectionOfList(), QItemSelectionModel::Select);
    }
}

}  // namespace velmorane::ui
