#include "cli/unattended_run.h"

#include "cli/error_stream.h"
#include "execution/journal.h"
#include "execution/outcome_texts.h"
#include "execution/run_driver.h"
#include "platform/date_text.h"
#include "cli/unattended_outcome.h"
#include "platform/termination_requests.h"
#include "profiles/profile_run.h"
#include "profiles/profile_texts.h"

#include <vector>

namespace velmorane::cli {
namespace {

// Standard error observes the run: its refusal, the failures (which nobody is there to answer: the
// execution goes on; kept for the run's report) and what the trashes did. A signal to end stops it
// between two files.
class ErrorStreamObserver : public execution::RunObserver {
public:
    explicit ErrorStreamObserver(std::ostream& err) : err_(err) {}
    platform::RunControl& control() override { return termination_; }
    void refused(const execution::Refusal& refusal) override { printOutcome(err_, execution::refusalText(refusal)); }
    void entryFailed(const execution::EntryFailure& failure) override
    {
        failures_.push_back(failure);
        printOutcome(err_, execution::failureQuestionText(failure));
    }
    const std::vector<execution::EntryFailure>& failures() const { return failures_; }
    void executed(const execution::ExecutionReport& report) override
    {
        for (const std::string& note : execution::executionNotes(report)) err_ << note << '\n';
    }

private:
    std::ostream& err_;
    platform::TerminationRequests termination_;
    std::vector<execution::EntryFailure> failures_;
};

}  // namespace

int runUnattended(const profiles::CommandWords& words, std::ostream& err)
{
    auto profile = profiles::profileRun(words.first);
    if (profile.problem) printOutcome(err, profiles::profileFileText(*profile.problem));
    auto& found = profile.run;
    if (!found) {
        err << profiles::profileNotFound(words.first) << '\n';
        const std::string windowTitle = "Profil " + words.first;
        const auto lines = execution::notExecutedLines(windowTitle, "Profil introuvable", platform::currentTime());
        // Nothing was executed whether or not the journal takes the line; a failure is still said.
        if (const auto error = execution::writeJournalLines(execution::kJournalFileName, lines)) {
            err << execution::journalFailureText(*error) << '\n';
        }
        tellUnattendedOutcome(words.first, execution::journalOutcome(lines, windowTitle), {}, err);
        return execution::kExitNothingExecuted;
    }
    ErrorStreamObserver observer(err);
    const execution::UnattendedEnd end =
        execution::RunDriver(found->run, observer)
            .runUnattended(found->windowTitle, execution::kJournalFileName, execution::FailurePolicy::GoOn);
    // An executed run already said it as a failed entry.
    if (end.journalNotWritten && end.exitStatus == execution::kExitNothingExecuted) {
        err << execution::journalFailureText(*end.journalNotWritten) << '\n';
    }
    if (const auto& error = found->run.volumesNotRecorded()) err << execution::volumesNotRecordedText(*error) << '\n';
    const auto lines = found->run.journalLines(found->windowTitle, platform::currentTime());
    tellUnattendedOutcome(found->profileName, execution::journalOutcome(lines, found->windowTitle),
                          observer.failures(), err);
    return end.exitStatus;
}

}  // namespace velmorane::cli
