#pragma once

#include "engine/run.h"
#include "engine/settings.h"
#include "engine/start_folders.h"
#include "engine/validation.h"
#include "engine/task_list.h"
#include "execution/executor.h"
#include "execution/move_proof.h"
#include "platform/progress.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmorane::execution {

// Exit statuses of a run: executed without failure, with failures or interrupted, nothing executed.
inline constexpr int kExitDone = 0;
inline constexpr int kExitWithFailures = 1;
inline constexpr int kExitNothingExecuted = 2;

// The filters of a run as the filter file gave them, or why that file cannot be used.
struct RunFilters {
    std::vector<std::string> patterns;
    std::optional<std::string> failure;
};

// Why a run stopped before executing.
enum class RefusalKind {
    Settings,
    Filters,
    VolumeChanged,
    VolumeRoot,
    SourceMissing,
    SourceWithoutFiles,
    FolderUnreadable,
    FolderInUse,
    MassChange
};

// A start folder now held by another volume than at its last execution: an unattended run stops,
// while a person may go on once, and the new volume is then remembered.
enum class VolumeCheck { Refuse, Accept };


// A source with folders but no file, against a destination that holds files, is a disk freshly
// formatted or half mounted: an unattended run stops, while a person may go on.
enum class NoFileCheck { Refuse, Accept };

// A refusal and what it concerns; the window, standard error and the journal tell it in their words.
struct Refusal {
    explicit Refusal(RefusalKind why, std::string named = {}, std::string more = {})
        : kind(why), folder(std::move(named)), detail(std::move(more))
    {
    }

    RefusalKind kind;
    // The folder it names: the start folder of most kinds, the destination of a mass change.
    std::string folder;
    // Filters: why the filter file cannot be used. VolumeChanged: the volume that should hold the folder.
    std::string detail;
    platform::SystemError error;  // FolderUnreadable: why the folder cannot be read
    engine::SettingsFault settingsFault = engine::SettingsFault::NoWorkFolder;
    std::int64_t filesChanged = 0;  // MassChange: the files deleted or replaced, of those the destination holds
    std::int64_t filesInDestination = 0;
};

// Asked whether the run may go on despite the refusal given; true when the person says Yes.
using VolumeRootQuestion = std::function<bool(const Refusal& refusal)>;

// What a failed entry does to the execution: it goes on, it stops the execution, or a person is
// asked, the execution waiting for the answer.
enum class FailurePolicy { GoOn, Stop, Ask };

// Which entries of each list an execution takes: box 0 "Eléments Sélectionnés" of a pair checked
// takes the selected entries, otherwise those not selected; and what a failed entry does.
struct ExecutionChoice {
    bool addsSelectedChosen = false;
    bool replacementsSelectedChosen = false;
    bool deletionsSelectedChosen = false;
    bool detectMoves = true;  // off only to measure what moves save
    FailurePolicy onFailure = FailurePolicy::Ask;
};

// Stopped: a failure was answered No; Interrupted: the user asked the execution to stop.
enum class RunOutcome { Pending, Refused, Compared, Executed, Stopped, Interrupted };

// One run, whichever front end drives it: the window, an unattended run, `--liste`, the tests and
// the benchmarks. It checks the settings and filters, compares the two trees into the task lists,
// then executes what the front end chose, and says what happened as values.
class MirrorRun {
public:
    MirrorRun(engine::RunSettings settings, RunFilters filters);

    // The settings, the filters, then the volumes of the two start folders; the plan is made when
    // they are accepted. A start folder inside the other is left out of the outer tree.
    // An unattended run refuses the questions a server may raise (a password, a new host).
    std::optional<Refusal> prepare(VolumeCheck volumes = VolumeCheck::Refuse,
                                   platform::Questions questions = platform::Questions::Asked);
    // A destination that is the top folder of a removable or network volume, which this source was
    // never mirrored onto: a person is asked, "Non" by default; an unattended run, which asks
    // nobody, stops.
    std::optional<Refusal> guardVolumeRoot(const VolumeRootQuestion& ask = {});
    // Locks both folders, reads and compares them. The locks stay held when asked, by a run that
    // executes at once; otherwise the review waits with the folders free.
    std::optional<Refusal> compare(platform::ProgressSink& progress,
                                   engine::LockHolding holding = engine::LockHolding::ReleaseAtEnd,
                                   NoFileCheck noFile = NoFileCheck::Refuse);
    // An unattended run does not carry out lists that would delete or replace most of the destination;
    // a proven move counts as neither.
    std::optional<Refusal> guardMassChange();
    // Executes the chosen entries, taking the locks again when they were released, remembers the
    // volumes that held the start folders and that the source was mirrored onto that destination,
    // and records what it left equal for the next run's moves.
    std::optional<Refusal> execute(const ExecutionChoice& choice, const FailureQuestion& ask, CounterSink& counters,
                                   platform::RunControl& control);

    // The adds proven to be deletes moved, proven once while the folders are locked: before the
    // mass-change guard counts, or at execution.
    const MovePlan& provenMoves();

    RunOutcome outcome() const { return outcome_; }
    const engine::RunPlan& plan() const { return plan_; }
    TaskLists& lists() { return lists_; }
    const TaskLists& lists() const { return lists_; }
    const ExecutionReport& report() const { return report_; }
    // Why the volumes of the start folders could not be remembered after an execution, if so: the
    // next runs lose the check of a pulled key, and the user is told.
    const platform::MaybeError& volumesNotRecorded() const { return volumesNotRecorded_; }

    // The two journal lines of an unattended run under the window title given ("Profil NAME").
    std::vector<std::string> journalLines(const std::string& windowTitle, std::int64_t time) const;
    int exitStatus() const;

private:
    std::optional<Refusal> refuse(Refusal refusal);
    int failures() const;
    RecordOwner recordOwner(const engine::RunFolders& folders) const;
    void recordEqualFiles(const std::vector<engine::TaskEntry>& changed);
    std::vector<engine::TaskEntry> carriedOut() const;

    engine::RunSettings settings_;
    RunFilters filters_;
    engine::RunPlan plan_;
    TaskLists lists_;
    engine::DestinationChange change_;
    std::vector<std::string> foldersWithTemporaries_;
    bool attributesNotKept_ = false;
    engine::FolderFingerprints fingerprints_;
    std::shared_ptr<const engine::StructurePair> trees_;
    std::optional<MovePlan> movePlan_;
    engine::ComparisonRules rules_;
    std::optional<engine::RunLocks> locks_;
    std::optional<Refusal> refusal_;
    ExecutionReport report_;
    platform::MaybeError volumesNotRecorded_;
    RunOutcome outcome_ = RunOutcome::Pending;
};

}  // namespace velmorane::execution
