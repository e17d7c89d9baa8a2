#include "execution/journal.h"
#include "platform/date_text.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "profiles/filter_file.h"
#include "profiles/profile_file.h"
#include "ui/qt_text.h"
#include "ui/main_sinks.h"
#include "ui/main_window.h"

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
}

void Main::Form_Load(const profiles::CommandWords& words)
{
    // modeEcran is still 0: opening the working directory chooses no folder.
    const std::string here = platform::currentDirectory();
    Lecteur->setVolumes(platform::mountedVolumes());
    const std::string drive = platform::volumeOf(here, Lecteur->volumes());
    Lecteur->showDrive(drive);
    Dossier->setRoot(drive);
    Dossier->setPath(here);

    state_.tabProfils = profiles::lireProfils(state_.profileFilePath, dialogs_);
    loadProfileMenu();
    const int number = words.first.empty() ? 0 : profiles::findProfile(state_.tabProfils, words.first);

    modeEcran_ = 1;
    state_.settings.sensTransfert = -1;
    state_.settings.typeAction = -1;
    state_.profActif = -1;
    resultatsAffiches_ = false;
    affMess();

    if (number == 0) {
        if (profiles::asksUnattendedRun(words)) journalProfileNotFound(words.first);
        return;
    }
    newProf_Click(number);
    if (!profiles::asksUnattendedRun(words)) return;
    execAuto_ = true;
    if (!auto_) auto_ = std::make_unique<Auto>();
    auto_->setWindowTitle(qt("Profil " + words.first + " en cours d'exécution"));
    auto_->setAffiche("Recherche\r\ndes\r\ndossiers");
    auto_->show();
    Lance_Click();
}

// A scheduled run of a profile that is not there leaves a trace too.
void Main::journalProfileNotFound(const std::string& name)
{
    execution::writeJournalLines(execution::kJournalFileName,
                                 execution::notExecutedLines("Profil " + name, "Profil introuvable",
                                                             platform::currentTime()));
}

void Main::Lance_Click()
{
    if (busy_) return;
    BusyScope busy(*this, busy_);
    execution::MirrorRun run(state_.settings, profiles::loadRunFilters(state_));
    auto refusal = run.prepare();
    if (refusal && refusal->kind == execution::RefusalKind::VolumeChanged && !execAuto_) {
        if (!goOnAnyway(refusal->message)) {
            Environ(5);
            Environ(1);
            return;
        }
        refusal = run.prepare(execution::VolumeCheck::Accept);
    }
    if (!refusal) refusal = run.guardVolumeRoot(volumeRootQuestion());
    if (refusal && refusal->kind == execution::RefusalKind::VolumeRoot && !execAuto_) {
        Environ(5);
        Environ(1);
        return;
    }
    if (refusal) {
        if (refusal->kind == execution::RefusalKind::Settings) state_.txtMess = refusal->message.text;
        dialogs_.show(refusal->message);
        if (execAuto_) stopBeforeExecution(run);
        return;
    }
    Environ(3);
    Environ(0);
    resultatsAffiches_ = true;
    run_.lists().clear();
    reloadLists();

    // An unattended run executes before this returns and keeps its folders locked until then;
    // the review waits for the user with the folders free.
    const auto holding = execAuto_ ? engine::LockHolding::KeepInResult : engine::LockHolding::ReleaseAtEnd;
    refusal = run.compare(*progress_, pump_, holding);
    if (refusal && refusal->kind == execution::RefusalKind::SourceWithoutFiles && !execAuto_) {
        if (!goOnAnyway(refusal->message)) {
            Environ(5);
            Environ(1);
            return;
        }
        refusal = run.compare(*progress_, pump_, holding, execution::NoFileCheck::Accept);
    }
    if (refusal) {
        dialogs_.show(refusal->message);
        Environ(5);
        Environ(1);
        if (execAuto_) stopBeforeExecution(run);
        return;
    }
    endRun(std::move(run));
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

// A person answers the question of a volume's top folder as destination; an unattended run is
// not asked, and stops.
execution::VolumeRootQuestion Main::volumeRootQuestion()
{
    if (execAuto_) return {};
    return [this](const platform::Message& question) { return dialogs_.show(question) == platform::Answer::Yes; };
}

void Main::endRun(execution::MirrorRun run)
{
    run_ = std::move(run);
    reloadLists();
    if (execAuto_) {
        if (const auto refusal = run_.guardMassChange()) {
            dialogs_.show(refusal->message);
            stopBeforeExecution(run_);
            return;
        }
        if (!auto_) auto_ = std::make_unique<Auto>();
        auto_->setAffiche("Exécution\r\ndes\r\ntâches");
        executeUnattended();
        return;
    }
    Environ(4);
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
            Environ(4);
        }
        activeListHadEntries = run_.report().activeListHadEntries;
    }
    if (afterExecution_ != AfterExecution::Stay) {
        leaveAfterExecution();
        return;
    }
    if (!activeListHadEntries && run_.outcome() != execution::RunOutcome::Stopped) Retour_Click();
}

// False when the run could not take its folders again.
bool Main::executeRun(const execution::ExecutionChoice& choice)
{
    pump_.clearStop();
    afterExecution_ = AfterExecution::Stay;
    executing_ = true;
    const auto refusal = run_.execute(choice, failureQuestion(), *counters_, pump_);
    executing_ = false;
    if (refusal) {
        dialogs_.show(refusal->message);
        return false;
    }
    reloadLists();
    return true;
}

bool Main::askToStopExecution(AfterExecution after)
{
    platform::Message question =
        platform::question("Une exécution est en cours : l'arrêter ?", platform::kApplicationTitle, platform::Icon::Warning);
    question.defaultButton = platform::Answer::No;
    if (dialogs_.show(question) != platform::Answer::Yes) return false;
    afterExecution_ = after;
    pump_.requestStop();
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
// it between two files; the window then closes once the execution has said what it did.
void Main::closeEvent(QCloseEvent* event)
{
    if (executing_) {
        askToStopExecution(AfterExecution::Close);
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void Main::executeUnattended()
{
    auto_->setCloseQuestion([this] {
        if (executing_) askToStopExecution(AfterExecution::Stay);
        return false;
    });
    executeRun({});
    if (run_.outcome() == execution::RunOutcome::Stopped) {
        stopUnattended();
        return;
    }
    const auto journalError = execution::writeJournalLines(
        execution::kJournalFileName, run_.journalLines(windowTitle().toStdString(), platform::currentTime()));
    if (journalError && !failureQuestion()({*journalError, execution::kJournalFileName, {}})) {
        stopUnattended();
        return;
    }
    auto_->hide();
    exitStatus_ = journalError ? 1 : run_.exitStatus();
}

// A scheduled run leaves a trace even when it did not execute: why, in the journal.
void Main::stopBeforeExecution(const execution::MirrorRun& run)
{
    execution::writeJournalLines(execution::kJournalFileName,
                                 run.journalLines(windowTitle().toStdString(), platform::currentTime()));
    stopUnattended();
}

// An unattended run that does not end the program leaves the user an ordinary window: the next
// run goes to the review instead of executing at once.
void Main::stopUnattended()
{
    execAuto_ = false;
    if (auto_) auto_->hide();
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

// The "Erreur grave" question, in a box.
execution::FailureQuestion Main::failureQuestion()
{
    return [this](const execution::EntryFailure& failure) {
        return dialogs_.show(execution::failureQuestion(failure)) == platform::Answer::Yes;
    };
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
