#pragma once

#include "engine/task_list.h"
#include "execution/executor.h"
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

// Two modification times are the same as the comparison finds them: whole seconds within its
// tolerance.
bool sameTime(platform::FileTime a, platform::FileTime b, std::int64_t tolerance);

// What happened when an add was tried as a move.
struct MoveOutcome {
    std::optional<std::size_t> movedFrom;  // the delete entry whose destination entry was renamed
    platform::MaybeError failure;          // the renamed entry could not be given the source's attributes
};

// Carries out an add as the rename of what a delete of the same execution takes away, when that
// holds the same content: a file of the same size and time (the same name settles between several),
// a folder with the same content all the way down. The fingerprints of the comparison find the
// folder; a look at both entries just before the rename confirms it, so a change since the
// comparison is noticed. Only the deletes this execution carries out are used.
class MoveDetection {
public:
    MoveDetection(const TaskList& fichSuppr, const ExecutionSettings& settings,
                  const platform::Result<platform::FolderHandle>& destRoot, std::string destRootPath);

    // Nothing moved when no delete matches or the volume refuses: the add is then copied.
    MoveOutcome moveInstead(const engine::TaskEntry& added, const platform::FolderHandle& fromFolder,
                            const std::string& fromName, const platform::FolderHandle& toFolder,
                            const std::string& toName, const platform::EntryFilter& leavesOut);

    // The delete entry's destination entry has been moved away by an add.
    bool movedAway(std::size_t deleteIndex) const { return moved_.count(deleteIndex) != 0; }

private:
    void indexExecutedDeletes();
    std::optional<std::size_t> matchingDelete(const engine::TaskEntry& added) const;
    std::optional<std::size_t> onlyOne(const std::vector<std::size_t>& candidates,
                                       const engine::TaskEntry& added) const;

    const TaskList& fichSuppr_;
    const ExecutionSettings& settings_;
    const platform::Result<platform::FolderHandle>& destRoot_;
    const std::string destRootPath_;
    std::map<std::pair<int, std::int64_t>, std::vector<std::size_t>> filesByKindAndSize_;
    std::unordered_map<engine::Fingerprint, std::vector<std::size_t>> foldersByFingerprint_;
    std::unordered_set<std::size_t> moved_;
};

}  // namespace velmorane::execution
