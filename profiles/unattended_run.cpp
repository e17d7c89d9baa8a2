#include "profiles/unattended_run.h"

#include "execution/journal.h"
#include "platform/date_text.h"
#include "platform/headless_dialogs.h"
#include "platform/termination_requests.h"
#include "profiles/profile_run.h"
#include "profiles/unattended_outcome.h"

namespace velmorane::profiles {
namespace {

constexpr int kNothingExecuted = 2;

class NoCounters : public execution::CounterSink {
public:
    void setCounter(execution::ListKind, const std::string&) override {}
};

}  // namespace

int runUnattended(const CommandWords& words, std::ostream& err)
{
    platform::HeadlessDialogs dialogs(err);
    auto found = profileRun(words.first, dialogs);
    if (!found) {
        err << profileNotFound(words.first) << '\n';
        const auto lines =
            execution::notExecutedLines("Profil " + words.first, "Profil introuvable", platform::currentTime());
        execution::writeJournalLines(execution::kJournalFileName, lines);
        tellUnattendedOutcome(words.first, execution::journalOutcome(lines, "Profil " + words.first), {}, err);
        return kNothingExecuted;
    }
    execution::MirrorRun& run = found->run;
    platform::NullProgress progress;
    platform::TerminationRequests pump;
    NoCounters counters;
    std::vector<execution::EntryFailure> failures;
    const execution::FailureQuestion ask = [&](const execution::EntryFailure& failure) {
        failures.push_back(failure);
        return dialogs.show(execution::failureQuestion(failure)) == platform::Answer::Yes;
    };
    auto refusal = run.prepare();
    if (!refusal) refusal = run.guardVolumeRoot();
    if (!refusal) refusal = run.compare(progress, pump, engine::LockHolding::KeepInResult);
    if (!refusal) refusal = run.guardMassChange();
    if (!refusal) refusal = run.execute({}, ask, counters, pump);
    if (refusal) dialogs.show(refusal->message);
    for (const std::string& note : execution::trashNotes(run.report())) err << note << '\n';

    const auto lines = run.journalLines(found->windowTitle, platform::currentTime());
    const auto journalError = execution::writeJournalLines(execution::kJournalFileName, lines);
    if (journalError && !refusal) ask({*journalError, execution::kJournalFileName, {}});
    tellUnattendedOutcome(found->profileName, execution::journalOutcome(lines, found->windowTitle), failures, err);
    if (refusal) return kNothingExecuted;
    return journalError ? 1 : run.exitStatus();
}

}  // namespace velmorane::profiles
