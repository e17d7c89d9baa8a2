#include "platform/folder_listing.h"

#include "platform/directory_entries.h"
#include "platform/letter_case.h"
#include "platform/temporary_name.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

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

FileRecord recordOf(const std::string& name, const FileStatus& status)
{
    const struct stat& info = status.info;
    return {name,
            static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec),
            S_ISLNK(info.st_mode),
            CarriedAttributes::None,
            static_cast<std::int32_t>(info.st_mtim.tv_nsec),
            permissionsOf(info),
            status.identity};
}

CarriedAttributes attributesOf(const FolderHandle& folder, const std::string& name, const FileStatus& status,
                               const ListingContext& context)
{
    if (context.asLastRun && context.asLastRun(context.relativeFolder, name, status.identity)) {
        return CarriedAttributes::AsLastRun;
    }
    return hasCopiedAttributes(context.user, folder, name) ? CarriedAttributes::Some : CarriedAttributes::None;
}

}  // namespace

Result<FolderContent> readFolder(const FolderHandle& folder, const ListingContext& context)
{
    FolderContent content;
    struct stat own{};
    if (::fstat(folder.fd(), &own) != 0) return Result<FolderContent>::failure(systemError(errno));
    content.permissions = permissionsOf(own);
    int statError = 0;
    const auto listed = forEachDirectoryEntry(folder, [&](std::string_view name, unsigned char type) {
        if (statError != 0) return;
        if (type == DT_DIR) {
            content.subFolders.emplace_back(name);
            return;
        }
        const std::string entry(name);
        const auto status = statusAt(folder, entry);
        if (!status.ok()) {
            if (status.error->number != ENOENT) statError = status.error->number;  // ENOENT: removed meanwhile
            return;
        }
        const mode_t mode = status.value.info.st_mode;
        if (S_ISDIR(mode)) {
            content.subFolders.push_back(entry);
        } else if (!S_ISREG(mode) && !S_ISLNK(mode)) {
            content.specialFiles.push_back(recordOf(entry, status.value));
        } else if (isTemporaryName(entry)) {
            content.holdsTemporaries = true;
        } else {
            content.files.push_back(recordOf(entry, status.value));
            if (S_ISREG(mode)) content.files.back().attributes = attributesOf(folder, entry, status.value, context);
        }
    });
    if (listed) return Result<FolderContent>::failure(*listed);
    if (statError != 0) return Result<FolderContent>::failure(systemError(statError));

    sortContent(content);
    return {std::move(content), std::nullopt};
}

void sortContent(FolderContent& content)
{
    sortByName(content.subFolders, [](const std::string& name) -> const std::string& { return name; });
    const auto fileName = [](const FileRecord& file) { return file.name.view(); };
    sortByName(content.files, fileName);
    sortByName(content.specialFiles, fileName);
}

Result<FolderContent> readFolder(const FolderHandle& folder)
{
    const AttributesAsLastRun nothingKnown;
    return readFolder(folder, {CopyingUser::current(), {}, nothingKnown});
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
