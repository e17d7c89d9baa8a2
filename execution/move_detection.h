#pragma once

#include "engine/task_list.h"
#include "execution/executor.h"
#include "execution/folder_set.h"
#include "platform/entry_move.h"
#include "platform/folder_handle.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace velmorane::execution {

// What happened when an add was tried as a move.
struct MoveOutcome {
    bool moved = false;
    platform::MaybeError failure;  // the renamed entry could not be given the source's attributes
};

// Carries out an add as the rename of what a delete of the same execution takes away, when that
// holds the same content: a file of the same size and time (the same name settles between several),
// a folder with the same content all the way down. The fingerprints of the comparison find the
// folder; a look at both entries just before the rename confirms it, so a change since the
// comparison is noticed. Only the deletes this execution carries out are used.
class MoveDetection {
public:
    using Root = platform::Result<platform::FolderHandle>;

    MoveDetection(const TaskList& fichSuppr, const ExecutionSettings& settings, const Root& sourceRoot,
                  const std::string& sourceRootPath, const Root& destRoot, const std::string& destRootPath);

    // Nothing moved when no delete matches or the volume refuses: the add is then copied.
    MoveOutcome moveInstead(const engine::TaskEntry& added, const platform::EntryFilter& leavesOut);

    // The filter for the copy of a new folder: its sub-folders that a move brings are moved into
    // the copy as it is made, before the folder gets its times, and left out of it.
    platform::EntryFilter movingSubFoldersIn(const engine::TaskEntry& folder, platform::EntryFilter leavesOut);
    // The first failure of a move made while a folder was copied, which the copy reports after its own.
    platform::MaybeError takeFailure() { return std::exchange(failure_, std::nullopt); }

    // The delete entry's destination entry, or a folder holding it, has been moved away by an add.
    bool movedAway(std::size_t deleteIndex, const std::string& destPath) const
    {
        return moved_.count(deleteIndex) != 0 || movedFolders_.contains(destPath);
    }

private:
    void indexExecutedDeletes();
    std::optional<std::size_t> matchingDelete(const engine::TaskEntry& added) const;
    std::optional<std::size_t> onlyOne(const std::vector<std::size_t>& candidates,
                                       const engine::TaskEntry& added) const;
    std::optional<platform::AttributeFixes> sameContent(const platform::FolderHandle& fromFolder,
                                                        const std::string& fromName,
                                                        const platform::FolderHandle& toFolder,
                                                        const std::string& toName,
                                                        const platform::EntryFilter& leavesOut) const;

    const TaskList& fichSuppr_;
    const ExecutionSettings& settings_;
    const Root& sourceRoot_;
    const std::string& sourceRootPath_;
    const Root& destRoot_;
    const std::string& destRootPath_;
    std::map<std::pair<int, std::int64_t>, std::vector<std::size_t>> filesByKindAndSize_;
    std::unordered_map<engine::Fingerprint, std::vector<std::size_t>> foldersByFingerprint_;
    std::unordered_set<std::size_t> moved_;
    FolderSet movedFolders_;
    platform::MaybeError failure_;
};

}  // namespace velmorane::execution
