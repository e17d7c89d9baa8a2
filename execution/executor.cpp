#include "execution/executor.h"

#include "engine/task_entry.h"
#include "engine/start_folders.h"
#include "execution/entry_workers.h"
#include "execution/folder_set.h"
#include "execution/move_detection.h"
#include "execution/progress_shares.h"
#include "execution/volume_trashes.h"
#include "platform/awaited_answer.h"
#include "platform/letter_case.h"
#include "platform/paths.h"

#include <algorithm>
#include <cerrno>
#include <string_view>
#include <unordered_set>

namespace velmorane::execution {
namespace {

platform::SystemError outsideDestination()
{
    return {EPERM, "Chemin hors du dossier de destination"};
}

bool hasDotDotComponent(std::string_view path)
{
    return path == ".." || path.starts_with("../") || path.ends_with("/..") ||
           path.find("/../") != std::string_view::npos;
}

using platform::awaited;
using platform::FolderRef;
using platform::MaybeError;
using platform::Result;
using platform::Trashing;

// The entry a worker executes: its place in the list, its result, and the two files a failure names.
struct Slot {
    std::size_t index = 0;
    EntryResult& result;
    std::string current;
    std::string target;
};

class Execution {
public:
    Execution(const TaskLists& lists, const ExecutionSettings& settings, const FailureQuestion& ask, CounterSink& counters,
              platform::RunControl& control)
        : lists_(lists), settings_(settings), ask_(ask), counters_(counters), control_(control),
          folders_(settings.sourceFolder, settings.destinationFolder, settings.questions),
          source_(folders_.source()), dest_(folders_.dest()),
          destRootPath_(dest_.path()), moves_(lists.deleteList(), settings, source_, dest_), trashes_(dest_.volume()),
          workerCount_(std::max(
              {executionWorkers(), source_.volume().entriesInFlight(), dest_.volume().entriesInFlight()}))
    {
    }

    ExecutionReport run()
    {
        const auto& flags = settings_.flags;
        countWhatIsChosen();
        executeList(ListKind::Add, &copiedFolders_, &Execution::addEntry) &&
            executeList(ListKind::Replace, nullptr, &Execution::replaceEntry) &&
            executeList(ListKind::Delete, &deletedFolders_, &Execution::deleteEntry);
        if (!flags.compareOnly && !report_.stopped) settleCommonFolders();
        if (!flags.compareOnly) removeLeftoverTemporaries();
        trashes_.save();
        report_.trashBytesFreed = trashes_.bytesFreed();
        report_.volumesWithoutTrash = trashes_.withoutTrash();
        return report_;
    }

private:
    using EntryAction = bool (Execution::*)(const engine::TaskEntry&, Slot&);

    // Executes the entries whose selection state equals the choice, on a few workers. An entry
    // inside a folder this list already copied or deleted came or went with it: it is done with no
    // look-up and no question. False when the execution stops.
    bool executeList(ListKind kind, const FolderSet* handledFolders, EntryAction execute)
    {
        const TaskList& list = lists_[kind];
        const auto [takesPart, choice] = partOf(kind);
        if (!takesPart || list.count() == 0) return true;
        report_.activeListHadEntries = true;
        std::vector<EntryResult>& results = report_.results[static_cast<std::size_t>(kind)];
        ProgressShares shares;
        std::vector<std::optional<std::uint64_t>> sharesTaken(list.count());
        std::vector<std::pair<std::string, std::string>> slotsBefore(list.count());
        EntryWorkers workers(list, workerCount_, &Execution::placeOnDestination);
        workers_ = &workers;
        const auto decide = [&](std::size_t i) {
            showCounter(kind, i);
            if (control_.stopRequested()) {
                report_.interrupted = true;
                return EntryWorkers::Take::Stop;
            }
            const auto share = shares.of(list, i, choice);
            if ((handledFolders && handledFolders->contains(list.entry(i).destPath)) || movedAway(list, i)) {
                report_.anythingDone = true;
                results[i].outcome = EntryOutcome::Done;
                entryDone(share);
                return EntryWorkers::Take::Skip;
            }
            if (list.selected(i) != choice) {
                advance(share);
                return EntryWorkers::Take::Skip;
            }
            report_.anythingDone = true;
            sharesTaken[i] = share;
            slotsBefore[i] = {carried_.current, carried_.target};
            carrySlots(kind, list.entry(i));
            return EntryWorkers::Take::Run;
        };
        const auto run = [&](std::size_t i) {
            const engine::TaskEntry& entry = list.entry(i);
            Slot slot{i, results[i], std::move(slotsBefore[i].first), std::move(slotsBefore[i].second)};
            const bool whole = (this->*execute)(entry, slot);
            std::lock_guard held(workers.lock());
            if (!whole) return;
            // A folder copy stopped part-way is not done; any other entry is whole.
            if (control_.stopRequested() && entry.isFolder() && kind == ListKind::Add) {
                slot.result.outcome = EntryOutcome::Interrupted;
                report_.interrupted = true;
                return;
            }
            if (slot.result.outcome == EntryOutcome::NotReached) slot.result.outcome = EntryOutcome::Done;
            entryDone(sharesTaken[i]);
        };
        workers.run(decide, run);
        workers_ = nullptr;
        return !report_.stopped && !report_.interrupted;
    }

