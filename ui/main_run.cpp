#include "execution/executed_entries.h"
#include "execution/run_driver.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "profiles/filter_file.h"
#include "profiles/profile_file.h"
#include "ui/auto_run.h"
#include "ui/main_sinks.h"
#include "ui/main_window.h"
#include "ui/run_thread.h"

namespace velmorane::ui {
namespace {

// Marks a command in progress for as long as it runs, whichever way it returns; the commands that
// would start another are disabled meanwhile.
class BusyScope {
public:
    BusyScope(Main& main, bool& busy) : main_(main), busy_(busy)
    {
        busy_ = true;
        main_.setRunning(true);
    }
    ~BusyScope()
    {
        busy_ = false;
        main_.setRunning(false);
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    Main& main_;
    bool& busy_;
};

}  // namespace

void Main::createSinks()
{
    progress_ = std::make_unique<ProgressLabels>(*this);
    counters_ = std::make_unique<CounterLabels>(*this);
    runWatch_ = std::make_unique<RunWatch>(*this);
}

void Main::loadAtStart(const profiles::CommandWords& words)
{
    // modeEcran is still 0: opening the working directory chooses no folder.
    const std::string here = platform::currentDirectory();
    Lecteur->setVolumes(platform::mountedVolumes());
    const std::string drive = platform::volumeOf(here, Lecteur->volumes());
    Lecteur->showDrive(drive);
    Dossier->setRoot(drive);
    Dossier->setPath(here);

    state_.tabProfils = profiles::readProfiles(state_.profileFilePath, dialogs_);
    loadProfileMenu();
    const int number = words.first.empty() ? 0 : profiles::findProfile(state_.tabProfils, words.first);

    modeEcran_ = 1;
    state_.settings.direction = engine::Direction::Unset;
    state_.settings.action = engine::Action::Unset;
    state_.profActif = -1;
    resultatsAffiches_ = false;
    affMess();

    if (number != 0) newProf_Click(number);
}

void Main::Lance_Click()
{
    if (busy_) return;
    compareAndReview();
    // A close asked while the folders were read takes effect once they are.
    if (afterExecution_ != AfterExecution::Stay) leaveAfterExecution();
}

void Main::compareAndReview()
{
    BusyScope busy(*this, busy_);
    execution::MirrorRun run(state_.settings, profiles::loadRunFilters(state_));
    const execution::ReviewStart start =
        runOnWorker(*this, *runWatch_, runThread_, [&](execution::RunObserver& observer) {
            return execution::RunDriver(run, observer).compareForReview();
        });
    if (start.declined) {
        setScreenState(5);
        setScreenState(1);
        return;
    }
    if (!start.refusal) endRun(std::move(run));
}

// Before a run compares, the screen shows its progress over emptied lists.
void Main::showComparing()
{
    setScreenState(3);
    setScreenState(0);
    resultatsAffiches_ = true;
    run_.lists().clear();
    reloadLists();
}

void Main::showExecuting()
{
    control_.clearStop();
    executing_ = true;
}

// A refusal is shown in its box; one met while comparing takes the screen back to the start.
void Main::showRefusal(const execution::Refusal& refusal, bool whileComparing)
{
    if (refusal.kind == execution::RefusalKind::Settings) state_.txtMess = refusal.message.text;
    dialogs_.show(refusal.message);
    if (!whileComparing) return;
    reloadLists();
    setScreenState(5);
    setScreenState(1);
}

// A person may mirror onto a folder that really moved to another disk, whose new volume is then
// remembered by the execution, or from a source that holds no file, and then reviews the lists.
bool Main::goOnAnyway(const platform::Message& refusal)
{
    platform::Message question = platform::question(refusal.text + "\r\nContinuer quand même ?", refusal.title,
                                                    platform::Icon::Warning);
    question.defaultButton = platform::Answer::No;
    return dialogs_.show(question) == platform::Answer::Yes;
}

void Main::endRun(execution::MirrorRun run)
{
    run_ = std::move(run);
    reloadLists();
    setScreenState(4);
    Init->setEnabled(true);
}

void Main::Selection_Click()
{
    if (busy_ || !hasSomethingToExecute()) return;
    bool activeListHadEntries = true;
    {
        BusyScope busy(*this, busy_);
        storeSelections();
        if (!executeRun(executionChoice())) return;
        if (run_.outcome() != execution::RunOutcome::Stopped) {
            if (const auto report = execution::executionReport(run_.report(), run_.plan().flags)) dialogs_.show(*report);
            setScreenState(4);
        }
        activeListHadEntries = run_.report().activeListHadEntries;
    }
    if (afterExecution_ != AfterExecution::Stay) {
        leaveAfterExecution();
        return;
    }
    if (!activeListHadEntries && run_.outcome() != execution::RunOutcome::Stopped) Retour_Click();
}

// False when the run could not take its folders again. The worker only reads the lists the window
// goes on showing; the executed entries leave them once it is over.
bool Main::executeRun(const execution::ExecutionChoice& choice)
{
    const auto refusal = runOnWorker(*this, *runWatch_, runThread_, [&](execution::RunObserver& observer) {
        return execution::RunDriver(run_, observer).executeChosen(choice);
    });
    executing_ = false;
    if (!refusal) execution::removeExecutedEntries(run_.lists(), run_.report());
    reloadLists();
    return !refusal;
}

bool Main::askToStopExecution(AfterExecution after)
{
    if (!personStopsExecution(dialogs_)) return false;
    afterExecution_ = after;
    control_.requestStop();
    return true;
}

void Main::leaveAfterExecution()
{
    const AfterExecution after = afterExecution_;
    afterExecution_ = AfterExecution::Stay;
    if (after == AfterExecution::Quit) {
        Fin_Click();
    } else {
        close();
    }
}

// The window closes only between two runs: during an execution the user is asked, and Oui stops
// it between two files; the window then closes once the execution has said what it did. A
// comparison only reads and cannot be stopped: the window closes once it is over.
void Main::closeEvent(QCloseEvent* event)
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

void Main::Ajout_Click(int index)
{
    pairClicked(pairs_[0], Ajout, index);
}

void Main::Modif_Click(int index)
{
    pairClicked(pairs_[1], Modif, index);
}

void Main::Suppr_Click(int index)
{
    pairClicked(pairs_[2], Suppr, index);
}

// The clicked box already shows its new state; both boxes then show what the pair holds.
void Main::pairClicked(execution::CheckBoxPair& pair, const std::array<QCheckBox*, 2>& boxes, int index)
{
    pair.clicked(index, boxes[static_cast<std::size_t>(index)]->isChecked() ? 1 : 0);
    for (std::size_t i = 0; i < boxes.size(); ++i) boxes[i]->setChecked(pair.value(static_cast<int>(i)) == 1);
}

execution::ExecutionChoice Main::executionChoice() const
{
    return {pairs_[0].selectedChosen(), pairs_[1].selectedChosen(), pairs_[2].selectedChosen()};
}

void Main::storeSelections()
{
    modelAjout_->storeSelection(fichAjout->selectionModel()->selection());
    modelModif_->storeSelection(fichModif->selectionModel()->selection());
    modelSuppr_->storeSelection(fichSuppr->selectionModel()->selection());
}

// The views read the lists again; the entries left keep their selection.
void Main::reloadLists()
{
    const std::array<std::pair<TaskListModel*, QListView*>, 3> views = {
        std::pair{modelAjout_, fichAjout}, std::pair{modelModif_, fichModif}, std::pair{modelSuppr_, fichSuppr}};
    for (const auto& [model, view] : views) {
        model->reload();
        view->selectionModel()->select(model->selectionOfList(), QItemSelectionModel::Select);
    }
}

}  // namespace velmorane::ui
