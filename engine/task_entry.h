#pragma once

#include <cstdint>
#include <string>

namespace velmorane::engine {

// One task of a list. The text is what the user reviews; the two paths are the real ones on each
// side (empty where a list has no such side), so the executor never rebuilds a path from the text.
struct TaskEntry {
    std::string text;
    std::string sourcePath;
    std::string destPath;
};

inline constexpr const char* kFolderMarker = " **Dossier";
inline constexpr const char* kFileSeparator = " *-* ";

std::string folderEntryText(const std::string& folderPath);
std::string fileEntryText(const std::string& filePath, std::int64_t size, std::int64_t modified);

}  // namespace velmorane::engine
