#pragma once

#include "engine/comparison.h"
#include "engine/folder_structure.h"
#include "engine/task_list.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace velmorane::engine {

// A digest of a folder's whole content as the walk read it: the names of its files and sub-folders
// all the way down, each file's kind, size and, where asked, time. Equal digests point at a folder
// that may have moved; only a look at both folders can confirm it.
using Fingerprint = std::uint64_t;

// The digests of the folders the lists add (by source path) and delete (by destination path): the
// only folders a move can come from or go to.
struct FolderFingerprints {
    std::unordered_map<std::string, Fingerprint> added;
    std::unordered_map<std::string, Fingerprint> deleted;
};

// Reads nothing: the digests come from the two structures the comparison used. Times are left out
// when the comparison lets them differ a little, so that the digests of equal folders stay equal.
FolderFingerprints fingerprintListedFolders(const FolderStructure& source, const FolderStructure& dest,
                                            const TaskLists& lists, const ComparisonRules& rules);

}  // namespace velmorane::engine
