#pragma once

#include "engine/exclusions.h"
#include "engine/folder_structure.h"
#include "engine/task_list.h"
#include "platform/progress.h"

#include <cstdint>
#include <vector>

namespace velmorane::engine {

// Compares the folders of both trees, then the files of every folder found on both sides.
// A file differs when its size, its kind (file or link) or its modification time differs by more
// than `timeTolerance` seconds. A destination folder on the way to a folder the run leaves out
// (`exclusions`) is never deleted whole: its files are listed instead.
TaskLists compareStructures(const FolderStructure& source, const FolderStructure& dest,
                            platform::ProgressSink& progress, platform::EventPump& pump,
                            std::int64_t timeTolerance = 0, const Exclusions& exclusions = Exclusions());

}  // namespace velmorane::engine
