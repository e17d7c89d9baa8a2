#include "platform/trash.h"

#include "platform/date_text.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/volumes.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";
constexpr std::size_t kLongestName = 255;
// Past this many entries of one name in a trash, something other than twins answers "taken".
constexpr int kMostTwins = 100000;

SystemError lastError()
{
    return systemError(errno);
}

template <typename T>
Result<T> failed(const MaybeError& error)
{
    return Result<T>::failure(*error);
}

// Reasons that say no trash can be used here, rather than that the entry itself failed.
bool meansNoTrash(int error)
{
    switch (error) {
    case EROFS: case EACCES: case EPERM: case EXDEV: case EINVAL: case ENAMETOOLONG:
    case ENOTDIR: case ELOOP: case ENOSYS: case EOPNOTSUPP: case EMLINK:
        return true;
    default:
        return false;
    }
}

Result<Trashing> noTrash()
{
    return {Trashing{}, std::nullopt};
}

Result<Trashing> refused(const SystemError& error)
{
    return meansNoTrash(error.number) ? noTrash() : Result<Trashing>::failure(error);
}

struct TrashFolders {
    FolderHandle files;
    FolderHandle info;
    std::string topFolder;  // empty for the home trash, whose Path= lines are absolute
    std::string path;       // the trash folder itself
};

// A folder of a trash, made private when missing. A link, or a folder of another user, is refused:
// whoever owns it could read or swap what goes there.
Result<FolderHandle> openOwnFolder(const FolderHandle& parent, const std::string& name)
{
    const int made = ::mkdirat(parent.fd(), name.c_str(), 0700) == 0 ? 0 : errno;
    auto folder = parent.openChild(name);
    if (!folder.ok() && made != 0 && made != EEXIST) return Result<FolderHandle>::failure(systemError(made));
    if (!folder.ok()) return folder;
    struct stat info{};
    if (::fstat(folder.value.fd(), &info) != 0) return Result<FolderHandle>::failure(lastError());
    if (info.st_uid != ::geteuid()) return Result<FolderHandle>::failure(systemError(EPERM));
    return folder;
}

Result<TrashFolders> filesAndInfo(const FolderHandle& trash, std::string topFolder, std::string path)
{
    auto files = openOwnFolder(trash, "files");
    if (!files.ok()) return failed<TrashFolders>(files.error);
    auto info = openOwnFolder(trash, "info");
    if (!info.ok()) return failed<TrashFolders>(info.error);
    return {TrashFolders{std::move(files.value), std::move(info.value), std::move(topFolder), std::move(path)},
            std::nullopt};
}

// $XDG_DATA_HOME, or ~/.local/share; empty when neither says where.
std::string dataHome()
{
    const char* chosen = std::getenv("XDG_DATA_HOME");
    if (chosen && chosen[0] == kSeparator) return withoutTrailingSeparator(chosen);
    const char* home = std::getenv("HOME");
    if (!home || home[0] != kSeparator) return {};
    return joinPath(joinPath(home, ".local"), "share");
}

// The device of the nearest folder that exists on the way to a path: where the path would be made.
std::optional<dev_t> deviceOfNearest(std::string path)
{
    for (struct stat info{};; path = parentFolder(path)) {
        if (::stat(path.c_str(), &info) == 0) return info.st_dev;
        if (path == "/") return std::nullopt;
    }
}

Result<TrashFolders> homeTrash(const std::string& home)
{
    // The user's own data folder, links and all; made private where missing, as base folders are.
    for (std::size_t slash = home.find(kSeparator, 1); slash != std::string::npos;
         slash = home.find(kSeparator, slash + 1)) {
        ::mkdir(home.substr(0, slash).c_str(), 0700);
    }
    ::mkdir(home.c_str(), 0700);
    auto folder = FolderHandle::openStart(home);
    if (!folder.ok()) return failed<TrashFolders>(folder.error);
    auto trash = openOwnFolder(folder.value, "Trash");
    if (!trash.ok()) return failed<TrashFolders>(trash.error);
    return filesAndInfo(trash.value, "", joinPath(home, "Trash"));
}