    // Whether the list takes part, and the selection state of the entries it executes.
    std::pair<bool, bool> partOf(ListKind kind) const
    {
        const auto& flags = settings_.flags;
        switch (kind) {
        case ListKind::Add: return {flags.executeAdds, settings_.addsSelectedChosen};
        case ListKind::Replace: return {flags.executeReplacements, settings_.replacementsSelectedChosen};
        case ListKind::Delete: return {flags.executeDeletions, settings_.deletionsSelectedChosen};
        }
        return {false, false};
    }

    // What the execution will take, for its progress, counted as the lists will be taken; the
    // entries chosen wait for their turn, the others are left out until a folder takes them along.
    void countWhatIsChosen()
    {
        for (const ListKind kind : engine::kListKinds) {
            const auto [takesPart, choice] = partOf(kind);
            const TaskList& list = lists_[kind];
            std::vector<EntryResult>& results = report_.results[static_cast<std::size_t>(kind)];
            results.assign(list.count(), EntryResult{EntryOutcome::NotChosen, std::nullopt, false, false});
            if (!takesPart) continue;
            ProgressShares shares;
            for (std::size_t i = 0; i < list.count(); ++i) {
                if (list.selected(i) == choice) results[i].outcome = EntryOutcome::NotReached;
                const auto share = shares.of(list, i, choice);
                if (!share) continue;
                ++progress_.entriesTotal;
                progress_.bytesTotal += *share;
            }
        }
    }

    void entryDone(std::optional<std::uint64_t> share)
    {
        ++report_.entriesDone;
        advance(share);
    }

    // An entry passed, done or left with the folder it lies in.
    void advance(std::optional<std::uint64_t> share)
    {
        if (!share) return;
        ++progress_.entriesDone;
        progress_.bytesDone += *share;
        counters_.setProgress(progress_);
    }

    bool addEntry(const engine::TaskEntry& entry, Slot& slot)
    {
        if (!insideDestination(entry.destPath)) return failed(slot, outsideDestination());
        slot.current = entry.sourcePath;
        slot.target = entry.destPath;
        const auto from = source_.placeOf(entry.sourcePath);
        if (!from.ok()) return failed(slot, *from.error);
        const auto to = dest_.placeOf(entry.destPath);
        if (!to.ok()) return failed(slot, *to.error);
        const auto leavesOut = leftOutBelow(entry.sourcePath.substr(source_.path().size()));
        if (const auto move = moves_.moveInstead(entry, leavesOut); move.moved) {
            slot.result.moved = true;
            if (entry.isFolder()) noteFolder(copiedFolders_, entry.destPath);
            return !move.failure || failed(slot, *move.failure);
        }
        if (!entry.isFolder()) {
            const auto error = copyMakingRoom(from.value, to.value, platform::CopyMode::Add, entry);
            return !error || failed(slot, *error);
        }
        trashes_.makeRoomAhead(to.value.folder, sizeOf(entry));
        MaybeError moveFailure;
        const auto copy = awaited<platform::FolderCopyOutcome>([&](auto done) {
            dest_.volume().copyFolder(source_.volume(), from.value.folder, from.value.name, to.value.folder,
                                      to.value.name, control_, moves_.movingEntriesIn(entry, leavesOut, moveFailure),
                                      done);
        });
        if (copy.created) noteFolder(copiedFolders_, entry.destPath);
        if (copy.failure && !failed(slot, *copy.failure)) return false;
        return !moveFailure || failed(slot, *moveFailure);
    }

