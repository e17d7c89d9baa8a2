#include "ui/unattended_window_run.h"

#include "execution/journal.h"
#include "platform/date_text.h"
#include "profiles/profile_run.h"
#include "profiles/profile_texts.h"
#include "ui/outcome_boxes.h"
#include "ui/execution_progress_bar.h"
#include "ui/qt_text.h"
#include "ui/run_thread.h"

namespace velmorane::ui {
namespace {

// The progress window has a bar and no lists: only the execution's progress is shown.
class ProgressBarCounters : public execution::CounterSink {
public:
    explicit ProgressBarCounters(ProgressWindow& window) : window_(window) {}
    void setCounter(execution::ListKind, const std::string&) override {}
    void setProgress(const execution::ExecutionProgress& progress) override
    {
        if (pace_.due(progress)) window_.setProgress(progress);
    }

private:
    ProgressWindow& window_;
    ProgressPace pace_;
};

// The progress window observes the run: the execution's phase and progress in the window, the
// refusals and failures in boxes. The window stays while the run works: closing it during the
// execution asks to stop it between two files; a comparison cannot be stopped and goes on.
class ProgressWindowWatch : public execution::RunObserver {
public:
    ProgressWindowWatch(ProgressWindow& window, ui::Dialogs& dialogs)
        : window_(window), dialogs_(dialogs), counters_(window)
    {
        window_.setCloseQuestion([this] {
            if (executing_ && personStopsExecution(dialogs_)) control_.requestStop();
            return false;
        });
    }
    ~ProgressWindowWatch() override { window_.setCloseQuestion({}); }
    ProgressWindowWatch(const ProgressWindowWatch&) = delete;
    ProgressWindowWatch& operator=(const ProgressWindowWatch&) = delete;

    execution::CounterSink& counters() override { return counters_; }
    platform::RunControl& control() override { return control_; }
    void phaseStarted(execution::RunPhase phase) override
    {
        if (phase != execution::RunPhase::Executing) return;
        executing_ = true;
        window_.setMessage("Exécution\ndes\ntâches");
    }
    void refused(const execution::Refusal& refusal) override { dialogs_.show(refusalBox(refusal)); }
    bool continueAfterFailure(const execution::EntryFailure& failure) override
    {
        return dialogs_.show(failureQuestion(failure)) == ui::Answer::Yes;
    }

private:
    ProgressWindow& window_;
    ui::Dialogs& dialogs_;
    ProgressBarCounters counters_;
    platform::RunControl control_;
    bool executing_ = false;
};

// A scheduled run of a profile that is not there leaves a trace too; a journal that does not take
// it is said. Nothing was executed either way.
void journalProfileNotFound(const std::string& name, ui::Dialogs& dialogs)
{
    const auto error = execution::writeJournalLines(
        execution::kJournalFileName,
        execution::notExecutedLines("Profil " + name, "Profil introuvable", platform::currentTime()));
    if (error) dialogs.show(ui::stopMessage(execution::journalFailureText(*error), execution::kApplicationTitle));
}

}  // namespace

UnattendedWindowEnd runUnderProgressWindow(ProgressWindow& window, const profiles::CommandWords& words, ui::Dialogs& dialogs)
{
    auto profile = profiles::profileRun(words.first);
    if (profile.problem) {
        const execution::OutcomeText text = profiles::profileFileText(*profile.problem);
        dialogs.show(ui::stopMessage(text.text, text.title));
    }
    auto& found = profile.run;
    if (!found) {
        journalProfileNotFound(words.first, dialogs);
        return {execution::kExitNothingExecuted, true};
    }
    window.setWindowTitle(qt("Profil " + words.first + " en cours d'exécution"));
    window.setMessage("Recherche\ndes\ndossiers");
    window.show();
    std::thread::id worker;
    execution::UnattendedEnd end;
    {
        ProgressWindowWatch watch(window, dialogs);
        end = runOnWorker(window, watch, worker, [&](execution::RunObserver& observer) {
            return execution::RunDriver(found->run, observer).runUnattended(found->windowTitle,
                                                                            execution::kJournalFileName);
        });
    }
    window.hide();
    return {end.exitStatus, end.exitStatus == execution::kExitNothingExecuted || end.stoppedByPerson};
}

bool personStopsExecution(ui::Dialogs& dialogs)
{
    ui::Message question =
        ui::question("Une exécution est en cours : l'arrêter ?", execution::kApplicationTitle, ui::Icon::Warning);
    question.defaultButton = ui::Answer::No;
    return dialogs.show(question) == ui::Answer::Yes;
}

}  // namespace velmorane::ui
