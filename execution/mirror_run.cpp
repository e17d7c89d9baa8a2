#include "execution/mirror_run.h"

#include "engine/mass_change_guard.h"
#include "engine/nested_start_folder.h"
#include "engine/volume_memory.h"
#include "engine/start_folders.h"
#include "execution/equal_files_record.h"
#include "execution/journal.h"
#include "execution/last_run_attributes.h"
#include "execution/outcome_texts.h"
#include "platform/paths.h"
#include "platform/text_file.h"

namespace velmorane::execution {
namespace {

RefusalKind refusalOf(engine::RunOutcome outcome)
{
    switch (outcome) {
    case engine::RunOutcome::SourceMissing: return RefusalKind::SourceMissing;
    case engine::RunOutcome::SourceWithoutFiles: return RefusalKind::SourceWithoutFiles;
    case engine::RunOutcome::FolderUnreadable: return RefusalKind::FolderUnreadable;
    default: return RefusalKind::FolderInUse;
    }
}

}  // namespace

MirrorRun::MirrorRun(engine::RunSettings settings, RunFilters filters)
    : settings_(std::move(settings)), filters_(std::move(filters))
{
}

std::optional<Refusal> MirrorRun::refuse(Refusal refusal)
{
    outcome_ = RunOutcome::Refused;
    refusal_ = std::move(refusal);
    return refusal_;
}

std::optional<Refusal> MirrorRun::prepare(VolumeCheck volumes, platform::Questions questions)
{
    if (const auto fault = engine::settingsFault(settings_)) {
        Refusal refusal{RefusalKind::Settings};
        refusal.settingsFault = *fault;
        return refuse(std::move(refusal));
    }
    if (filters_.failure) {
        // Running without the user's filters could delete what they meant to keep.
        return refuse(Refusal(RefusalKind::Filters, {}, *filters_.failure));
    }
    plan_ = engine::planRun(settings_);
    plan_.questions = questions;
    plan_.lastRun = [](const platform::VolumeAccess& source, const platform::VolumeAccess& dest) {
        return lastRunAttributes(recordOwnerOf(source, dest));
    };
    if (volumes == VolumeCheck::Refuse) {
        // A pulled key leaves its mount point as an empty folder of the system disk.
        for (const std::string* folder : {&plan_.sourceFolder, &plan_.destinationFolder}) {
            if (auto volume = engine::missingVolume(*folder)) {
                return refuse(Refusal(RefusalKind::VolumeChanged, *folder, std::move(*volume)));
            }
        }
    }
    plan_.exclusions = engine::Exclusions(filters_.patterns);
    for (const auto& nested : engine::nestedStartFolders(plan_.sourceFolder, plan_.destinationFolder)) {
        plan_.exclusions.leaveOutFolder(nested.relativePath);
    }
    return std::nullopt;
}

std::optional<Refusal> MirrorRun::guardVolumeRoot(const VolumeRootQuestion& ask)
{
    if (!engine::isNewVolumeRoot(plan_.sourceFolder, plan_.destinationFolder)) return std::nullopt;
    Refusal refusal{RefusalKind::VolumeRoot, plan_.destinationFolder};
    if (ask && ask(refusal)) return std::nullopt;
    return refuse(std::move(refusal));
}

std::optional<Refusal> MirrorRun::compare(platform::ProgressSink& progress,
                                          engine::LockHolding holding, NoFileCheck noFile)
{
    // Asked again after a person accepted what a first comparison refused.
    refusal_.reset();
    plan_.sourceWithoutFilesAccepted = noFile == NoFileCheck::Accept;
    engine::RunResult result = engine::compareFolders(plan_, progress, holding);
    if (result.outcome != engine::RunOutcome::Completed) {
        Refusal refusal(refusalOf(result.outcome), std::move(result.refusedFolder));
        refusal.error = std::move(result.readError);
        return refuse(std::move(refusal));
    }
    lists_ = std::move(result.lists);
    change_ = result.change;
    foldersWithTemporaries_ = std::move(result.foldersWithTemporaries);
    attributesNotKept_ = result.attributesNotKept;
    fingerprints_ = std::move(result.fingerprints);
    trees_ = std::move(result.trees);
    movePlan_.reset();
    rules_ = result.rules;
    locks_ = std::move(result.locks);
    outcome_ = RunOutcome::Compared;
    return std::nullopt;
}

std::optional<Refusal> MirrorRun::guardMassChange()
{
    const std::int64_t kept = plan_.flags.executeAdds && plan_.flags.executeDeletions ? provenMoves().filesKept : 0;
    const std::int64_t changed = (plan_.flags.executeReplacements ? change_.filesToReplace : 0) +
                                 (plan_.flags.executeDeletions ? change_.filesToDelete - kept : 0);
    if (!engine::isMassChange(changed, change_.filesInDestination)) return std::nullopt;
    locks_.reset();
    Refusal refusal{RefusalKind::MassChange, plan_.destinationFolder};
    refusal.filesChanged = changed;
    refusal.filesInDestination = change_.filesInDestination;
    return refuse(std::move(refusal));
}

std::optional<Refusal> MirrorRun::execute(const ExecutionChoice& choice, const FailureQuestion& ask,
                                          CounterSink& counters, platform::RunControl& control)
{
    std::optional<engine::RunLocks> locks = std::move(locks_);
    locks_.reset();
    if (!locks) {
        auto taken = engine::lockRunFolders(plan_.sourceFolder, plan_.destinationFolder);
        if (!taken.ok()) return refuse(Refusal(RefusalKind::FolderInUse, std::move(taken.error->folder)));
        locks = std::move(taken.value);
    }
    ExecutionSettings settings{plan_.sourceFolder,
                               plan_.destinationFolder,
                               plan_.flags,
                               plan_.exclusions,
                               foldersWithTemporaries_,
                               choice.addsSelectedChosen,
                               choice.replacementsSelectedChosen,
                               choice.deletionsSelectedChosen,
                               nullptr,
                               rules_,
                               choice.detectMoves,
                               plan_.questions};
    if (choice.detectMoves && plan_.flags.executeAdds && plan_.flags.executeDeletions) settings.moves = &provenMoves();
    report_ = executeTasks(lists_, settings, ask, counters, control);
    if (attributesNotKept_) report_.destinationWithoutAttributes = plan_.destinationFolder;
    outcome_ = report_.stopped       ? RunOutcome::Stopped
               : report_.interrupted ? RunOutcome::Interrupted
                                     : RunOutcome::Executed;
    volumesNotRecorded_ = engine::recordExecution(plan_.sourceFolder, plan_.destinationFolder);
    if (outcome_ == RunOutcome::Executed) recordEqualFiles(carriedOut());
    return std::nullopt;
}

// The adds and replacements the execution carried out. One left out keeps its difference, even
// when only its attributes differ and its size and time would pass for equal.
std::vector<engine::TaskEntry> MirrorRun::carriedOut() const
{
    std::vector<engine::TaskEntry> done;
    for (const ListKind kind : {ListKind::Add, ListKind::Replace}) {
        const auto& entries = lists_[kind].entries();
        const auto& results = report_.results[static_cast<std::size_t>(kind)];
        for (std::size_t i = 0; i < entries.size() && i < results.size(); ++i) {
            if (results[i].outcome == EntryOutcome::Done) done.push_back(entries[i]);
        }
    }
    return done;
}

RecordOwner MirrorRun::recordOwner(const engine::RunFolders& folders) const
{
    return recordOwnerOf(folders.source().volume(), folders.dest().volume());
}

const MovePlan& MirrorRun::provenMoves()
{
    if (!movePlan_) {
        static const engine::StructurePair kNoTrees;
        // Opened for the proof only: a review kept open must not keep a key from being unmounted.
        const engine::RunFolders opened(plan_.sourceFolder, plan_.destinationFolder, plan_.questions);
        movePlan_ = proveMoves({lists_, trees_ ? *trees_ : kNoTrees, fingerprints_, opened.source(), opened.dest(),
                                recordOwner(opened), opened.source().volume().capabilities().keepsFileIdentity,
                                opened.dest().volume().capabilities().keepsFileIdentity, rules_});
    }
    return *movePlan_;
}

// Only a source that keeps its files' identity can prove moves by the record. A run that found
// nothing to do leaves the record it finds: what it would write is what made it.
void MirrorRun::recordEqualFiles(const std::vector<engine::TaskEntry>& changed)
{
    if (!trees_ || plan_.flags.compareOnly) return;
    const engine::RunFolders folders(plan_.sourceFolder, plan_.destinationFolder, plan_.questions);
    if (!folders.source().volume().capabilities().keepsFileIdentity) return;
    const RecordOwner owner = recordOwner(folders);
    if (report_.entriesDone == 0 && platform::fileExists(moveRecordPath(owner))) return;
    // The record only ever spares copies: a run never fails for want of it.
    (void)execution::recordEqualFiles({owner, *trees_, lists_.unchangedFiles, changed, folders.dest(), rules_});
}

std::vector<std::string> MirrorRun::journalLines(const std::string& windowTitle, std::int64_t time) const
{
    if (refusal_) return notExecutedLines(windowTitle, journalReason(*refusal_), time);
    if (outcome_ == RunOutcome::Interrupted) return interruptedLines(windowTitle, report_.entriesDone, time);
    return execution::journalLines(windowTitle, failures(), time);
}

// The failure answered "Non" is a failure too: a stopped execution never reads as OK.
int MirrorRun::failures() const
{
    return report_.failures + (outcome_ == RunOutcome::Stopped ? 1 : 0);
}

int MirrorRun::exitStatus() const
{
    if (outcome_ == RunOutcome::Interrupted) return kExitWithFailures;
    if (outcome_ != RunOutcome::Executed && outcome_ != RunOutcome::Stopped) return kExitNothingExecuted;
    return failures() > 0 ? kExitWithFailures : kExitDone;
}

}  // namespace velmorane::execution
