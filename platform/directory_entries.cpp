#include "platform/directory_entries.h"

#include <array>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <dirent.h>

namespace velmorane::platform {
namespace {

bool isDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

MaybeError forEachDirectoryEntry(const FolderHandle& folder,
                                 const std::function<void(std::string_view name, unsigned char type)>& visit)
{
    // Large enough for a few hundred names per call; one buffer per thread, since walks run in several.
    thread_local std::array<char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t length = ::getdents64(folder.fd(), buffer.data(), buffer.size());
        if (length < 0) {
            if (errno == EINTR) continue;
            return systemError(errno);
        }
        if (length == 0) return std::nullopt;
        for (std::size_t offset = 0; offset < static_cast<std::size_t>(length);) {
            dirent64 entry;
            std::memcpy(&entry, buffer.data() + offset, offsetof(dirent64, d_name));
            const char* name = buffer.data() + offset + offsetof(dirent64, d_name);
            if (!isDotEntry(name)) visit(name, entry.d_type);
            offset += entry.d_reclen;
        }
    }
}

}  // namespace velmorane::platform