    bool replaceEntry(const engine::TaskEntry& entry, Slot& slot)
    {
        slot.target = entry.destPath;
        if (!insideDestination(entry.destPath)) return failed(slot, outsideDestination());
        const auto to = dest_.placeOf(entry.destPath);
        if (!to.ok()) return failed(slot, *to.error);
        const auto found = lookUp(to.value);
        if (!found.ok()) {
            if (!failed(slot, *found.error)) return false;
        } else {
            slot.current = entry.destPath;
            const auto error = clearReadOnly(to.value);
            if (error && !failed(slot, *error)) return false;
        }
        slot.current = entry.sourcePath;
        const auto from = source_.placeOf(entry.sourcePath);
        if (!from.ok()) return failed(slot, *from.error);
        // Only the attributes differ: they are set again, unless the content changed since.
        if (entry.attributesOnly) {
            const auto updated = awaited<Result<bool>>([&](auto done) {
                dest_.volume().updateAttributes(source_.volume(), from.value.folder, from.value.name,
                                                to.value.folder, to.value.name, done);
            });
            if (!updated.ok()) return failed(slot, *updated.error);
            if (updated.value) return true;
        }
        if (!found.ok()) return copyInto(from.value, to.value, entry, slot);
        return replaceKeepingTheOldInTrash(from.value, to.value, entry, slot);
    }

    bool copyInto(const engine::Place& from, const engine::Place& to, const engine::TaskEntry& entry, Slot& slot)
    {
        const auto error = copyMakingRoom(from, to, platform::CopyMode::Replace, entry);
        return !error || failed(slot, *error);
    }

    // A copy that finds its volume full tries again once old versions the program put in that
    // volume's trash have made room, as long as some are left; `kept` is the replaced one.
    MaybeError copyMakingRoom(const engine::Place& from, const engine::Place& to, platform::CopyMode mode,
                              const engine::TaskEntry& entry, const Trashing* kept = nullptr)
    {
        for (;;) {
            auto error = awaited<MaybeError>([&](auto done) {
                dest_.volume().copyFile(source_.volume(), from.folder, from.name, to.folder, to.name, mode, control_,
                                        done);
            });
            if (!error || !lacksRoom(error->number)) return error;
            if (!trashes_.makeRoom(to.folder, sizeOf(entry), kept)) return error;
        }
    }

    // The old version goes to the trash of its volume and the new one takes its name; a failed copy
    // takes the trashing back, so the old version is where it was.
    bool replaceKeepingTheOldInTrash(const engine::Place& from, const engine::Place& to, const engine::TaskEntry& entry,
                                     Slot& slot)
    {
        auto kept = awaited<Result<Trashing>>(
            [&](auto done) { dest_.volume().keepReplacedInTrash(to.folder, to.name, done); });
        if (!kept.ok()) return failed(slot, *kept.error);
        auto mode = platform::CopyMode::Replace;
        if (kept.value.outcome == platform::TrashOutcome::NoHardLinks) {
            // Without hard links the old file moves to the trash first and the new one is added.
            kept = moveToTrash(to);
            if (!kept.ok()) return failed(slot, *kept.error);
            mode = platform::CopyMode::Add;
        }
        if (kept.value.outcome != platform::TrashOutcome::Trashed) {
            trashes_.goingForGood(to.folder);
            return copyInto(from, to, entry, slot);
        }
        const auto error = copyMakingRoom(from, to, mode, entry, &kept.value);
        if (!error) {
            trashes_.remember(kept.value);
            slot.result.trashed = true;
            return true;
        }
        [[maybe_unused]] const auto undone = awaited<MaybeError>(
            [&](auto done) { dest_.volume().undoTrashing(kept.value, to.folder, to.name, done); });
        return failed(slot, *error);
    }

    // A deleted entry goes to the trash of its volume, whole, where one can be used. Nothing when it
    // was not trashed and is deleted as before: a folder holding what the run leaves alone is never
    // moved whole, since that would take it along.
    std::optional<bool> trashEntry(const engine::Place& place, const engine::TaskEntry& entry, Slot& slot)
    {
        if (entry.isFolder() && settings_.exclusions.leavesOutBelowTop()) return std::nullopt;
        const auto trashing = moveToTrash(place);
        if (!trashing.ok()) return failed(slot, *trashing.error);
        if (trashing.value.outcome != platform::TrashOutcome::Trashed) {
            trashes_.goingForGood(place.folder);
            return std::nullopt;
        }
        trashes_.remember(trashing.value);
        slot.result.trashed = true;
        if (entry.isFolder()) noteFolder(deletedFolders_, entry.destPath);
        return true;
    }

