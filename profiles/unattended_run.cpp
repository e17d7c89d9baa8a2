#include "profiles/unattended_run.h"

#include "execution/journal.h"
#include "platform/date_text.h"
#include "platform/headless_dialogs.h"
#include "profiles/profile_run.h"

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
        execution::writeJournalLines(execution::kJournalFileName,
                                     execution::notExecutedLines("Profil " + words.first, "Profil introuvable",
                                                                 platform::currentTime()));
        return kNothingExecuted;
    }
    execution::MirrorRun& run = found->run;
    platform::NullProgress progress;
    platform::NullEventPump pump;
    NoCounters counters;
    const execution::FailureQuestion ask = [&](const execution::EntryFailure& failure) {
        return dialogs.show(execution::failureQuestion(failure)) == platform::Answer::Yes;
    };
    auto refusal = run.prepare();
    if (!refusal) refusal = run.guardVolumeRoot();
    if (!refusal) refusal = run.compare(progress, pump, engine::LockHolding::KeepInResult);
    if (!refusal) refusal = run.guardMassChange();
    if (!refusal) refusal = run.execute({}, ask, counters, pump);
    if (refusal) dialogs.show(refusal->message);
    for (const std::string& note : execution::trashNotes(run.report())) err << note << '\n';

    const auto journalError = execution::writeJournalLines(execution::kJournalFileName,
                                                           run.journalLines(found->windowTitle, platform::currentTime()));
    if (refusal) return kNothingExecuted;
    if (journalError) {
        ask({*journalError, execution::kJournalFileName, {}});
        return 1;
    }
    return run.exitStatus();
}

}  // namespace velmorane::profiles
