#pragma once

#include "engine/comparison.h"
#include "engine/exclusions.h"
#include "engine/folder_fingerprints.h"
#include "engine/folder_structure.h"
#include "engine/run_locks.h"
#include "engine/settings.h"
#include "platform/system_error.h"
#include "platform/progress.h"
#include "platform/volume.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmorane::engine {

// What the last run left as it is now on each side, found once both volumes are open.
struct LastRunAttributes {
    platform::AttributesAsLastRun source;
    platform::AttributesAsLastRun dest;
};
using LastRunMemory =
    std::function<LastRunAttributes(const platform::VolumeAccess& source, const platform::VolumeAccess& dest)>;

// Source, destination and flags of one run, taken from the settings, and what its walk leaves out.
struct RunPlan {
    std::string sourceFolder;
    std::string destinationFolder;
    RunFlags flags;
    Exclusions exclusions;
    // A person chose to go on with a source that holds folders but no file.
    bool sourceWithoutFilesAccepted = false;
    // Spares reading the extended attributes of the files the last run left as they are.
    LastRunMemory lastRun;
    // Whether reaching a server may ask the person (a password, a new host): never unattended.
    platform::Questions questions = platform::Questions::Refused;
};

RunPlan planRun(const RunSettings& settings);

enum class RunOutcome {
    Completed,
    SourceMissing,       // the source is empty or does not exist
    FolderUnreadable,    // a folder of either tree could not be read
    FolderInUse,         // another run holds one of the folders
    SourceWithoutFiles,  // the source holds folders but no file
};

// What the lists would do to the destination, counted in files: a folder deleted whole counts the
// files it holds.
struct DestinationChange {
    std::int64_t filesInDestination = 0;
    std::int64_t filesToReplace = 0;
    std::int64_t filesToDelete = 0;
};

struct RunResult {
    RunOutcome outcome = RunOutcome::Completed;
    // When the outcome is not Completed: the folder it names, and for an unreadable one, why.
    std::string refusedFolder;
    platform::SystemError readError;
    TaskLists lists;
    DestinationChange change;
    // The destination folders where the walk found files a killed copy left under a temporary name,
    // below the destination ("" for itself, then "a/b/").
    std::vector<std::string> foldersWithTemporaries;
    // The source holds ACLs or extended attributes that the destination cannot keep.
    bool attributesNotKept = false;
    // What the execution needs to carry out an add and a delete as one move.
    FolderFingerprints fingerprints;
    ComparisonRules rules;  // what the comparison took for a difference
    // The two trees as read: the proof of moves and the record of what the run left equal use them.
    std::shared_ptr<const StructurePair> trees;
    // Kept when asked for, by a run that executes at once and holds its folders to the end.
    std::optional<RunLocks> locks;
};

// Reads both trees and compares them into the three task lists. A missing source or a folder that
// cannot be read stops the run, and the lists then stay empty; so does a source with folders but no
// file against a destination that holds files, unless the plan says a person accepted it.
// The folders are locked while they are compared (shared on the source, exclusive on the
// destination); a folder another run holds stops the run before anything is read.
enum class LockHolding { ReleaseAtEnd, KeepInResult };

RunResult compareFolders(const RunPlan& plan, platform::ProgressSink& progress,
                         LockHolding holding = LockHolding::ReleaseAtEnd);

}  // namespace velmorane::engine
