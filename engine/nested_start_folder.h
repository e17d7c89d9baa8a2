#pragma once

#include <string>
#include <vector>

namespace velmorane::engine {

enum class StartSide { Source, Dest };

// One start folder lying inside the other: which one holds it, and the path that leads to it from
// there ("a/b"). A run leaves that path out of both trees (Exclusions::leaveOutFolder): in the outer
// tree it is the other start folder itself, and in the inner tree it is what would be mirrored
// onto it.
struct NestedStartFolder {
    StartSide outer;
    std::string relativePath;
};

// Judged by identity, so links, "." and "..", and bind mounts of either folder are seen through:
// a folder bound at two places inside the other gives two paths. Empty when neither start folder
// lies inside the other (or one of them does not exist).
std::vector<NestedStartFolder> nestedStartFolders(const std::string& source, const std::string& dest);

}  // namespace velmorane::engine
