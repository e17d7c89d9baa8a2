#pragma once

#include "engine/task_list.h"
#include "execution/executor.h"
#include "execution/folder_set.h"
#include "engine/start_folders.h"
#include "execution/move_proof.h"
#include "platform/entry_records.h"

#include <cstddef>
#include <mutex>
#include <string>
#include <unordered_set>
#include <utility>

namespace velmorane::execution {

using MoveOutcome = platform::ProvenMoveOutcome;

// Carries out an add as the rename of what a delete of the same execution takes away, when the
// plan proved it before the execution: both files must still be as they were then, or the add is
// copied. Only the deletes this execution carries out are used.
class MoveDetection {
public:
    MoveDetection(const TaskList& deleteList, const ExecutionSettings& settings, const engine::StartFolder& source,
                  const engine::StartFolder& dest);

    // Nothing moved when nothing is proven, either file changed since, or the volume refuses: the
    // add is then copied.
    MoveOutcome moveInstead(const engine::TaskEntry& added, const platform::EntryFilter& leavesOut);

    // The filter for the copy of a new folder: what a move brings into it (a sub-folder whole, or
    // a file) is moved in as the copy is made, and left out of the copy. The first failure of such
    // a move goes to `failure`, which the copy reports after its own.
    platform::EntryFilter movingEntriesIn(const engine::TaskEntry& folder, platform::EntryFilter leavesOut,
                                          platform::MaybeError& failure);

    // The delete entry's destination entry, or a folder holding it, has been moved away by an add.
    bool movedAway(const std::string& destPath) const;

private:
    void indexExecutedDeletes();
    bool deletedByThisExecution(const std::string& oldPath) const;
    bool stillAsProven(const ProvenFileMove& move) const;
    MoveOutcome moveFile(const engine::TaskEntry& added, const ProvenFileMove& move);
    MoveOutcome moveFolder(const engine::TaskEntry& added, const ProvenFolderMove& move,
                           const platform::EntryFilter& leavesOut);
    MoveOutcome rename(const engine::TaskEntry& added, const std::string& oldPath,
                       const platform::EntryFilter& leavesOut);

    const TaskList& fichSuppr_;
    const ExecutionSettings& settings_;
    const engine::StartFolder& source_;
    const engine::StartFolder& dest_;
    std::unordered_set<std::string> deletedEntries_;  // files and folders, by destination path
    FolderSet deletedFolders_;
    // What the adds moved away, as the workers move it.
    mutable std::mutex movedMutex_;
    std::unordered_set<std::string> movedOld_;
    FolderSet movedFolders_;
};

}  // namespace velmorane::execution
