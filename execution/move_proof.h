#pragma once

#include "engine/comparison.h"
#include "engine/folder_fingerprints.h"
#include "engine/folder_structure.h"
#include "engine/task_list.h"
#include "engine/start_folders.h"
#include "execution/move_record.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmorane::execution {

// A file as it was when a move was proven: the rename waits for both files to be so still.
struct FileSnapshot {
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modified = 0;  // nanoseconds since the epoch
    std::int64_t changed = 0;
};

enum class MoveProof { Record, Bytes };

// An added file that is a deleted one of the destination: the old place (a destination path, as
// entries name it) is renamed to the new one instead of a copy.
struct ProvenFileMove {
    std::string oldPath;
    std::string sourcePath;
    FileSnapshot source;
    FileSnapshot dest;
    MoveProof proof = MoveProof::Bytes;
};

// An added folder that is a deleted one, each of its files proven: renamed in one step.
struct ProvenFolderMove {
    std::string oldPath;
    std::vector<std::string> files;  // their new destination paths, keys of MovePlan::files
};

// What the execution may carry out as renames, proven before anything is executed.
struct MovePlan {
    std::unordered_map<std::string, ProvenFileMove> files;  // by the new destination path
    std::unordered_map<std::string, ProvenFolderMove> folders;  // by the added folder's destination path
    std::int64_t filesKept = 0;  // destination files a move keeps instead of deleting them

    bool empty() const { return files.empty(); }
};

struct MoveProofInputs {
    const engine::TaskLists& lists;
    const engine::StructurePair& trees;
    const engine::FolderFingerprints& fingerprints;
    const engine::StartFolder& source;  // where the bytes of candidates are read
    const engine::StartFolder& dest;
    RecordOwner owner;
    bool sourceKeepsIdentity = false;  // the record can prove what the source's inodes say
    bool destKeepsIdentity = false;    // the destination's inode and change time say it is untouched
    engine::ComparisonRules rules;
};

// Proves which adds are deletes of the same lists moved: by the last run's record where the source
// keeps inodes and birth times, else by comparing the bytes of both files. Size and time alone
// never prove it. A folder moves whole only when both hold the same names and each file is proven.
MovePlan proveMoves(const MoveProofInputs& inputs);

}  // namespace velmorane::execution
