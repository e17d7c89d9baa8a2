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

FileTime modificationTimeOf(const struct stat& info)
{
    return {info.st_mtim.tv_sec, static_cast<std::int32_t>(info.st_mtim.tv_nsec)};
}

// Only what differs is written later: a moved entry mostly has its source's bits and time already,
// and its access time alone is not worth a write.
bool needsFix(const struct stat& source, const struct stat& dest, const SameTime& sameTime)
{
    return !sameTime(modificationTimeOf(source), modificationTimeOf(dest)) ||
           (!S_ISLNK(source.st_mode) && (source.st_mode & 07777) != (dest.st_mode & 07777));
}

// After the rename, to the nanosecond: some volumes give a renamed entry the time of the rename.
bool needsFix(const struct stat& source, const struct stat& dest)
{
    return needsFix(source, dest,
                    [](FileTime a, FileTime b) { return a.seconds == b.seconds && a.nanoseconds == b.nanoseconds; });
}

class Likeness {
public:
    Likeness(const SameTime& sameTime, const EntryFilter& leavesOut) : sameTime_(sameTime), leavesOut_(leavesOut) {}

    // `path` is the entry's path inside the folder being compared, empty for that folder itself.
    bool alike(const FolderHandle& from, const struct stat& source, const FolderHandle& to, const struct stat& dest,
               const std::string& fromName, const std::string& toName, const std::string& path)
    {
        if ((source.st_mode & S_IFMT) != (dest.st_mode & S_IFMT) || !isCopied(source.st_mode)) return false;
        if (!S_ISDIR(source.st_mode)) {
            if (source.st_size != dest.st_size) return false;
        } else {
            const auto fromChild = from.openChild(fromName);
            const auto toChild = to.openChild(toName);
            if (!fromChild.ok() || !toChild.ok()) return false;
            if (!foldersAlike(fromChild.value, toChild.value, path.empty() ? path : path + kSeparator)) return false;
        }
        if (!path.empty() && needsFix(source, dest, sameTime_)) fixes_.push_back({path, source});
        return true;
    }

    AttributeFixes takeFixes() { return std::move(fixes_); }

private:
    bool foldersAlike(const FolderHandle& from, const FolderHandle& to, const std::string& inside)
    {
        const auto sources = entriesOf(from, inside, &leavesOut_);
        const auto dests = entriesOf(to, inside, nullptr);
        if (!sources || !dests || sources->size() != dests->size()) return false;
        for (const auto& [name, source] : *sources) {
            const auto dest = dests->find(name);
            if (dest == dests->end()) return false;
            if (!alike(from, source, to, dest->second, name, name, inside + name)) return false;
        }
        return true;
    }

    const SameTime& sameTime_;
    const EntryFilter& leavesOut_;
    AttributeFixes fixes_;  // children before their folder
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

MaybeError keepAttributes(const FolderHandle& folder, const std::string& name, const struct stat& source)
{
    MaybeError failure;
    if (!S_ISLNK(source.st_mode)) failure = keepMode(folder, name, source.st_mode);
    const timespec times[2] = {source.st_atim, source.st_mtim};
    if (::utimensat(folder.fd(), name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0 && !failure) failure = lastError();
    return failure;
}

}  // namespace

std::optional<AttributeFixes> sameLayout(const FolderHandle& fromFolder, std::string_view fromName,
                                         const FolderHandle& toFolder, std::string_view toName,
                                         const SameTime& sameTime, const EntryFilter& leavesOut)
{
    const std::string from(fromName);
    const std::string to(toName);
    const auto source = statusOf(fromFolder, from);
    const auto dest = statusOf(toFolder, to);
    if (!source || !dest) return std::nullopt;
    Likeness likeness(sameTime, leavesOut);
    if (!likeness.alike(fromFolder, *source, toFolder, *dest, from, to, {})) return std::nullopt;
    return likeness.takeFixes();
}

MaybeError moveEntry(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                     std::string_view toName, bool plainRenameKeepsContent)
{
    if (!isPlainName(fromName) || !isPlainName(toName)) return systemError(EINVAL);
    const std::string from(fromName);
    const std::string to(toName);
    if (::renameat2(fromFolder.fd(), from.c_str(), toFolder.fd(), to.c_str(), RENAME_NOREPLACE) == 0) {
        return std::nullopt;
    }
    if (!plainRenameKeepsContent || (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)) return lastError();
    struct stat taken{};
    if (::fstatat(toFolder.fd(), to.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) return systemError(EEXIST);
    if (errno != ENOENT) return lastError();
    if (::renameat(fromFolder.fd(), from.c_str(), toFolder.fd(), to.c_str()) != 0) return lastError();
    return std::nullopt;
}

MaybeError keepAttributesOf(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                            std::string_view toName, const AttributeFixes& fixes)
{
    const std::string to(toName);
    MaybeError failure;
    if (!fixes.empty()) {
        const auto moved = toFolder.openChild(to);
        if (!moved.ok()) return moved.error;
        for (const AttributeFix& fix : fixes) {
            const auto folder = moved.value.openBelow(parentFolder(fix.pathInside));
            auto error = folder.ok() ? keepAttributes(folder.value, lastComponent(fix.pathInside), fix.source)
                                     : folder.error;
            if (error && !failure) failure = std::move(error);
        }
    }
    // Looked at after the rename: some volumes give a renamed entry the time of the rename.
    const auto source = statusOf(fromFolder, std::string(fromName));
    const auto dest = statusOf(toFolder, to);
    if (!source || !dest) return failure ? failure : lastError();
    if (needsFix(*source, *dest)) {
        if (auto error = keepAttributes(toFolder, to, *source); error && !failure) failure = std::move(error);
    }
    return failure;
}

}  // namespace velmorane::platform
