#include "cli/unattended_run.h"

#include "execution/journal.h"
#include "execution/run_driver.h"
#include "platform/date_text.h"
#include "platform/headless_dialogs.h"
#include "profiles/profile_run.h"

namespace velmorane::cli {
namespace {

// Standard error observes the run: its refusal, the failures (answered with the box's default,
// which goes on) and what the trashes did.
class ErrorStreamObserver : public execution::RunObserver {
public:
    ErrorStreamObserver(platform::Dialogs& dialogs, std::ostream& err) : dialogs_(dialogs), err_(err) {}
    void refused(const execution::Refusal& refusal) override { dialogs_.show(refusal.message); }
    bool continueAfterFailure(const execution::EntryFailure& failure) override
    {
        return dialogs_.show(execution::failureQuestion(failure)) == platform::Answer::Yes;
    }
    void executed(const execution::ExecutionReport& report) override
    {
        for (const std::string& note : execution::trashNotes(report)) err_ << note << '\n';
    }

private:
    platform::Dialogs& dialogs_;
    std::ostream& err_;
};

}  // namespace

int runUnattended(const profiles::CommandWords& words, std::ostream& err)
{
    platform::HeadlessDialogs dialogs(err);
    auto found = profiles::profileRun(words.first, dialogs);
    if (!found) {
        err << profiles::profileNotFound(words.first) << '\n';
        // Nothing was executed whether or not the journal takes the line.
        (void)execution::writeJournalLines(execution::kJournalFileName,
                                           execution::notExecutedLines("Profil " + words.first, "Profil introuvable",
                                                                       platform::currentTime()));
        return execution::kExitNothingExecuted;
    }
    ErrorStreamObserver observer(dialogs, err);
    return execution::RunDriver(found->run, observer)
        .runUnattended(found->windowTitle, execution::kJournalFileName)
        .exitStatus;
}

}  // namespace velmorane::cli
