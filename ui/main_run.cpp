#include "engine/run.h"
#include "engine/validation.h"
#include "execution/journal.h"
#include "platform/date_text.h"
#include "platform/message_trail.h"
#include "platform/paths.h"
#include "platform/volumes.h"
#include "profiles/filter_file.h"
#include "profiles/profile_file.h"
#include "ui/qt_text.h"
#include "ui/main_sinks.h"
#include "ui/main_window.h"

#include <iostream>

namespace velmorane::ui {
namespace {

// Marks a command in progress for as long as it runs, whichever way it returns.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
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

    if (number == 0) return;
    newProf_Click(number);
    if (!profiles::asksUnattendedRun(words)) return;
    execAuto_ = true;
    wordAsTyped_ = words.first;
    if (!auto_) auto_ = std::make_unique<Auto>();
    auto_->setWindowTitle(qt("Profil " + words.first + " en cours d'exécution"));
    auto_->setAffiche("Recherche\r\ndes\r\ndossiers");
    auto_->show();
    Lance_Click();
}

void Main::Lance_Click()
{
    if (busy_) return;
    BusyScope busy(busy_);
    platform::MessageTrail trail(dialogs_);
    if (!engine::TesteOK(state_.settings, state_.txtMess, trail)) {
        if (execAuto_) stopBeforeExecution(trail.lastText());
        return;
    }
    auto exclusions = profiles::loadRunExclusions(state_, trail);
    if (!exclusions) {
        if (execAuto_) stopBeforeExecution(trail.lastText());
        return;
    }
    engine::RunPlan plan = engine::planRun(state_.settings);
    plan.exclusions = std::move(*exclusions);
    exclusions_ = plan.exclusions;
    state_.dosSource = plan.dosSource;
    state_.dosDest = plan.dosDest;
    flags_ = plan.flags;
    Environ(3);
    Environ(0);
    resultatsAffiches_ = true;
    lists_.fichAjout.clear();
    lists_.fichModif.clear();
    lists_.fichSuppr.clear();
    reloadLists();

    // An unattended run executes before this returns and keeps its folders locked until then;
    // the review waits for the user with the folders free.
    engine::RunResult result = engine::compareFolders(
        plan, trail, *progress_, pump_, execAuto_ ? engine::LockHolding::KeepInResult : engine::LockHolding::ReleaseAtEnd);
    if (result.outcome != engine::RunOutcome::Completed) {
        // A missing or empty source, a folder in use or one that cannot be read was reported.
        Environ(5);
        Environ(1);
        if (execAuto_) stopBeforeExecution(trail.lastText());
        return;
    }
    endRun(std::move(result.lists));
}

void Main::endRun(engine::TaskLists lists)
{
    lists_.fichAjout.assign(std::move(lists.fichAjout));
    lists_.fichModif.assign(std::move(lists.fichModif));
    lists_.fichSuppr.assign(std::move(lists.fichSuppr));
    reloadLists();
    if (execAuto_) {
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
    if (busy_) return;
    execution::ExecutionReport report;
    {
        BusyScope busy(busy_);
        const auto locks = engine::lockRunFolders(state_.dosSource, state_.dosDest, dialogs_);
        if (!locks) return;
        storeSelections();
        report = execution::Selection_Click(lists_, executionSettings(), dialogs_, *counters_, pump_);
        reloadLists();
        if (report.stopped) return;
        execution::reportExecution(report, flags_, dialogs_);
        Environ(4);
    }
    if (!report.activeListHadEntries) Retour_Click();
}

void Main::executeUnattended()
{
    const execution::ExecutionReport report =
        execution::Selection_Click(lists_, executionSettings(), dialogs_, *counters_, pump_);
    reloadLists();
    if (report.stopped) {
        stopUnattended();
        return;
    }
    const auto journalError = execution::writeJournalEntry(execution::kJournalFileName, windowTitle().toStdString(),
                                                           report.failures, platform::currentTime());
    if (journalError && !execution::askToContinue(*journalError, execution::kJournalFileName, {}, dialogs_)) {
        stopUnattended();
        return;
    }
    auto_->hide();
    exitStatus_ = report.failures > 0 || journalError ? 1 : 0;
}

// A scheduled run leaves a trace even when it did not execute: why, in the journal.
void Main::stopBeforeExecution(const std::string& message)
{
    execution::writeJournalLines(execution::kJournalFileName,
                                 execution::notExecutedLines(windowTitle().toStdString(), message,
                                                             platform::currentTime()));
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

execution::ExecutionSettings Main::executionSettings() const
{
    execution::ExecutionSettings settings;
    settings.dosSource = state_.dosSource;
    settings.dosDest = state_.dosDest;
    settings.flags = flags_;
    settings.exclusions = exclusions_;
    settings.ajoutSelectedChosen = pairs_[0].selectedChosen();
    settings.modifSelectedChosen = pairs_[1].selectedChosen();
    settings.supprSelectedChosen = pairs_[2].selectedChosen();
    return settings;
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
