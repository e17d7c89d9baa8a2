#include "platform/file_operations.h"

#include "platform/directory_entries.h"
#include "platform/file_attributes.h"
#include "platform/paths.h"
#include "platform/temporary_name.h"

#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/sendfile.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace velmorane::platform {
namespace {

// Small enough that the front end hears of a piece every few tens of milliseconds even on a slow key.
constexpr std::size_t kPiece = std::size_t{1} << 20;

SystemError lastError()
{
    return systemError(errno);
}

std::string text(std::string_view name)
{
    return std::string(name);
}

EntryKind kindOfMode(mode_t mode)
{
    if (S_ISDIR(mode)) return EntryKind::Folder;
    if (S_ISREG(mode)) return EntryKind::File;
    if (S_ISLNK(mode)) return EntryKind::Link;
    return EntryKind::Other;
}

// Volumes such as FAT keep no permission bits: refusing them is no failure of the copy.
MaybeError keepPermissionBits(int fd, mode_t mode)
{
    if (::fchmod(fd, mode & 07777) == 0) return std::nullopt;
    if (errno == ENOSYS || errno == EOPNOTSUPP || errno == EPERM) return std::nullopt;
    return lastError();
}

struct Temporary {
    std::string name;
    int fd = -1;
};

Result<Temporary> createTemporary(const FolderHandle& folder)
{
    for (;;) {
        std::string name = newTemporaryName();
        const int fd = ::openat(folder.fd(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) return {Temporary{std::move(name), fd}, std::nullopt};
        if (errno != EEXIST) return Result<Temporary>::failure(lastError());
    }
}

// Puts a finished temporary file under its name. An add never replaces what is there, even on a
// volume that knows no RENAME_NOREPLACE: a hard link fails on a taken name too, and where neither
// exists the name is looked at just before the rename.
MaybeError putInPlace(const FolderHandle& folder, const std::string& temporary, std::string_view name, CopyMode mode)
{
    const int fd = folder.fd();
    const std::string target = text(name);
    if (mode == CopyMode::Replace) {
        if (::renameat(fd, temporary.c_str(), fd, target.c_str()) != 0) return lastError();
        return std::nullopt;
    }
    if (::renameat2(fd, temporary.c_str(), fd, target.c_str(), RENAME_NOREPLACE) == 0) return std::nullopt;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return lastError();
    if (::linkat(fd, temporary.c_str(), fd, target.c_str(), 0) == 0) {
        ::unlinkat(fd, temporary.c_str(), 0);
        return std::nullopt;
    }
    if (errno == EEXIST) return lastError();
    struct stat taken{};
    if (::fstatat(fd, target.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) return systemError(EEXIST);
    if (errno != ENOENT) return lastError();
    if (::renameat(fd, temporary.c_str(), fd, target.c_str()) != 0) return lastError();
    return std::nullopt;
}

// Some FAT drivers in user space give a renamed file the time of the rename: on a volume in user
// space the source's time is set again on the final name.
bool mayResetTimesOnRename(const FolderHandle& folder)
{
    struct statfs volume{};
    return ::fstatfs(folder.fd(), &volume) != 0 || volume.f_type == FUSE_SUPER_MAGIC;
}

// Puts a copy's finished temporary file in place, or removes it when the copy failed.
MaybeError finishCopy(MaybeError error, const FolderHandle& folder, const std::string& temporary,
                      std::string_view name, CopyMode mode, const timespec (&times)[2], bool timesAgain)
{
    if (!error) error = putInPlace(folder, temporary, name, mode);
    if (error) {
        ::unlinkat(folder.fd(), temporary.c_str(), 0);
        return error;
    }
    if (timesAgain && ::utimensat(folder.fd(), text(name).c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        return lastError();
    }
    return std::nullopt;
}

// fusefat answers EPERM when no cluster is left: writing to the file a copy made and holds open can
// lack nothing but room.
SystemError writeError()
{
    return errno == EPERM ? systemError(ENOSPC) : lastError();
}

// Copies one stretch of data at the same place; false in `ended` when the source ended before it.
MaybeError copyStretch(int in, int out, off_t start, off_t length, RunControl& control, bool& kernelCopy, bool& ended)
{
    loff_t from = start;
    loff_t to = start;
    while (length > 0) {
        const auto piece = static_cast<std::size_t>(std::min<off_t>(length, kPiece));
        ssize_t n = -1;
        if (kernelCopy) {
            n = ::copy_file_range(in, &from, out, &to, piece, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
                kernelCopy = false;
                continue;
            }
        } else {
            if (::lseek(out, to, SEEK_SET) < 0) return lastError();
            n = ::sendfile(out, in, &from, piece);
            if (n > 0) to += n;
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return writeError();
        }
        if (n == 0) {  // the source shrank while we copied
            ended = true;
            return std::nullopt;
        }
        length -= n;
        control.pieceCopied();
    }
    return std::nullopt;
}

// Copies the data of a file and leaves its holes as holes, on every volume that has them.
MaybeError copyContent(int in, int out, std::int64_t size, RunControl& control)
{
    const auto end = static_cast<off_t>(size);
    off_t position = 0;
    off_t written = 0;
    bool kernelCopy = true;
    bool ended = false;
    while (position < end && !ended) {
        off_t data = ::lseek(in, position, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) break;  // nothing but a hole up to the end
            if (errno != EINVAL && errno != EOPNOTSUPP) return lastError();
            data = position;  // a volume that cannot tell its holes
        }
        if (data >= end) break;
        off_t hole = ::lseek(in, data, SEEK_HOLE);
        if (hole < 0 || hole > end) hole = end;
        if (const auto error = copyStretch(in, out, data, hole - data, control, kernelCopy, ended)) return error;
        position = hole;
        written = hole;
    }
    // A hole at the end is made by the length alone (or by its last byte, on a volume that cannot
    // lengthen a file); a source that shrank keeps what was copied.
    if (ended || written == end) return std::nullopt;
    if (::ftruncate(out, end) == 0) return std::nullopt;
    const char zero = 0;
    if (::pwrite(out, &zero, 1, end - 1) != 1) return writeError();
    return std::nullopt;
}

MaybeError copyLink(const CopyingUser& user, const FolderHandle& fromFolder, std::string_view fromName,
                    const struct stat& source, const FolderHandle& toFolder, std::string_view toName, CopyMode mode,
                    bool timesAgain)
{
    std::string target(static_cast<std::size_t>(source.st_size) + 1, '\0');
    const ssize_t length = ::readlinkat(fromFolder.fd(), text(fromName).c_str(), target.data(), target.size());
    if (length < 0) return lastError();
    target.resize(static_cast<std::size_t>(length));

    std::string temporary;
    for (;;) {
        temporary = newTemporaryName();
        if (::symlinkat(target.c_str(), toFolder.fd(), temporary.c_str()) == 0) break;
        if (errno != EEXIST) return lastError();
    }
    const timespec times[2] = {source.st_atim, source.st_mtim};
    MaybeError error;
    error = copyLinkOwner(user, toFolder, temporary, source);
    if (!error && ::utimensat(toFolder.fd(), temporary.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) error = lastError();
    return finishCopy(std::move(error), toFolder, temporary, toName, mode, times, timesAgain);
}

bool sameTime(const timespec& a, const timespec& b)
{
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// A file written while it was read would be archived torn under its old time, and stay so until it
// changes again: its size, time or change time since it was opened say so.
MaybeError checkUnchanged(int in, const struct stat& source)
{
    struct stat now{};
    if (::fstat(in, &now) != 0) return lastError();
    const bool unchanged = now.st_size == source.st_size && sameTime(now.st_mtim, source.st_mtim) &&
                           sameTime(now.st_ctim, source.st_ctim);
    if (unchanged) return std::nullopt;
    return changedWhileCopied();
}

// `in` is open on a regular file whose status is `source`.
MaybeError copyOpenFile(const CopyingUser& user, int in, const struct stat& source, const FolderHandle& toFolder,
                        std::string_view toName, CopyMode mode, RunControl& control, bool timesAgain)
{
    auto temporary = createTemporary(toFolder);
    if (!temporary.ok()) return temporary.error;
    const int out = temporary.value.fd;
    MaybeError error = copyContent(in, out, source.st_size, control);
    if (!error) error = copyAttributes(user, in, source, out);
    if (!error) error = checkUnchanged(in, source);
    const timespec times[2] = {source.st_atim, source.st_mtim};
    if (!error && ::futimens(out, times) != 0) error = lastError();
    if (::close(out) != 0 && !error) error = lastError();
    return finishCopy(std::move(error), toFolder, temporary.value.name, toName, mode, times, timesAgain);
}

MaybeError copyRegularFile(const CopyingUser& user, const FolderHandle& fromFolder, std::string_view fromName,
                           const FolderHandle& toFolder, std::string_view toName, CopyMode mode, RunControl& control,
                           bool timesAgain)
{
    // Non-blocking, so that a FIFO put in the file's place since it was listed cannot hang the open.
    const int in = ::openat(fromFolder.fd(), text(fromName).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (in < 0) return lastError();
    struct stat source{};
    MaybeError error;
    if (::fstat(in, &source) != 0) {
        error = lastError();
    } else if (!S_ISREG(source.st_mode)) {
        error = systemError(S_ISDIR(source.st_mode) ? EISDIR : EINVAL);
    } else {
        error = copyOpenFile(user, in, source, toFolder, toName, mode, control, timesAgain);
    }
    ::close(in);
    return error;
}

struct FolderEntry {
    std::string name;
    EntryKind kind;
};

// The entries of a folder just opened, kinds from the listing itself where the volume gives them.
Result<std::vector<FolderEntry>> listEntries(const FolderHandle& folder)
{
    std::vector<FolderEntry> entries;
    const auto error = forEachDirectoryEntry(folder, [&](std::string_view name, unsigned char type) {
        EntryKind kind = EntryKind::Other;
        switch (type) {
        case DT_DIR: kind = EntryKind::Folder; break;
        case DT_REG: kind = EntryKind::File; break;
        case DT_LNK: kind = EntryKind::Link; break;
        case DT_UNKNOWN: kind = lookUp(folder, name).value; break;
        default: break;
        }
        entries.push_back({text(name), kind});
    });
    if (error) return Result<std::vector<FolderEntry>>::failure(*error);
    return {std::move(entries), std::nullopt};
}

struct DeviceAndInode {
    dev_t device;
    ino_t inode;
    bool operator==(const DeviceAndInode&) const = default;
};

std::optional<DeviceAndInode> identityOf(const FolderHandle& folder)
{
    struct stat info{};
    if (::fstat(folder.fd(), &info) != 0) return std::nullopt;
    return DeviceAndInode{info.st_dev, info.st_ino};
}

MaybeError setFolderTimes(const FolderHandle& folder, const struct stat& source)
{
    const timespec times[2] = {source.st_atim, source.st_mtim};
    if (::futimens(folder.fd(), times) != 0) return lastError();
    return std::nullopt;
}

// The first failure of a folder operation that goes on past failures, with the path inside the
// folder where it happened.
class FirstFailure {
public:
    void note(SystemError error, const std::string& path)
    {
        if (failure_) return;
        if (!path.empty()) failure_ = SystemError{error.number, error.reason + " (" + path + ")"};
        else failure_ = std::move(error);
    }
    MaybeError take() { return std::move(failure_); }

private:
    MaybeError failure_;
};

bool isLeftOut(const EntryFilter& leavesOut, const std::string& path, bool isFolder)
{
    return leavesOut && leavesOut(path, isFolder);
}

// Copies a folder's content, going on past failures and keeping the first. What the filter leaves
// out and the temporary files of other copies are not copied.
class FolderCopy {
public:
    FolderCopy(RunControl& control, const EntryFilter& leavesOut)
        : control_(control), leavesOut_(leavesOut), user_(CopyingUser::current())
    {
    }

    FolderCopyOutcome copy(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                           std::string_view toName)
    {
        auto source = fromFolder.openChild(fromName);
        if (!source.ok()) return {false, source.error};
        struct stat info{};
        if (::fstat(source.value.fd(), &info) != 0) return {false, lastError()};
        if (::mkdirat(toFolder.fd(), text(toName).c_str(), creationMode(info)) != 0) return {false, lastError()};
        auto made = toFolder.openChild(toName);
        if (!made.ok()) return {true, made.error};
        copyRoot_ = identityOf(made.value);
        timesAgain_ = mayResetTimesOnRename(made.value);
        fill(source.value, info, made.value, "");
        return {true, failures_.take()};
    }

private:
    // The owner may write and search a folder while it is filled, and only then.
    static constexpr std::uint32_t kWhileFilled = S_IWUSR | S_IXUSR;

    // A folder is made with its final bits from the start, so that a copy cut short leaves none
    // that only its owner can enter.
    mode_t creationMode(const struct stat& source) const
    {
        return static_cast<mode_t>((user_.modeOfCopy(permissionsOf(source)) | kWhileFilled) & 07777);
    }

    void fill(const FolderHandle& from, const struct stat& source, const FolderHandle& to, const std::string& inside)
    {
        if (const auto error = copyAttributes(user_, from.fd(), source, to.fd(), kWhileFilled)) note(*error, inside);
        if (auto entries = listEntries(from); !entries.ok()) {
            note(*entries.error, inside);
        } else {
            for (const FolderEntry& entry : entries.value) copyEntry(from, to, entry, inside + entry.name);
        }
        // Its final bits and times once its content is in, failure or not.
        if (const auto error = keepPermissionBits(to.fd(), user_.modeOfCopy(permissionsOf(source)))) {
            note(*error, inside);
        }
        if (const auto error = setFolderTimes(to, source)) note(*error, inside);
    }

    void copyEntry(const FolderHandle& from, const FolderHandle& to, const FolderEntry& entry, const std::string& path)
    {
        if (control_.stopRequested() || isLeftOut(leavesOut_, path, entry.kind == EntryKind::Folder)) return;
        if (entry.kind != EntryKind::Folder && isTemporaryName(entry.name)) return;
        switch (entry.kind) {
        case EntryKind::Folder: return copySubFolder(from, to, entry.name, path);
        case EntryKind::File:
            if (const auto error =
                    copyRegularFile(user_, from, entry.name, to, entry.name, CopyMode::Add, control_, timesAgain_)) {
                note(*error, path);
            }
            return;
        case EntryKind::Link:
            if (const auto error = copyFile(from, entry.name, to, entry.name, CopyMode::Add, control_)) note(*error, path);
            return;
        default: return;  // sockets, FIFOs and devices are not copied
        }
    }

    void copySubFolder(const FolderHandle& from, const FolderHandle& to, const std::string& name,
                       const std::string& path)
    {
        auto source = from.openChild(name);
        if (!source.ok()) return note(*source.error, path);
        // The destination lies inside the source: the folder being made is not copied into itself.
        if (identityOf(source.value) == copyRoot_) return;
        struct stat info{};
        if (::fstat(source.value.fd(), &info) != 0) return note(lastError(), path);
        if (::mkdirat(to.fd(), name.c_str(), creationMode(info)) != 0) return note(lastError(), path);
        auto made = to.openChild(name);
        if (!made.ok()) return note(*made.error, path);
        fill(source.value, info, made.value, path + kSeparator);
    }

    void note(SystemError error, const std::string& path) { failures_.note(std::move(error), path); }

    RunControl& control_;
    const EntryFilter& leavesOut_;
    std::optional<DeviceAndInode> copyRoot_;
    bool timesAgain_ = true;
    const CopyingUser user_;
    FirstFailure failures_;
};

// The owner needs read, write and search rights on a folder for its content to go.
MaybeError grantOwnerAccess(const FolderHandle& parent, const std::string& name)
{
    struct stat info{};
    if (::fstatat(parent.fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return lastError();
    if (!S_ISDIR(info.st_mode)) return systemError(ENOTDIR);
    if ((info.st_mode & S_IRWXU) == S_IRWXU) return std::nullopt;
    if (::fchmodat(parent.fd(), name.c_str(), (info.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW) != 0) {
        return lastError();
    }
    return std::nullopt;
}

// Empties a folder and removes it, going on past failures and keeping the first. What the filter
// leaves out stays, and so do the folders that hold it.
class FolderDeletion {
public:
    explicit FolderDeletion(const EntryFilter& leavesOut) : leavesOut_(leavesOut) {}

    MaybeError remove(const FolderHandle& parent, const std::string& name)
    {
        removeFolder(parent, name, "");
        return failures_.take();
    }

private:
    // True when the folder is gone.
    bool removeFolder(const FolderHandle& parent, const std::string& name, const std::string& inside)
    {
        if (const auto error = grantOwnerAccess(parent, name)) return note(*error, inside);
        auto folder = parent.openChild(name);
        if (!folder.ok()) return note(*folder.error, inside);
        auto entries = listEntries(folder.value);
        if (!entries.ok()) return note(*entries.error, inside);
        bool emptied = true;
        for (const FolderEntry& entry : entries.value) {
            const std::string path = inside + entry.name;
            const bool isFolder = entry.kind == EntryKind::Folder;
            if (isLeftOut(leavesOut_, path, isFolder)) {
                emptied = false;
            } else if (isFolder) {
                emptied = removeFolder(folder.value, entry.name, path + kSeparator) && emptied;
            } else if (::unlinkat(folder.value.fd(), entry.name.c_str(), 0) != 0) {
                emptied = note(lastError(), path);
            }
        }
        if (!emptied) return false;
        if (::unlinkat(parent.fd(), name.c_str(), AT_REMOVEDIR) != 0) return note(lastError(), inside);
        return true;
    }

    bool note(SystemError error, const std::string& path)
    {
        failures_.note(std::move(error), withoutTrailingSeparator(path));
        return false;
    }

    const EntryFilter& leavesOut_;
    FirstFailure failures_;
};

}  // namespace

void ignoreFileSizeSignal()
{
    static const bool ignored = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)ignored;
}

Result<EntryKind> lookUp(const FolderHandle& folder, std::string_view name)
{
    struct stat info{};
    if (::fstatat(folder.fd(), text(name).c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
        return {EntryKind::Missing, lastError()};
    }
    return {kindOfMode(info.st_mode), std::nullopt};
}

Result<EntryKind> lookUp(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) return {EntryKind::Missing, lastError()};
    return {kindOfMode(info.st_mode), std::nullopt};
}

MaybeError copyFile(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                    std::string_view toName, CopyMode mode, RunControl& control)
{
    ignoreFileSizeSignal();
    if (!isPlainName(fromName) || !isPlainName(toName)) return systemError(EINVAL);
    struct stat source{};
    if (::fstatat(fromFolder.fd(), text(fromName).c_str(), &source, AT_SYMLINK_NOFOLLOW) != 0) return lastError();
    const bool timesAgain = mayResetTimesOnRename(toFolder);
    const CopyingUser user = CopyingUser::current();
    if (S_ISLNK(source.st_mode)) return copyLink(user, fromFolder, fromName, source, toFolder, toName, mode, timesAgain);
    if (!S_ISREG(source.st_mode)) return systemError(S_ISDIR(source.st_mode) ? EISDIR : EINVAL);
    return copyRegularFile(user, fromFolder, fromName, toFolder, toName, mode, control, timesAgain);
}

FolderCopyOutcome copyFolder(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                             std::string_view toName, RunControl& control, const EntryFilter& leavesOut)
{
    ignoreFileSizeSignal();
    if (!isPlainName(toName)) return {false, systemError(EINVAL)};
    return FolderCopy(control, leavesOut).copy(fromFolder, fromName, toFolder, toName);
}

MaybeError clearReadOnly(const FolderHandle& folder, std::string_view name)
{
    const std::string entry = text(name);
    struct stat info{};
    if (::fstatat(folder.fd(), entry.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return lastError();
    if (S_ISLNK(info.st_mode) || (info.st_mode & S_IWUSR)) return std::nullopt;
    if (::fchmodat(folder.fd(), entry.c_str(), (info.st_mode & 07777) | S_IWUSR, AT_SYMLINK_NOFOLLOW) != 0) {
        // A link put in the file's place since it was looked at is left alone.
        if (errno == EOPNOTSUPP) return std::nullopt;
        return lastError();
    }
    return std::nullopt;
}

MaybeError deleteFile(const FolderHandle& folder, std::string_view name)
{
    const std::string entry = text(name);
    if (!isPlainName(entry)) return systemError(EINVAL);
    if (::unlinkat(folder.fd(), entry.c_str(), 0) != 0) return lastError();
    return std::nullopt;
}

MaybeError deleteFolder(const FolderHandle& folder, std::string_view name, const EntryFilter& leavesOut)
{
    if (!isPlainName(name)) return systemError(EINVAL);
    return FolderDeletion(leavesOut).remove(folder, text(name));
}

void removeLeftoverTemporaries(const FolderHandle& folder)
{
    const auto entries = listEntries(folder);
    if (!entries.ok()) return;
    for (const FolderEntry& entry : entries.value) {
        if (entry.kind != EntryKind::Folder && isTemporaryName(entry.name)) ::unlinkat(folder.fd(), entry.name.c_str(), 0);
    }
}

}  // namespace velmorane::platform
