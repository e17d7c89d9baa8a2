#include "platform/entry_move.h"

#include "platform/directory_entries.h"
#include "platform/paths.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <optional>
#include <string>
#include <sys/stat.h>

namespace velmorane::platform {
namespace {

std::optional<struct stat> statusOf(const FolderHandle& folder, const std::string& name)
{
    struct stat info{};
    if (::fstatat(folder.fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
    return info;
}

bool isCopied(mode_t mode)
{
    return S_ISREG(mode) || S_ISLNK(mode) || S_ISDIR(mode);
}

// The entries of a folder by name with their status; on the source side only those a copy takes.
std::optional<std::map<std::string, struct stat>> entriesOf(const FolderHandle& folder, const std::string& inside,
                                                            const EntryFilter* leavesOut)
{
    std::map<std::string, struct stat> entries;
    bool readable = true;
    const auto error = forEachDirectoryEntry(folder, [&](std::string_view name, unsigned char) {
        const std::string entry(name);
        const auto info = statusOf(folder, entry);
        if (!info) {
            readable = false;
            return;
        }
        if (leavesOut) {
            if (!isCopied(info->st_mode)) return;
            if (*leavesOut && (*leavesOut)(inside + entry, S_ISDIR(info->st_mode))) return;
        }
        entries.emplace(entry, *info);
    });
    if (error || !readable) return std::nullopt;
    return entries;
}

class Likeness {
public:
    Likeness(const SameTime& sameTime, const EntryFilter& leavesOut) : sameTime_(sameTime), leavesOut_(leavesOut) {}

    // `inside` is where a folder's content lies below the folder being compared.
    bool alike(const FolderHandle& from, const struct stat& source, const FolderHandle& to,
                 const struct stat& dest, const std::string& fromName, const std::string& toName,
                 const std::string& inside)
    {
        if ((source.st_mode & S_IFMT) != (dest.st_mode & S_IFMT) || !isCopied(source.st_mode)) return false;
        if (!S_ISDIR(source.st_mode)) {
            return source.st_size == dest.st_size &&
                   sameTime_({source.st_mtim.tv_sec, static_cast<std::int32_t>(source.st_mtim.tv_nsec)},
                             {dest.st_mtim.tv_sec, static_cast<std::int32_t>(dest.st_mtim.tv_nsec)});
        }
        const auto fromChild = from.openChild(fromName);
        const auto toChild = to.openChild(toName);
        return fromChild.ok() && toChild.ok() && foldersAlike(fromChild.value, toChild.value, inside);
    }

private:
    bool foldersAlike(const FolderHandle& from, const FolderHandle& to, const std::string& inside)
    {
        const auto sources = entriesOf(from, inside, &leavesOut_);
        const auto dests = entriesOf(to, inside, nullptr);
        if (!sources || !dests || sources->size() != dests->size()) return false;
        for (const auto& [name, source] : *sources) {
            const auto dest = dests->find(name);
            if (dest == dests->end()) return false;
            if (!alike(from, source, to, dest->second, name, name, inside + name + kSeparator)) return false;
        }
        return true;
    }

    const SameTime& sameTime_;
    const EntryFilter& leavesOut_;
};

MaybeError lastError()
{
    return systemError(errno);
}

// Volumes such as FAT keep no permission bits: refusing them is no failure, as for a copy.
MaybeError keepMode(const FolderHandle& folder, const std::string& name, mode_t mode)
{
    if (::fchmodat(folder.fd(), name.c_str(), mode & 07777, AT_SYMLINK_NOFOLLOW) == 0) return std::nullopt;
    if (errno == ENOSYS || errno == EOPNOTSUPP || errno == EPERM) return std::nullopt;
    return lastError();
}

bool sameModificationTime(const struct stat& a, const struct stat& b)
{
    return a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Writes only what differs: a moved entry mostly has its source's bits and time already, and its
// access time alone is not worth a write.
MaybeError keepAttributes(const FolderHandle& from, const std::string& fromName, const FolderHandle& to,
                          const std::string& toName, const struct stat& dest)
{
    const auto source = statusOf(from, fromName);
    if (!source) return lastError();
    MaybeError failure;
    if (S_ISDIR(source->st_mode) && S_ISDIR(dest.st_mode)) {
        const auto fromChild = from.openChild(fromName);
        if (!fromChild.ok()) return fromChild.error;
        const auto toChild = to.openChild(toName);
        if (!toChild.ok()) return toChild.error;
        const auto inside = entriesOf(toChild.value, {}, nullptr);
        if (!inside) return lastError();
        for (const auto& [name, status] : *inside) {
            auto error = keepAttributes(fromChild.value, name, toChild.value, name, status);
            if (error && !failure) failure = std::move(error);
        }
    }
    if (!S_ISLNK(source->st_mode) && (source->st_mode & 07777) != (dest.st_mode & 07777)) {
        if (auto error = keepMode(to, toName, source->st_mode); error && !failure) failure = std::move(error);
    }
    const timespec times[2] = {source->st_atim, source->st_mtim};
    if (!sameModificationTime(*source, dest) && ::utimensat(to.fd(), toName.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0 &&
        !failure) {
        failure = lastError();
    }
    return failure;
}

}  // namespace

bool sameContent(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                 std::string_view toName, const SameTime& sameTime, const EntryFilter& leavesOut)
{
    const std::string from(fromName);
    const std::string to(toName);
    const auto source = statusOf(fromFolder, from);
    const auto dest = statusOf(toFolder, to);
    return source && dest && Likeness(sameTime, leavesOut).alike(fromFolder, *source, toFolder, *dest, from, to, {});
}

MaybeError moveEntry(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                     std::string_view toName)
{
    if (!isPlainName(fromName) || !isPlainName(toName)) return systemError(EINVAL);
    if (::renameat2(fromFolder.fd(), std::string(fromName).c_str(), toFolder.fd(), std::string(toName).c_str(),
                    RENAME_NOREPLACE) != 0) {
        return lastError();
    }
    return std::nullopt;
}

MaybeError keepAttributesOf(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                            std::string_view toName)
{
    const std::string to(toName);
    const auto dest = statusOf(toFolder, to);
    if (!dest) return lastError();
    return keepAttributes(fromFolder, std::string(fromName), toFolder, to, *dest);
}

}  // namespace velmorane::platform
