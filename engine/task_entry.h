#pragma once

#include <cstdint>
#include <string>

namespace velmorane::engine {

// A special file (socket, FIFO, device node) is never copied; it is only ever deleted, never opened.
enum class EntryKind { Folder, File, Link, Special };

// One task of a list, as the comparison decided it. Size and time are those the review shows: the
// source's for an add or a replacement, the destination's for a deletion. A folder to add has the
// bytes of all it holds and no time; a folder to delete, neither. The
// two paths are the real ones on each side (the source path is empty for a deletion), so nothing
// is ever rebuilt from the text the user reads.
struct TaskEntry {
    EntryKind kind = EntryKind::File;
    std::int64_t size = 0;
    std::int64_t modified = 0;             // whole seconds since the epoch
    std::int32_t modifiedNanoseconds = 0;  // within that second
    std::string sourcePath;
    std::string destPath;
    // A replacement whose content and time are already equal: only permission bits, owner, group,
    // ACLs and extended attributes are set again.
    bool attributesOnly = false;

    bool isFolder() const { return kind == EntryKind::Folder; }
};

inline constexpr const char* kFolderMarker = " **Dossier";
inline constexpr const char* kFileSeparator = " *-* ";

// The line the review and `--liste` show for an entry that names the path given: a folder ends with
// its marker, a file shows its size and date.
std::string entryText(const TaskEntry& entry, const std::string& shownPath);

}  // namespace velmorane::engine
