#pragma once

#include <cstdint>
#include <string>

namespace velmorane::platform {

// What tells one state of a file from another without reading it: its inode, size and time of
// change of content. A file that does not exist has the empty stamp.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t mtimeSeconds = 0;
    std::int64_t mtimeNanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
};

// Follows a link, as reading the file does.
FileStamp fileStamp(const std::string& path);

}  // namespace velmorane::platform
