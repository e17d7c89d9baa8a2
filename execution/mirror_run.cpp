#include "execution/mirror_run.h"

#include "engine/validation.h"
#include "execution/journal.h"

namespace velmorane::execution {
namespace {

constexpr int kNothingExecuted = 2;

RefusalKind refusalOf(engine::RunOutcome outcome)
{
    switch (outcome) {
    case engine::RunOutcome::SourceMissing: return RefusalKind::SourceMissing;
    case engine::RunOutcome::FolderUnreadable: return RefusalKind::FolderUnreadable;
    default: return RefusalKind::FolderInUse;
    }
}

}  // namespace

MirrorRun::MirrorRun(engine::RunSettings settings, RunFilters filters)
    : settings_(std::move(settings)), filters_(std::move(filters))
{
}

std::optional<Refusal> MirrorRun::refuse(RefusalKind kind, platform::Message message)
{
    outcome_ = RunOutcome::Refused;
    refusal_ = Refusal{kind, std::move(message)};
    return refusal_;
}

std::optional<Refusal> MirrorRun::prepare()
{
    std::string txtMess;
    if (!engine::TesteOK(settings_, txtMess)) return refuse(RefusalKind::Settings, engine::settingsRefusal(txtMess));
    if (filters_.failure) {
        // Running without the user's filters could delete what they meant to keep.
        return refuse(RefusalKind::Filters,
                      platform::stopMessage("Fichier de Filtres Incorrect\r\n" + *filters_.failure, "Attention"));
    }
    plan_ = engine::planRun(settings_);
    plan_.exclusions = engine::Exclusions(filters_.patterns);
    return std::nullopt;
}

std::optional<Refusal> MirrorRun::compare(platform::ProgressSink& progress, platform::EventPump& pump,
                                          engine::LockHolding holding)
{
    engine::RunResult result = engine::compareFolders(plan_, progress, pump, holding);
    if (result.outcome != engine::RunOutcome::Completed) {
        return refuse(refusalOf(result.outcome), std::move(result.refusal));
    }
    lists_ = std::move(result.lists);
    fingerprints_ = std::move(result.fingerprints);
    timeTolerance_ = result.timeTolerance;
    locks_ = std::move(result.locks);
    outcome_ = RunOutcome::Compared;
    return std::nullopt;
}

std::optional<Refusal> MirrorRun::execute(const ExecutionChoice& choice, const FailureQuestion& ask,
                                          CounterSink& counters, platform::EventPump& pump)
{
    std::optional<engine::RunLocks> locks = std::move(locks_);
    locks_.reset();
    if (!locks) {
        engine::LockedFolders taken = engine::lockRunFolders(plan_.dosSource, plan_.dosDest);
        if (!taken.locks) return Refusal{RefusalKind::FolderInUse, std::move(taken.refusal)};
        locks = std::move(taken.locks);
    }
    ExecutionSettings settings{plan_.dosSource,
                               plan_.dosDest,
                               plan_.flags,
                               plan_.exclusions,
                               choice.ajoutSelectedChosen,
                               choice.modifSelectedChosen,
                               choice.supprSelectedChosen,
                               &fingerprints_,
                               timeTolerance_,
                               choice.detectMoves};
    report_ = executeTasks(lists_, settings, ask, counters, pump);
    outcome_ = report_.stopped ? RunOutcome::Stopped : RunOutcome::Executed;
    return std::nullopt;
}

std::vector<std::string> MirrorRun::journalLines(const std::string& windowTitle, std::int64_t time) const
{
    if (refusal_) return notExecutedLines(windowTitle, refusal_->message.text, time);
    return execution::journalLines(windowTitle, report_.failures, time);
}

int MirrorRun::exitStatus() const
{
    if (outcome_ != RunOutcome::Executed) return kNothingExecuted;
    return report_.failures > 0 ? 1 : 0;
}

}  // namespace velmorane::execution
