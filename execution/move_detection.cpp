#include "execution/move_detection.h"

#include "platform/awaited_answer.h"
#include "platform/paths.h"

namespace velmorane::execution {
namespace {

bool matches(const FileSnapshot& snapshot, const platform::EntryStatus& now)
{
    return now.kind != platform::EntryKind::Missing && snapshot.inode == now.identity.inode &&
           snapshot.size == now.size && snapshot.modified == now.modified && snapshot.changed == now.identity.changed;
}

// What stands at a place now; nothing proves a move when it cannot be looked at.
std::optional<platform::EntryStatus> statusAt(const engine::StartFolder& start, const std::string& path)
{
    const auto place = start.placeOf(path);
    if (!place.ok()) return std::nullopt;
    const auto status = platform::awaited<platform::Result<platform::EntryStatus>>(
        [&](auto done) { start.volume().entryStatus(place.value.folder, place.value.name, done); });
    if (!status.ok()) return std::nullopt;
    return status.value;
}

}  // namespace

MoveDetection::MoveDetection(const TaskList& deleteList, const ExecutionSettings& settings, const engine::StartFolder& source,
                             const engine::StartFolder& dest)
    : fichSuppr_(deleteList), settings_(settings), source_(source), dest_(dest)
{
    if (settings.moves && !settings.moves->empty() && settings.flags.executeDeletions && source.opened() &&
        dest.opened()) {
        indexExecutedDeletes();
    }
}

// The deletes that will be executed: those of the chosen selection state, and those inside a
// folder that goes, which leave with it whatever their state.
void MoveDetection::indexExecutedDeletes()
{
    for (std::size_t i = 0; i < fichSuppr_.count(); ++i) {
        const engine::TaskEntry& entry = fichSuppr_.entry(i);
        if (fichSuppr_.selected(i) != settings_.deletionsSelectedChosen && !deletedFolders_.contains(entry.destPath)) {
            continue;
        }
        deletedEntries_.insert(entry.destPath);
        if (entry.isFolder()) deletedFolders_.add(entry.destPath);
    }
}

bool MoveDetection::deletedByThisExecution(const std::string& oldPath) const
{
    return (deletedEntries_.contains(oldPath) || deletedFolders_.contains(oldPath)) && !movedAway(oldPath);
}

// The proof holds only for the files it read: any change of either since, and the add is copied.
bool MoveDetection::stillAsProven(const ProvenFileMove& move) const
{
    const auto source = statusAt(source_, move.sourcePath);
    const auto dest = statusAt(dest_, move.oldPath);
    return source && dest && matches(move.source, *source) && matches(move.dest, *dest);
}

MoveOutcome MoveDetection::moveInstead(const engine::TaskEntry& added, const platform::EntryFilter& leavesOut)
{
    if (deletedEntries_.empty()) return {};
    if (added.isFolder()) {
        const auto folder = settings_.moves->folders.find(added.destPath);
        if (folder == settings_.moves->folders.end()) return {};
        return moveFolder(added, folder->second, leavesOut);
    }
    const auto file = settings_.moves->files.find(added.destPath);
    if (file == settings_.moves->files.end()) return {};
    return moveFile(added, file->second);
}

MoveOutcome MoveDetection::moveFile(const engine::TaskEntry& added, const ProvenFileMove& move)
{
    if (!deletedByThisExecution(move.oldPath) || !stillAsProven(move)) return {};
    return rename(added, move.oldPath, {});
}

MoveOutcome MoveDetection::moveFolder(const engine::TaskEntry& added, const ProvenFolderMove& move,
                                      const platform::EntryFilter& leavesOut)
{
    if (!deletedByThisExecution(move.oldPath)) return {};
    for (const std::string& file : move.files) {
        const ProvenFileMove& inside = settings_.moves->files.at(file);
        if (!deletedByThisExecution(inside.oldPath) || !stillAsProven(inside)) return {};
    }
    // Nothing may have come or gone inside since the proof: the volume looks again as it moves.
    return rename(added, move.oldPath, leavesOut);
}

MoveOutcome MoveDetection::rename(const engine::TaskEntry& added, const std::string& oldPath,
                                  const platform::EntryFilter& leavesOut)
{
    const auto from = source_.placeOf(added.sourcePath);
    const auto to = dest_.placeOf(added.destPath);
    const auto old = dest_.placeOf(oldPath);
    if (!from.ok() || !to.ok() || !old.ok()) return {};
    const platform::SameTime sameTime = [this](platform::FileTime a, platform::FileTime b) {
        return engine::sameTime(settings_.rules, a.seconds, a.nanoseconds, b.seconds, b.nanoseconds);
    };
    MoveOutcome move = platform::awaited<MoveOutcome>([&](auto done) {
        dest_.volume().moveProven(source_.volume(), from.value.folder, from.value.name, old.value.folder,
                                  old.value.name, to.value.folder, to.value.name, sameTime, leavesOut, done);
    });
    if (!move.moved) return {};
    std::lock_guard held(movedMutex_);
    movedOld_.insert(oldPath);
    if (added.isFolder()) movedFolders_.add(oldPath);
    return move;
}

bool MoveDetection::movedAway(const std::string& destPath) const
{
    std::lock_guard held(movedMutex_);
    return movedOld_.contains(destPath) || movedFolders_.contains(destPath);
}

platform::EntryFilter MoveDetection::movingEntriesIn(const engine::TaskEntry& folder, platform::EntryFilter leavesOut,
                                                     platform::MaybeError& failure)
{
    if (deletedEntries_.empty()) return leavesOut;
    return [this, folder, leavesOut, &failure](const std::string& pathInside, bool isFolder) {
        if (leavesOut && leavesOut(pathInside, isFolder)) return true;
        const std::string inside = isFolder ? platform::withTrailingSeparator(pathInside) : pathInside;
        const engine::TaskEntry entry{isFolder ? engine::EntryKind::Folder : engine::EntryKind::File,
                                      0,
                                      0,
                                      0,
                                      folder.sourcePath + inside,
                                      folder.destPath + inside};
        const auto leftOutInside = [&](const std::string& below, bool belowIsFolder) {
            return leavesOut && leavesOut(inside + below, belowIsFolder);
        };
        MoveOutcome move = moveInstead(entry, leftOutInside);
        if (move.failure && !failure) failure = std::move(move.failure);
        return move.moved;
    };
}

}  // namespace velmorane::execution
