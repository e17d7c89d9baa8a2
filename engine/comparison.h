#pragma once

#include "engine/exclusions.h"
#include "engine/folder_structure.h"
#include "engine/task_list.h"
#include "platform/progress.h"
#include "platform/volume.h"

namespace velmorane::engine {

// What the two volumes both keep decides what is a difference.
struct ComparisonRules {
    platform::TimePrecision times = platform::TimePrecision::Nanoseconds;
    // One side stores local time: an exact hour either way, sizes equal, is the UTC offset, no edit.
    bool hourShift = false;
    bool permissions = false;  // both keep permission bits
    bool owners = false;       // both keep them and the copy can set owner and group
    bool attributes = false;   // both keep extended attributes and ACLs
};

// Whether a volume keeps both ACLs and extended attributes.
bool keepsAttributes(const platform::VolumeCapabilities& volume);

ComparisonRules rulesFor(const platform::VolumeCapabilities& source, const platform::VolumeCapabilities& dest);

// Compares the folders of both trees, then the files of every folder found on both sides.
// A file differs when its size, its kind (file or link), its modification time or, where the rules
// say so, its permission bits, owner, group, extended attributes or ACLs differ. A special file of
// the destination that stands where the source has a file or a folder is listed for deletion. A
// destination folder on the way to a folder the run leaves out (`exclusions`) is never deleted
// whole: its files are listed instead.
TaskLists compareStructures(const FolderStructure& source, const FolderStructure& dest,
                            platform::ProgressSink& progress,
                            const ComparisonRules& rules = {}, const Exclusions& exclusions = Exclusions());

// Whether two modification times are one under the rules: the comparison and the moves ask alike.
bool sameTime(const ComparisonRules& rules, std::int64_t secondsA, std::int32_t nanosecondsA, std::int64_t secondsB,
              std::int32_t nanosecondsB);

}  // namespace velmorane::engine
