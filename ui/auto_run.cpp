#include "ui/auto_run.h"

#include "execution/journal.h"
#include "platform/date_text.h"
#include "profiles/profile_run.h"
#include "ui/execution_progress_bar.h"
#include "ui/qt_text.h"
#include "ui/run_thread.h"

namespace velmorane::ui {
namespace {

// The progress window has a bar and no lists: only the execution's progress is shown.
class ProgressBarCounters : public execution::CounterSink {
public:
    explicit ProgressBarCounters(Auto& window) : window_(window) {}
    void setCounter(execution::ListKind, const std::string&) override {}
    void setProgress(const execution::ExecutionProgress& progress) override
    {
        if (pace_.due(progress)) window_.setProgress(progress);
    }

private:
    Auto& window_;
    ProgressPace pace_;
};

// The progress window observes the run: the execution's phase and progress in the window, the
// refusals and failures in boxes. The window stays while the run works: closing it during the
// execution asks to stop it between two files; a comparison cannot be stopped and goes on.
class ProgressWindowWatch : public execution::RunObserver {
public:
    ProgressWindowWatch(Auto& window, platform::Dialogs& dialogs)
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
        window_.setAffiche("Exécution\r\ndes\r\ntâches");
    }
    void refused(const execution::Refusal& refusal) override { dialogs_.show(refusal.message); }
    bool continueAfterFailure(const execution::EntryFailure& failure) override
    {
        return dialogs_.show(execution::failureQuestion(failure)) == platform::Answer::Yes;
    }

private:
    Auto& window_;
    platform::Dialogs& dialogs_;
    ProgressBarCounters counters_;
    platform::RunControl control_;
    bool executing_ = false;
};

// A scheduled run of a profile that is not there leaves a trace too.
void journalProfileNotFound(const std::string& name)
{
    // Nothing was executed whether or not the journal takes the line.
    (void)execution::writeJournalLines(execution::kJournalFileName,
                                       execution::notExecutedLines("Profil " + name, "Profil introuvable",
                                                                   platform::currentTime()));
}

}  // namespace

AutoRunEnd runUnderProgressWindow(Auto& window, const profiles::CommandWords& words, platform::Dialogs& dialogs)
{
    auto found = profiles::profileRun(words.first, dialogs);
    if (!found) {
        journalProfileNotFound(words.first);
        return {execution::kExitNothingExecuted, true};
    }
    window.setWindowTitle(qt("Profil " + words.first + " en cours d'exécution"));
    window.setAffiche("Recherche\r\ndes\r\ndossiers");
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

bool personStopsExecution(platform::Dialogs& dialogs)
{
    platform::Message question =
        platform::question("Une exécution est en cours : l'arrêter ?", platform::kApplicationTitle, platform::Icon::Warning);
    question.defaultButton = platform::Answer::No;
    return dialogs.show(question) == platform::Answer::Yes;
}

}  // namespace velmorane::ui