    bool deleteEntry(const engine::TaskEntry& entry, Slot& slot)
    {
        if (!insideDestination(entry.destPath)) return failed(slot, outsideDestination());
        slot.target = entry.destPath;
        const auto at = dest_.placeOf(entry.destPath);
        if (!at.ok()) return failed(slot, *at.error);
        const auto found = lookUp(at.value);
        if (!found.ok()) return failed(slot, *found.error);
        // What stands there now must be what was listed: a link put in a folder's place is no folder.
        const bool listedKind = entry.isFolder() == (found.value == platform::EntryKind::Folder);
        if (listedKind) {
            if (const auto trashed = trashEntry(at.value, entry, slot)) return *trashed;
        }
        if (entry.isFolder()) {
            const auto error = removeFolder(at.value, leftOutBelow(entry.destPath.substr(destRootPath_.size())));
            if (error) return failed(slot, *error);
            noteFolder(deletedFolders_, entry.destPath);
            return true;
        }
        if (const auto error = clearReadOnly(at.value); error && !failed(slot, *error)) return false;
        const auto error = remove(at.value);
        return !error || failed(slot, *error);
    }

    // Common folders have no entry: they get the source's bits, owner and times once passed, their
    // content being done. A failure is put to the user like that of an entry.
    void settleCommonFolders()
    {
        for (const engine::CommonFolder& folder : lists_.foldersToSettle) {
            if (!insideDestination(folder.destPath) && folder.destPath != destRootPath_) continue;
            carried_.current = folder.sourcePath;
            carried_.target = folder.destPath;
            const auto from = source_.folderAt(folder.sourcePath);
            const auto to = dest_.folderAt(folder.destPath);
            MaybeError error = from.ok() ? to.error : from.error;
            if (!error) {
                error = awaited<MaybeError>(
                    [&](auto done) { dest_.volume().settleFolder(source_.volume(), from.value, to.value, done); });
            }
            // A folder gone since the comparison made its entries fail already.
            if (!error || error->number == ENOENT || error->number == ENOTDIR) continue;
            if (!counted(ask_({*error, carried_.current, carried_.target}))) return;
        }
    }

    // A delete whose destination entry an add has already moved into its new place.
    bool movedAway(const TaskList& list, std::size_t index) const
    {
        return list.kind() == ListKind::Delete && moves_.movedAway(list.entry(index).destPath);
    }

    // A killed copy leaves its temporary file behind; an execution clears those of every folder read.
    void removeLeftoverTemporaries() const
    {
        if (!dest_.opened()) return;
        for (const std::string& folder : settings_.foldersWithTemporaries) {
            const auto opened = dest_.folderAt(destRootPath_ + folder);
            if (!opened.ok()) continue;
            [[maybe_unused]] const auto cleared = awaited<MaybeError>(
                [&](auto done) { dest_.volume().removeLeftoverTemporaries(opened.value, done); });
        }
    }

    // The requests of an entry, one after another.
    Result<platform::EntryKind> lookUp(const engine::Place& place) const
    {
        const auto status = awaited<Result<platform::EntryStatus>>(
            [&](auto done) { dest_.volume().entryStatus(place.folder, place.name, done); });
        if (!status.ok()) return Result<platform::EntryKind>::failure(*status.error);
        if (status.value.kind == platform::EntryKind::Missing) {
            return Result<platform::EntryKind>::failure(platform::systemError(ENOENT));
        }
        return {status.value.kind, std::nullopt};
    }

    MaybeError clearReadOnly(const engine::Place& place) const
    {
        return awaited<MaybeError>([&](auto done) { dest_.volume().clearReadOnly(place.folder, place.name, done); });
    }

    MaybeError remove(const engine::Place& place) const
    {
        return awaited<MaybeError>([&](auto done) { dest_.volume().remove(place.folder, place.name, done); });
    }

