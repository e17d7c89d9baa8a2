#pragma once

#include "execution/mirror_run.h"

#include <string>

namespace velmorane::execution {

enum class RunPhase { Comparing, Executing };

// What a front end sees of a run, and what it answers when the run asks. By default nothing is
// shown, nobody accepts what a run refuses, and a failed entry a person is asked about does not
// stop the execution.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual platform::ProgressSink& progress() { return noProgress_; }
    virtual CounterSink& counters() { return noCounters_; }
    virtual platform::RunControl& control() { return noControl_; }
    virtual void phaseStarted(RunPhase) {}
    virtual void refused(const Refusal&) {}
    // A person may go on onto a moved volume or from a source without files.
    virtual bool goOnAnyway(const Refusal&) { return false; }
    virtual bool acceptVolumeRoot(const Refusal&) { return false; }
    // Each failed entry, whatever the run's policy; the question comes after it when the policy asks.
    virtual void entryFailed(const EntryFailure&) {}
    virtual bool continueAfterFailure(const EntryFailure&) { return true; }
    virtual void executed(const ExecutionReport&) {}

private:
    class NoCounters : public CounterSink {
    public:
        void setCounter(ListKind, const std::string&) override {}
    };
    platform::NullProgress noProgress_;
    NoCounters noCounters_;
    platform::RunControl noControl_;
};

// How a review's comparison ended: compared, refused, or declined by the person asked.
struct ReviewStart {
    std::optional<Refusal> refusal;
    bool declined = false;
};

// How an unattended run ended: its exit status, and whether a person answered "Non" to a question
// of the execution or of its journal, which leaves them the window.
struct UnattendedEnd {
    int exitStatus = kExitNothingExecuted;
    bool stoppedByPerson = false;
    platform::MaybeError journalNotWritten;  // why the journal did not take the entry, if so
};

// Carries a run through its steps in their order, for every front end: the checks of the settings,
// filters and start folders, the comparison, the mass-change guard of an unattended run, the
// execution, the journal and the exit status. The front end observes it and answers its questions.
class RunDriver {
public:
    RunDriver(MirrorRun& run, RunObserver& observer) : run_(run), observer_(observer) {}

    // An unattended run, from the checks to its journal entry under the window title given.
    [[nodiscard]] UnattendedEnd runUnattended(const std::string& windowTitle, const std::string& journalPath,
                                              FailurePolicy onFailure = FailurePolicy::Ask);
    // Checks and compares for a listing: nothing is written, so nothing guards the destination,
    // and nobody is asked.
    [[nodiscard]] std::optional<Refusal> compare();
    // Checks and compares for a person who then chooses what to execute: they are asked about a
    // moved volume, a volume's top folder as destination and a source without files.
    [[nodiscard]] ReviewStart compareForReview();
    // Executes what the person chose, taking the folders again.
    [[nodiscard]] std::optional<Refusal> executeChosen(const ExecutionChoice& choice);

private:
    std::optional<Refusal> refused(std::optional<Refusal> refusal);
    bool goesOnAfter(const EntryFailure& failure, FailurePolicy policy);
    FailureQuestion failureQuestion(FailurePolicy policy);
    ReviewStart checkForReview();
    void journal(const std::string& windowTitle, const std::string& journalPath, FailurePolicy onFailure,
                 UnattendedEnd& end);

    MirrorRun& run_;
    RunObserver& observer_;
};

}  // namespace velmorane::execution
