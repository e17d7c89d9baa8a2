#include "execution/move_detection.h"

#include "execution/entry_place.h"
#include "platform/file_status.h"
#include "platform/paths.h"
#include "platform/volumes.h"

namespace velmorane::execution {
namespace {

bool matches(const FileSnapshot& snapshot, const platform::FileStatus& now)
{
    return snapshot.inode == now.identity.inode && snapshot.size == now.info.st_size &&
           snapshot.modified == platform::nanosecondsOf(now.info.st_mtim) && snapshot.changed == now.identity.changed;
}

}  // namespace

MoveDetection::MoveDetection(const TaskList& deleteList, const ExecutionSettings& settings, const Root& sourceRoot,
                             const std::string& sourceRootPath, const Root& destRoot, const std::string& destRootPath)
    : fichSuppr_(deleteList), settings_(settings), sourceRoot_(sourceRoot), sourceRootPath_(sourceRootPath),
      destRoot_(destRoot), destRootPath_(destRootPath)
{
    if (settings.moves && !settings.moves->empty() && settings.flags.executeDeletions && sourceRoot.ok() && destRoot.ok()) {
        indexExecutedDeletes();
        folderRenameLosesContent_ = platform::folderRenameLosesContent(settings.destinationFolder);
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
    const auto from = placeOf(sourceRoot_, sourceRootPath_, move.sourcePath);
    const auto old = placeOf(destRoot_, destRootPath_, move.oldPath);
    if (!from.ok() || !old.ok()) return false;
    const auto source = platform::statusAt(from.value.folder, from.value.name);
    const auto dest = platform::statusAt(old.value.folder, old.value.name);
    return source.ok() && dest.ok() && matches(move.source, source.value) && matches(move.dest, dest.value);
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
    const auto from = placeOf(sourceRoot_, sourceRootPath_, added.sourcePath);
    const auto old = placeOf(destRoot_, destRootPath_, move.oldPath);
    if (!from.ok() || !old.ok()) return {};
    const platform::SameTime sameTime = [this](platform::FileTime a, platform::FileTime b) {
        return engine::sameTime(settings_.rules, a.seconds, a.nanoseconds, b.seconds, b.nanoseconds);
    };
    // Nothing may have come or gone inside since the proof.
    const auto fixes =
        platform::sameLayout(from.value.folder, from.value.name, old.value.folder, old.value.name, sameTime, leavesOut);
    if (!fixes) return {};
    return rename(added, move.oldPath, *fixes);
}

MoveOutcome MoveDetection::rename(const engine::TaskEntry& added, const std::string& oldPath,
                                  const platform::AttributeFixes& fixes)
{
    const auto from = placeOf(sourceRoot_, sourceRootPath_, added.sourcePath);
    const auto to = placeOf(destRoot_, destRootPath_, added.destPath);
    const auto old = placeOf(destRoot_, destRootPath_, oldPath);
    if (!from.ok() || !to.ok() || !old.ok()) return {};
    const bool plainRenameKeepsContent = !added.isFolder() || !folderRenameLosesContent_;
    if (platform::moveEntry(old.value.folder, old.value.name, to.value.folder, to.value.name,
                            plainRenameKeepsContent)) {
        return {};
    }
    movedOld_.insert(oldPath);
    if (added.isFolder()) movedFolders_.add(oldPath);
    return {true, platform::keepAttributesOf(from.value.folder, from.value.name, to.value.folder, to.value.name, fixes)};
}

platform::EntryFilter MoveDetection::movingEntriesIn(const engine::TaskEntry& folder, platform::EntryFilter leavesOut)
{
    if (deletedEntries_.empty()) return leavesOut;
    return [this, folder, leavesOut](const std::string& pathInside, bool isFolder) {
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
        if (move.failure && !failure_) failure_ = std::move(move.failure);
        return move.moved;
    };
}

}  // namespace velmorane::execution
