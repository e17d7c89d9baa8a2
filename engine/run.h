#pragma once

#include "engine/comparison.h"
#include "engine/exclusions.h"
#include "engine/settings.h"
#include "platform/dialogs.h"
#include "platform/progress.h"

#include <string>

namespace velmorane::engine {

// Source, destination and flags of one run, taken from the settings, and what its walk leaves out.
struct RunPlan {
    std::string dosSource;
    std::string dosDest;
    RunFlags flags;
    Exclusions exclusions;
};

RunPlan planRun(const RunSettings& settings);

enum class RunOutcome {
    Completed,
    SourceMissing,     // reported: "<source> est vide ou n'existe pas"
    FolderUnreadable,  // reported: the folder and the system's reason
};

struct RunResult {
    RunOutcome outcome = RunOutcome::Completed;
    TaskLists lists;
};

// Reads both trees and compares them into the three task lists. A missing source or a folder that
// cannot be read is reported through the dialogs, and the lists then stay empty.
RunResult compareFolders(const RunPlan& plan, platform::Dialogs& dialogs, platform::ProgressSink& progress,
                         platform::EventPump& pump);

}  // namespace velmorane::engine
