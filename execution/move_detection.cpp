#include "execution/move_detection.h"

#include "execution/entry_place.h"
#include "platform/paths.h"

#include <cstdlib>

namespace velmorane::execution {

MoveDetection::MoveDetection(const TaskList& fichSuppr, const ExecutionSettings& settings, const Root& sourceRoot,
                             const std::string& sourceRootPath, const Root& destRoot, const std::string& destRootPath)
    : fichSuppr_(fichSuppr), settings_(settings), sourceRoot_(sourceRoot), sourceRootPath_(sourceRootPath),
      destRoot_(destRoot), destRootPath_(destRootPath)
{
    if (settings.detectMoves && settings.flags.execSuppr && sourceRoot.ok() && destRoot.ok()) indexExecutedDeletes();
}

// The deletes that will be executed: those of the chosen selection state, and those inside a
// folder that goes, which leave with it whatever their state.
void MoveDetection::indexExecutedDeletes()
{
    FolderSet going;
    for (std::size_t i = 0; i < fichSuppr_.count(); ++i) {
        const engine::TaskEntry& entry = fichSuppr_.entry(i);
        if (fichSuppr_.selected(i) != settings_.supprSelectedChosen && !going.contains(entry.destPath)) continue;
        if (!entry.isFolder()) {
            filesByKindAndSize_[{static_cast<int>(entry.kind), entry.size}].push_back(i);
            continue;
        }
        going.add(entry.destPath);
        if (!settings_.fingerprints) continue;
        const auto found = settings_.fingerprints->deleted.find(entry.destPath);
        if (found != settings_.fingerprints->deleted.end()) foldersByFingerprint_[found->second].push_back(i);
    }
}

std::optional<std::size_t> MoveDetection::matchingDelete(const engine::TaskEntry& added) const
{
    std::vector<std::size_t> candidates;
    if (added.isFolder()) {
        if (!settings_.fingerprints) return std::nullopt;
        const auto fingerprint = settings_.fingerprints->added.find(added.sourcePath);
        if (fingerprint == settings_.fingerprints->added.end()) return std::nullopt;
        const auto found = foldersByFingerprint_.find(fingerprint->second);
        if (found == foldersByFingerprint_.end()) return std::nullopt;
        candidates = found->second;
    } else {
        const auto found = filesByKindAndSize_.find({static_cast<int>(added.kind), added.size});
        if (found == filesByKindAndSize_.end()) return std::nullopt;
        for (const std::size_t i : found->second) {
            const engine::TaskEntry& deleted = fichSuppr_.entry(i);
            if (engine::sameTime(settings_.rules, added.modified, added.modifiedNanoseconds, deleted.modified,
                                 deleted.modifiedNanoseconds)) {
                candidates.push_back(i);
            }
        }
    }
    return onlyOne(candidates, added);
}

// One candidate, or among several the only one of the same name; otherwise the add is ambiguous.
std::optional<std::size_t> MoveDetection::onlyOne(const std::vector<std::size_t>& candidates,
                                                  const engine::TaskEntry& added) const
{
    std::optional<std::size_t> chosen;
    std::size_t left = 0;
    std::optional<std::size_t> sameName;
    std::size_t sameNames = 0;
    const std::string name = platform::lastComponent(platform::withoutTrailingSeparator(added.destPath));
    for (const std::size_t i : candidates) {
        if (movedAway(i, fichSuppr_.entry(i).destPath)) continue;
        chosen = i;
        ++left;
        if (platform::lastComponent(platform::withoutTrailingSeparator(fichSuppr_.entry(i).destPath)) == name) {
            sameName = i;
            ++sameNames;
        }
    }
    if (left == 1) return chosen;
    if (sameNames == 1) return sameName;
    return std::nullopt;
}

std::optional<platform::AttributeFixes> MoveDetection::sameContent(const platform::FolderHandle& fromFolder,
                                                                   const std::string& fromName,
                                                                   const platform::FolderHandle& toFolder,
                                                                   const std::string& toName,
                                                                   const platform::EntryFilter& leavesOut) const
{
    const platform::SameTime same = [this](platform::FileTime a, platform::FileTime b) {
        return engine::sameTime(settings_.rules, a.seconds, a.nanoseconds, b.seconds, b.nanoseconds);
    };
    return platform::sameContent(fromFolder, fromName, toFolder, toName, same, leavesOut);
}

MoveOutcome MoveDetection::moveInstead(const engine::TaskEntry& added, const platform::EntryFilter& leavesOut)
{
    const auto index = matchingDelete(added);
    if (!index) return {};
    const std::string& oldPath = fichSuppr_.entry(*index).destPath;
    const auto from = placeOf(sourceRoot_, sourceRootPath_, added.sourcePath);
    const auto to = placeOf(destRoot_, destRootPath_, added.destPath);
    const auto old = placeOf(destRoot_, destRootPath_, oldPath);
    if (!from.ok() || !to.ok() || !old.ok()) return {};
    const auto fixes = sameContent(from.value.folder, from.value.name, old.value.folder, old.value.name, leavesOut);
    if (!fixes) return {};
    if (platform::moveEntry(old.value.folder, old.value.name, to.value.folder, to.value.name)) return {};
    moved_.insert(*index);
    if (added.isFolder()) movedFolders_.add(oldPath);
    return {true,
            platform::keepAttributesOf(from.value.folder, from.value.name, to.value.folder, to.value.name, *fixes)};
}

platform::EntryFilter MoveDetection::movingSubFoldersIn(const engine::TaskEntry& folder,
                                                        platform::EntryFilter leavesOut)
{
    if (foldersByFingerprint_.empty()) return leavesOut;
    return [this, folder, leavesOut](const std::string& pathInside, bool isFolder) {
        if (leavesOut && leavesOut(pathInside, isFolder)) return true;
        if (!isFolder) return false;
        const std::string inside = platform::withTrailingSeparator(pathInside);
        const engine::TaskEntry subFolder{engine::EntryKind::Folder, 0, 0, 0, folder.sourcePath + inside,
                                          folder.destPath + inside};
        const auto leftOutInside = [&](const std::string& below, bool belowIsFolder) {
            return leavesOut && leavesOut(inside + below, belowIsFolder);
        };
        MoveOutcome move = moveInstead(subFolder, leftOutInside);
        if (move.failure && !failure_) failure_ = std::move(move.failure);
        return move.moved;
    };
}

}  // namespace velmorane::execution
