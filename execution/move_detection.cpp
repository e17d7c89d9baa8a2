#include "execution/move_detection.h"

#include "execution/folder_set.h"
#include "platform/paths.h"

#include <cstdlib>

namespace velmorane::execution {

bool sameTime(platform::FileTime a, platform::FileTime b, std::int64_t tolerance)
{
    return std::llabs(a.seconds - b.seconds) <= tolerance;
}

MoveDetection::MoveDetection(const TaskList& fichSuppr, const ExecutionSettings& settings,
                             const platform::Result<platform::FolderHandle>& destRoot, std::string destRootPath)
    : fichSuppr_(fichSuppr), settings_(settings), destRoot_(destRoot), destRootPath_(std::move(destRootPath))
{
    if (settings.detectMoves && settings.flags.execSuppr && destRoot.ok()) indexExecutedDeletes();
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
            if (sameTime({added.modified, added.modifiedNanoseconds},
                         {deleted.modified, deleted.modifiedNanoseconds}, settings_.timeTolerance)) {
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
        if (movedAway(i)) continue;
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

MoveOutcome MoveDetection::moveInstead(const engine::TaskEntry& added, const platform::FolderHandle& fromFolder,
                                       const std::string& fromName, const platform::FolderHandle& toFolder,
                                       const std::string& toName, const platform::EntryFilter& leavesOut)
{
    const auto index = matchingDelete(added);
    if (!index) return {};
    const std::string oldPath = platform::withoutTrailingSeparator(fichSuppr_.entry(*index).destPath);
    if (oldPath.size() <= destRootPath_.size() || !oldPath.starts_with(destRootPath_)) return {};
    const std::string relative = oldPath.substr(destRootPath_.size());
    const auto oldFolder = destRoot_.value.openBelow(platform::parentFolder(relative));
    if (!oldFolder.ok()) return {};
    const std::string oldName = platform::lastComponent(relative);
    const platform::SameTime same = [this](platform::FileTime a, platform::FileTime b) {
        return sameTime(a, b, settings_.timeTolerance);
    };
    if (!platform::sameContent(fromFolder, fromName, oldFolder.value, oldName, same, leavesOut)) return {};
    if (platform::moveEntry(oldFolder.value, oldName, toFolder, toName)) return {};
    moved_.insert(*index);
    return {index, platform::keepAttributesOf(fromFolder, fromName, toFolder, toName)};
}

}  // namespace velmorane::execution
