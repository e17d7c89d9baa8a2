#pragma once

#include "engine/comparison.h"
#include "engine/folder_structure.h"
#include "engine/task_list.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace velmorane::engine {

// A digest of a folder's whole content as the walk read it: the names of its files and sub-folders
// all the way down, each file's kind and size. Times are left out: a key keeps other times than
// the disk. Equal digests point at a folder that may have moved; only proving each file confirms it.
using Fingerprint = std::uint64_t;

// The digests of the folders the lists add (by source path) and delete (by destination path): the
// only folders a move can come from or go to.
struct FolderFingerprints {
    std::unordered_map<std::string, Fingerprint> added;
    std::unordered_map<std::string, Fingerprint> deleted;
};

// Reads nothing: the digests come from the two structures the comparison used.
FolderFingerprints fingerprintListedFolders(const FolderStructure& source, const FolderStructure& dest,
                                            const TaskLists& lists);

}  // namespace velmorane::engine
