#include "execution/run_driver.h"

#include "execution/journal.h"
#include "platform/date_text.h"

namespace velmorane::execution {

std::optional<Refusal> RunDriver::refused(std::optional<Refusal> refusal)
{
    if (refusal) observer_.refused(*refusal);
    return refusal;
}

bool RunDriver::goesOnAfter(const EntryFailure& failure, FailurePolicy policy)
{
    observer_.entryFailed(failure);
    switch (policy) {
    case FailurePolicy::GoOn: return true;
    case FailurePolicy::Stop: return false;
    case FailurePolicy::Ask: break;
    }
    return observer_.continueAfterFailure(failure);
}

FailureQuestion RunDriver::failureQuestion(FailurePolicy policy)
{
    return [this, policy](const EntryFailure& failure) { return goesOnAfter(failure, policy); };
}

UnattendedEnd RunDriver::runUnattended(const std::string& windowTitle, const std::string& journalPath,
                                       FailurePolicy onFailure)
{
    auto refusal = run_.prepare(VolumeCheck::Refuse, platform::Questions::Refused);
    if (!refusal) refusal = run_.guardVolumeRoot();
    if (!refusal) {
        observer_.phaseStarted(RunPhase::Comparing);
        // The folders stay locked from the comparison to the end of the execution.
        refusal = run_.compare(observer_.progress(), engine::LockHolding::KeepInResult);
    }
    if (!refusal) refusal = run_.guardMassChange();
    UnattendedEnd end;
    if (!refused(std::move(refusal))) {
        observer_.phaseStarted(RunPhase::Executing);
        ExecutionChoice choice;
        choice.onFailure = onFailure;
        refused(run_.execute(choice, failureQuestion(onFailure), observer_.counters(), observer_.control()));
        observer_.executed(run_.report());
        end.stoppedByPerson = run_.outcome() == RunOutcome::Stopped;
    }
    end.exitStatus = run_.exitStatus();
    journal(windowTitle, journalPath, onFailure, end);
    return end;
}

// A journal that cannot be written is said like a failed entry; a run that executed then counts
// a failure.
void RunDriver::journal(const std::string& windowTitle, const std::string& journalPath, FailurePolicy onFailure,
                        UnattendedEnd& end)
{
    const auto failure = writeJournalLines(journalPath, run_.journalLines(windowTitle, platform::currentTime()));
    end.journalNotWritten = failure;
    if (!failure || end.exitStatus == kExitNothingExecuted) return;
    if (!goesOnAfter({*failure, journalPath, {}}, onFailure)) end.stoppedByPerson = true;
    end.exitStatus = kExitWithFailures;
}

std::optional<Refusal> RunDriver::compare()
{
    auto refusal = run_.prepare();
    if (!refusal) {
        observer_.phaseStarted(RunPhase::Comparing);
        refusal = run_.compare(observer_.progress());
    }
    return refused(std::move(refusal));
}

ReviewStart RunDriver::checkForReview()
{
    auto refusal = run_.prepare();
    if (refusal && refusal->kind == RefusalKind::VolumeChanged) {
        if (!observer_.goOnAnyway(*refusal)) return {std::move(refusal), true};
        refusal = run_.prepare(VolumeCheck::Accept);
    }
    if (refusal) return {refused(std::move(refusal)), false};
    const VolumeRootQuestion ask = [this](const Refusal& refusal) { return observer_.acceptVolumeRoot(refusal); };
    // The question was the person's box: a "Non" is not said again.
    if (auto declined = run_.guardVolumeRoot(ask)) return {std::move(declined), true};
    return {};
}

ReviewStart RunDriver::compareForReview()
{
    ReviewStart start = checkForReview();
    if (start.refusal) return start;
    observer_.phaseStarted(RunPhase::Comparing);
    auto refusal = run_.compare(observer_.progress());
    if (refusal && refusal->kind == RefusalKind::SourceWithoutFiles) {
        if (!observer_.goOnAnyway(*refusal)) return {std::move(refusal), true};
        refusal = run_.compare(observer_.progress(), engine::LockHolding::ReleaseAtEnd,
                               NoFileCheck::Accept);
    }
    return {refused(std::move(refusal)), false};
}

std::optional<Refusal> RunDriver::executeChosen(const ExecutionChoice& choice)
{
    observer_.phaseStarted(RunPhase::Executing);
    auto refusal = refused(run_.execute(choice, failureQuestion(choice.onFailure), observer_.counters(), observer_.control()));
    if (!refusal) observer_.executed(run_.report());
    return refusal;
}

}  // namespace velmorane::execution