    MaybeError removeFolder(const engine::Place& place, platform::EntryFilter leavesOut) const
    {
        return awaited<MaybeError>(
            [&](auto done) { dest_.volume().removeFolder(place.folder, place.name, std::move(leavesOut), done); });
    }

    Result<Trashing> moveToTrash(const engine::Place& place) const
    {
        return awaited<Result<Trashing>>([&](auto done) { dest_.volume().moveToTrash(place.folder, place.name, done); });
    }

    static std::uint64_t sizeOf(const engine::TaskEntry& entry)
    {
        return static_cast<std::uint64_t>(std::max<std::int64_t>(entry.size, 0));
    }

    // The run's exclusions for what lies inside a folder, given the folder's path below its start folder.
    platform::EntryFilter leftOutBelow(const std::string& folder) const
    {
        return [this, folder](const std::string& pathInside, bool isFolder) {
            return settings_.exclusions.leavesOut(folder + pathInside, isFolder);
        };
    }

    // Strictly below the destination root: the executor never touches anything else.
    bool insideDestination(const std::string& path) const
    {
        return path.size() > destRootPath_.size() && path.starts_with(destRootPath_) && !hasDotDotComponent(path);
    }

    void showCounter(ListKind list, std::size_t index)
    {
        counters_.setCounter(list, std::to_string(index + 1));
    }

    // Puts the failure to the user in its turn, and keeps it with the entry; false when the entry
    // must stop there. Once the list is stopping, a failure of an entry still in flight is kept and
    // counted, and asked no more.
    bool failed(Slot& slot, const platform::SystemError& error)
    {
        const auto goOn =
            workers_->askInTurn(slot.index, [&] { return ask_({error, slot.current, slot.target}); });
        std::lock_guard held(workers_->lock());
        if (!slot.result.failure) slot.result.failure = error;
        slot.result.outcome = goOn && !*goOn ? EntryOutcome::Stopped : EntryOutcome::Failed;
        if (!goOn) ++report_.failures;
        return goOn && counted(*goOn);
    }

    // Where an entry lands, letter case aside: two entries of one place (case twins on a key, whose
    // driver may not say that it ignores case) never run at once, so the first in the list lands.
    static std::string placeOnDestination(const engine::TaskEntry& entry)
    {
        return platform::caseFoldedKey(platform::withoutTrailingSeparator(entry.destPath));
    }

    // Counts a failure answered Yes; a No stops the execution.
    bool counted(bool goOn)
    {
        if (!goOn) {
            report_.stopped = true;
            return false;
        }
        ++report_.failures;
        return true;
    }

    // What an executed entry leaves in the two slots a failure names, whatever became of it: the
    // failure of a later folder copy or deletion names them. Decided in list order, so that the
    // texts do not depend on which worker ends first.
    void carrySlots(ListKind kind, const engine::TaskEntry& entry)
    {
        const bool inside = insideDestination(entry.destPath);
        switch (kind) {
        case ListKind::Add:
            if (inside) carried_ = {entry.sourcePath, entry.destPath};
            break;
        case ListKind::Replace:
            carried_.target = entry.destPath;
            if (inside) carried_.current = entry.sourcePath;
            break;
        case ListKind::Delete:
            if (inside) carried_.target = entry.destPath;
            break;
        }
    }

    void noteFolder(FolderSet& folders, const std::string& path)
    {
        std::lock_guard held(workers_->lock());
        folders.add(path);
    }

    const TaskLists& lists_;
    const ExecutionSettings& settings_;
    const FailureQuestion& ask_;
    CounterSink& counters_;
    platform::RunControl& control_;
    const engine::RunFolders folders_;
    const engine::StartFolder& source_;
    const engine::StartFolder& dest_;
    const std::string destRootPath_;
    FolderSet copiedFolders_;
    FolderSet deletedFolders_;
    MoveDetection moves_;
    VolumeTrashes trashes_;
    ExecutionReport report_;
    ExecutionProgress progress_;
    const unsigned workerCount_;
    EntryWorkers* workers_ = nullptr;  // those of the list being executed
    struct {
        std::string current;
        std::string target;
    } carried_;
};

}  // namespace

ExecutionReport executeTasks(const TaskLists& lists, const ExecutionSettings& settings, const FailureQuestion& ask,
                             CounterSink& counters, platform::RunControl& control)
{
    return Execution(lists, settings, ask, counters, control).run();
}

}  // namespace velmorane::execution