// $topdir/.Trash is made by an administrator for every user: it is used only as a real folder with
// the sticky bit, where no user can remove or swap another's folder.
Result<FolderHandle> sharedTrash(const FolderHandle& top, const std::string& uid)
{
    auto shared = top.openChild(".Trash");
    if (!shared.ok()) return shared;
    struct stat info{};
    if (::fstat(shared.value.fd(), &info) != 0) return Result<FolderHandle>::failure(lastError());
    if (!(info.st_mode & S_ISVTX)) return Result<FolderHandle>::failure(systemError(EPERM));
    return openOwnFolder(shared.value, uid);
}

Result<TrashFolders> volumeTrash(const FolderHandle& top, const std::string& topFolder)
{
    const std::string uid = std::to_string(::geteuid());
    if (auto shared = sharedTrash(top, uid); shared.ok()) {
        auto folders = filesAndInfo(shared.value, topFolder, joinPath(joinPath(topFolder, ".Trash"), uid));
        if (folders.ok()) return folders;
    }
    auto own = openOwnFolder(top, ".Trash-" + uid);
    if (!own.ok()) return failed<TrashFolders>(own.error);
    return filesAndInfo(own.value, topFolder, joinPath(topFolder, ".Trash-" + uid));
}

std::optional<dev_t> deviceOf(const FolderHandle& folder)
{
    struct stat info{};
    if (::fstat(folder.fd(), &info) != 0) return std::nullopt;
    return info.st_dev;
}

// The trash of the volume that holds a folder, given by its real path.
Result<TrashFolders> trashOf(dev_t device, const std::string& folder)
{
    const std::string home = dataHome();
    Result<TrashFolders> found;
    if (!home.empty() && deviceOfNearest(joinPath(home, "Trash")) == device) {
        found = homeTrash(home);
    } else {
        const std::string topFolder = topFolderOf(folder);
        auto top = FolderHandle::openStart(topFolder);
        if (!top.ok()) return failed<TrashFolders>(top.error);
        found = volumeTrash(top.value, topFolder);
    }
    // A trash reached through a link, or a mounts table that disagrees with the entry: no rename.
    if (found.ok() && deviceOf(found.value.files) != device) return Result<TrashFolders>::failure(systemError(EXDEV));
    return found;
}

// A folder's path with its links resolved, as a file manager restoring an entry sees it.
std::string realFolderPath(const std::string& folder)
{
    char real[PATH_MAX];
    if (folder.empty() || !::realpath(folder.c_str(), real)) return withoutTrailingSeparator(folder);
    return real;
}

// Every byte but "/" and the unreserved characters of RFC 2396 as %XX, as in a URL.
std::string encodedPath(std::string_view path)
{
    constexpr std::string_view kMarks = "/-_.!~*'()";
    constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool kept = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                          (byte >= '0' && byte <= '9') || kMarks.find(c) != std::string_view::npos;
        if (kept) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        }
    }
    return out;
}

}  // namespace

// A volume's trash keeps the path below its top folder, so the volume can be mounted elsewhere.
std::string trashInfoText(const std::string& path, const std::string& topFolder)
{
    std::string_view kept = path;
    if (!topFolder.empty()) kept.remove_prefix(topFolder == "/" ? 1 : topFolder.size() + 1);
    return "[Trash Info]\nPath=" + encodedPath(kept) + "\nDeletionDate=" + isoDateText(currentTime()) + "\n";
}

// "NAME", then "NAME 2", "NAME 3"...; a long name is cut, never inside a character, so that its
// .trashinfo's name fits the volume.
std::string trashNameFor(std::string_view name, int number)
{
    // Appended rather than " " + to_string(...): GCC 12 warns falsely (-Wrestrict) on that at -O2.
    std::string suffix;
    if (number != 1) suffix.append(" ").append(std::to_string(number));
    std::size_t kept = std::min(name.size(), kLongestName - kInfoSuffix.size() - suffix.size());
    while (kept > 0 && kept < name.size() && (static_cast<unsigned char>(name[kept]) & 0xC0) == 0x80) --kept;
    return std::string(name.substr(0, kept)) + suffix;
}

std::string trashInfoName(const std::string& trashName)
{
    return trashName + std::string(kInfoSuffix);
}

