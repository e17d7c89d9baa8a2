#pragma once

#include "platform/folder_listing.h"
#include "platform/progress.h"

#include <optional>
#include <string>
#include <vector>

namespace velmorane::engine {

// One folder of a tree, with the files found when it was read.
struct FolderLine {
    std::string path;      // full path ending with "/"
    std::string relative;  // below the start folder, ending with "/"; empty for the start folder
    std::size_t parent = 0;
    std::vector<platform::FileRecord> files;
};

// Every folder of a tree: the start folder first, then, for each folder, all its sub-folders one
// after another before any of their own sub-folders.
struct FolderStructure {
    std::vector<FolderLine> lines;
};

struct ReadFailure {
    std::string folder;
    platform::SystemError error;
};

struct StructureResult {
    FolderStructure structure;
    std::optional<ReadFailure> failure;
};

// Walks the tree under the start folder, reading each folder once. Links are never descended.
StructureResult lireDossiers(const std::string& startFolder, platform::ProgressSink& progress,
                             platform::EventPump& pump);

}  // namespace velmorane::engine
