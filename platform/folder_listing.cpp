#include "platform/folder_listing.h"

#include "platform/letter_case.h"
#include "platform/temporary_name.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

template <typename T, typename NameOf>
void sortByName(std::vector<T>& items, NameOf nameOf)
{
    std::vector<std::pair<std::string, std::size_t>> keys;
    keys.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) keys.emplace_back(caseFoldedKey(nameOf(items[i])), i);
    std::sort(keys.begin(), keys.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return nameOf(items[a.second]) < nameOf(items[b.second]);
    });
    std::vector<T> sorted;
    sorted.reserve(items.size());
    for (const auto& key : keys) sorted.push_back(std::move(items[key.second]));
    items = std::move(sorted);
}

bool isDotEntry(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

Result<FolderContent> readFolder(const FolderHandle& folder)
{
    // The handle stays open for what lies below; the listing reads through a copy of it.
    const int fd = ::fcntl(folder.fd(), F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return Result<FolderContent>::failure(systemError(errno));
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        const int error = errno;
        ::close(fd);
        return Result<FolderContent>::failure(systemError(error));
    }
    ::rewinddir(dir);

    FolderContent content;
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            error = errno;
            break;
        }
        if (isDotEntry(entry->d_name)) continue;
        if (entry->d_type == DT_DIR) {
            content.subFolders.emplace_back(entry->d_name);
            continue;
        }
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) continue;
        struct stat info{};
        if (::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;  // removed while we were reading
            error = errno;
            break;
        }
        if (S_ISDIR(info.st_mode)) {
            content.subFolders.emplace_back(entry->d_name);
        } else if ((S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) && !isTemporaryName(entry->d_name)) {
            content.files.push_back(FileRecord{entry->d_name, static_cast<std::int64_t>(info.st_size),
                                               static_cast<std::int64_t>(info.st_mtim.tv_sec),
                                               S_ISLNK(info.st_mode)});
        }
    }
    ::closedir(dir);
    if (error != 0) return Result<FolderContent>::failure(systemError(error));

    sortByName(content.subFolders, [](const std::string& name) -> const std::string& { return name; });
    sortByName(content.files, [](const FileRecord& file) -> const std::string& { return file.name; });
    return {std::move(content), std::nullopt};
}

Result<FolderContent> readFolder(const std::string& path)
{
    const auto folder = FolderHandle::openStart(path);
    if (!folder.ok()) return Result<FolderContent>::failure(*folder.error);
    return readFolder(folder.value);
}

bool folderExists(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace velmorane::platform