namespace {

// The first twin number worth trying for `name`: where info/ holds twins 1 to N one after another
// (a file replaced run after run), N + 1, found in a few looks instead of N exclusive creations.
int firstFreeTwin(const FolderHandle& info, std::string_view name)
{
    const auto taken = [&](int number) {
        struct stat there{};
        return ::fstatat(info.fd(), trashInfoName(trashNameFor(name, number)).c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0;
    };
    if (!taken(1)) return 1;
    int low = 1;  // taken
    int high = 2;
    while (high <= kMostTwins && taken(high)) {
        low = high;
        high *= 2;
    }
    high = std::min(high, kMostTwins + 1);
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        (taken(middle) ? low : high) = middle;
    }
    return high;
}

// Created exclusively, which is what reserves the trash name: two trashings never share one.
MaybeError writeInfo(const FolderHandle& info, const std::string& trashName, std::string_view text)
{
    const std::string name = trashInfoName(trashName);
    const int fd = ::openat(info.fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return lastError();
    MaybeError error;
    while (!text.empty() && !error) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written >= 0) text.remove_prefix(static_cast<std::size_t>(written));
        else if (errno != EINTR) error = lastError();
    }
    if (::close(fd) != 0 && !error) error = lastError();
    if (error) ::unlinkat(info.fd(), name.c_str(), 0);
    return error;
}

// A rename that never replaces, also where the volume knows no RENAME_NOREPLACE: there the target
// name is looked at just before.
MaybeError renameWithoutReplacing(const FolderHandle& from, const std::string& fromName, const FolderHandle& to,
                                  const std::string& toName)
{
    if (::renameat2(from.fd(), fromName.c_str(), to.fd(), toName.c_str(), RENAME_NOREPLACE) == 0) return std::nullopt;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return lastError();
    struct stat taken{};
    if (::fstatat(to.fd(), toName.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) return systemError(EEXIST);
    if (errno != ENOENT) return lastError();
    if (::renameat(from.fd(), fromName.c_str(), to.fd(), toName.c_str()) != 0) return lastError();
    return std::nullopt;
}

// Moving a folder to another parent rewrites its "..": without write permission on it, the owner
// gets it for the move, and the folder keeps its own bits wherever it ends.
MaybeError moveEntry(const FolderHandle& from, const std::string& fromName, const FolderHandle& to,
                     const std::string& toName, const struct stat& entry)
{
    const mode_t bits = entry.st_mode & 07777;
    const bool lent = S_ISDIR(entry.st_mode) && !(bits & S_IWUSR) && entry.st_uid == ::geteuid() &&
                      ::fchmodat(from.fd(), fromName.c_str(), bits | S_IWUSR, AT_SYMLINK_NOFOLLOW) == 0;
    const MaybeError error = renameWithoutReplacing(from, fromName, to, toName);
    if (lent) {
        const FolderHandle& now = error ? from : to;
        ::fchmodat(now.fd(), (error ? fromName : toName).c_str(), bits, AT_SYMLINK_NOFOLLOW);
    }
    return error;
}

bool cannotLink(int error)
{
    return error == EPERM || error == ENOSYS || error == EOPNOTSUPP || error == EMLINK;
}

enum class Way { Move, Link };

Result<Trashing> putInTrash(const FolderHandle& folder, std::string_view name, const std::string& absolutePath,
                            Way way)
{
    ignoreFileSizeSignal();
    if (!isPlainName(name)) return Result<Trashing>::failure(systemError(EINVAL));
    const std::string entryName(name);
    struct stat entry{};
    if (::fstatat(folder.fd(), entryName.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0) {
        return Result<Trashing>::failure(lastError());
    }
    if (way == Way::Link && S_ISDIR(entry.st_mode)) return Result<Trashing>::failure(systemError(EISDIR));
    const std::string parent = realFolderPath(parentFolder(absolutePath));
    const std::string path = joinPath(parent, name);
    // A volume mounted at the entry's place, or the same one seen again: neither trashed nor emptied.
    if (S_ISDIR(entry.st_mode) && (deviceOf(folder) != entry.st_dev || topFolderOf(path) == path)) {
        return Result<Trashing>::failure(systemError(EBUSY));
    }
    if (way == Way::Move && S_ISDIR(entry.st_mode) && folderRenameLosesContent(parent)) return noTrash();
    auto trash = trashOf(entry.st_dev, parent);
    if (!trash.ok()) return trash.error->number == ENOENT ? noTrash() : refused(*trash.error);

    const std::string text = trashInfoText(path, trash.value.topFolder);
    for (int number = firstFreeTwin(trash.value.info, name); number <= kMostTwins; ++number) {
        const std::string trashName = trashNameFor(name, number);
        if (const auto error = writeInfo(trash.value.info, trashName, text)) {
            if (error->number == EEXIST) continue;
            return refused(*error);
        }
        MaybeError error;
        if (way == Way::Move) {
            error = moveEntry(folder, entryName, trash.value.files, trashName, entry);
        } else if (::linkat(folder.fd(), entryName.c_str(), trash.value.files.fd(), trashName.c_str(), 0) != 0) {
            error = lastError();
        }
        if (!error) {
            auto& [files, info, topFolder, trashPath] = trash.value;
            auto places = std::make_shared<const TrashPlaces>(TrashPlaces{std::move(files), std::move(info)});
            return {Trashing{TrashOutcome::Trashed, std::move(places), trashName, trashPath, text}, std::nullopt};
        }
        ::unlinkat(trash.value.info.fd(), trashInfoName(trashName).c_str(), 0);
        if (error->number == EEXIST) continue;
        // The trash lies inside the folder: deleting the folder instead would take the trash along.
        if (S_ISDIR(entry.st_mode) && error->number == EINVAL) return Result<Trashing>::failure(*error);
        if (way == Way::Link && cannotLink(error->number)) {
            Trashing notLinked;
            notLinked.outcome = TrashOutcome::NoHardLinks;
            return {std::move(notLinked), std::nullopt};
        }
        // The trash is there and took the .trashinfo: an entry it refuses (an immutable folder) fails,
        // since deleting it for good instead would lose what the user meant to keep.
        if (error->number == EXDEV) return noTrash();
        return Result<Trashing>::failure(*error);
    }
    return Result<Trashing>::failure(systemError(EEXIST));
}

}  // namespace

std::optional<std::string> usableTrash(const FolderHandle& folder, const std::string& folderPath)
{
    const auto device = deviceOf(folder);
    if (!device) return std::nullopt;
    auto trash = trashOf(*device, realFolderPath(folderPath));
    if (!trash.ok()) return std::nullopt;
    return trash.value.path;
}

Result<Trashing> moveToTrash(const FolderHandle& folder, std::string_view name, const std::string& absolutePath)
{
    return putInTrash(folder, name, absolutePath, Way::Move);
}

Result<Trashing> keepReplacedInTrash(const FolderHandle& folder, std::string_view name, const std::string& absolutePath)
{
    return putInTrash(folder, name, absolutePath, Way::Link);
}

MaybeError undoTrashing(const Trashing& trashing, const FolderHandle& folder, std::string_view name)
{
    if (trashing.outcome != TrashOutcome::Trashed || !trashing.places) return std::nullopt;
    const TrashPlaces& places = *trashing.places;
    const std::string entryName(name);
    struct stat kept{};
    struct stat there{};
    if (::fstatat(places.files.fd(), trashing.trashName.c_str(), &kept, AT_SYMLINK_NOFOLLOW) != 0) return lastError();
    if (::fstatat(folder.fd(), entryName.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0) {
        if (there.st_dev != kept.st_dev || there.st_ino != kept.st_ino) return systemError(EEXIST);
        if (::unlinkat(places.files.fd(), trashing.trashName.c_str(), 0) != 0) return lastError();
    } else if (errno != ENOENT) {
        return lastError();
    } else if (const auto error = moveEntry(places.files, trashing.trashName, folder, entryName, kept)) {
        return error;
    }
    if (::unlinkat(places.info.fd(), trashInfoName(trashing.trashName).c_str(), 0) != 0) return lastError();
    return std::nullopt;
}

}  // namespace velmorane::platform
