#include "platform/local_volume.h"

#include "platform/entry_move.h"
#include "platform/file_attributes.h"
#include "platform/file_operations.h"
#include "platform/folder_listing.h"
#include "platform/file_status.h"
#include "platform/open_file.h"
#include "platform/paths.h"
#include "platform/temporary_name.h"
#include "platform/trash.h"
#include "platform/volume_identity.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace velmorane::platform {
namespace {

constexpr std::array<std::string_view, 7> kCaseFoldingTypes = {"vfat",       "msdos", "fuse.fusefat", "exfat",
                                                               "fuse.exfat", "cifs",  "smb3"};
constexpr std::array<std::string_view, 7> kUnixTypes = {"ext2", "ext3", "ext4", "xfs", "btrfs", "f2fs", "tmpfs"};

bool isOneOf(std::string_view type, const auto& types)
{
    for (const std::string_view known : types) {
        if (type == known) return true;
    }
    return false;
}

VolumeCapabilities capabilitiesOf(const std::string& startFolder)
{
    const VolumeTraits traits = volumeTraits(startFolder);
    const auto mount = mountHolding(startFolder);
    const std::string type = mount ? mount->type : std::string();
    const bool unix = isOneOf(type, kUnixTypes);
    return {traits.times,
            traits.localTimes,
            isOneOf(type, kCaseFoldingTypes),
            traits.keepsPermissions,
            traits.keepsPermissions,
            traits.keepsPermissions && CopyingUser::current().keepsOwners(),
            unix,
            unix,
            traits.keepsPermissions,
            unix,
            keepsFileIdentity(startFolder)};
}

}  // namespace

Result<ReadFolderAnswer> LocalVolume::read(Result<FolderRef> folder) const
{
    if (!folder.ok()) return Result<ReadFolderAnswer>::failure(*folder.error);
    std::string_view relative = folder.value->path();
    relative.remove_prefix(std::min(startPath_.size(), relative.size()));
    auto content = platform::readFolder(localFolder(folder.value).handle(), {user_, relative, asLastRun_});
    if (!content.ok()) return Result<ReadFolderAnswer>::failure(*content.error);
    return {ReadFolderAnswer{std::move(folder.value), std::move(content.value)}, std::nullopt};
}

namespace {

Result<FolderRef> openChild(const FolderRef& parent, const std::string& name)
{
    return openedFolder(localFolder(parent).handle().openChild(name), parent->path() + name + kSeparator);
}

// The buffer starts at what the file holds past the offset, not at the length asked: a piece of a
// megabyte for a file of a few kilobytes would be mostly cleared memory. A file grown meanwhile
// is read on, up to the length.
Result<std::string> readBytes(const FolderRef& folder, const std::string& name, std::int64_t offset,
                              std::int64_t length)
{
    if (offset < 0 || length < 0) return Result<std::string>::failure(systemError(EINVAL));
    const OpenFile file(::openat(localFolder(folder).handle().fd(), name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (file.fd() < 0) return Result<std::string>::failure(systemError(errno));
    struct stat info{};
    if (::fstat(file.fd(), &info) != 0) return Result<std::string>::failure(systemError(errno));
    const std::size_t wanted = static_cast<std::size_t>(length);
    const std::int64_t held = std::max<std::int64_t>(info.st_size - offset, 0);
    std::string bytes(std::min(wanted, static_cast<std::size_t>(held) + 1), '\0');
    std::size_t filled = 0;
    while (filled < wanted) {
        if (filled == bytes.size()) bytes.resize(std::min(wanted, bytes.size() * 2));
        const ssize_t got = ::pread(file.fd(), bytes.data() + filled, bytes.size() - filled,
                                    static_cast<off_t>(offset) + static_cast<off_t>(filled));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return Result<std::string>::failure(systemError(errno));
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return {std::move(bytes), std::nullopt};
}

Result<std::string> linkTarget(const FolderRef& folder, const std::string& name)
{
    std::string target(256, '\0');
    for (;;) {
        const ssize_t length = ::readlinkat(localFolder(folder).handle().fd(), name.c_str(), target.data(), target.size());
        if (length < 0) return Result<std::string>::failure(systemError(errno));
        if (static_cast<std::size_t>(length) < target.size()) {
            target.resize(static_cast<std::size_t>(length));
            return {std::move(target), std::nullopt};
        }
        target.resize(target.size() * 2);
    }
}

Result<std::string> newTemporaryFile(const FolderRef& folder)
{
    for (;;) {
        std::string name = newTemporaryName();
        const OpenFile file(::openat(localFolder(folder).handle().fd(), name.c_str(),
                                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (file.fd() >= 0) return {std::move(name), std::nullopt};
        if (errno != EEXIST) return Result<std::string>::failure(systemError(errno));
    }
}

MaybeError writeBytes(const FolderRef& folder, const std::string& name, std::int64_t offset, const std::string& bytes)
{
    if (!isTemporaryName(name)) return systemError(EINVAL);
    const OpenFile file(::openat(localFolder(folder).handle().fd(), name.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
    if (file.fd() < 0) return systemError(errno);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::pwrite(file.fd(), bytes.data() + written, bytes.size() - written,
                                     static_cast<off_t>(offset) + static_cast<off_t>(written));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return systemError(errno);
        written += static_cast<std::size_t>(put);
    }
    return std::nullopt;
}

// What a volume cannot keep (bits on FAT, owners for a plain user) is left without failing.
bool cannotKeep(int errorNumber, bool volumeKeepsIt)
{
    return errorNumber == ENOSYS || errorNumber == EOPNOTSUPP || (errorNumber == EPERM && !volumeKeepsIt);
}

MaybeError setEntryAttributes(const FolderRef& folder, const std::string& name, const EntryAttributes& attributes,
                              const VolumeCapabilities& capabilities)
{
    const int fd = localFolder(folder).handle().fd();
    if (attributes.owner &&
        ::fchownat(fd, name.c_str(), attributes.owner->first, attributes.owner->second, AT_SYMLINK_NOFOLLOW) != 0 &&
        !cannotKeep(errno, capabilities.keepsOwners)) {
        return systemError(errno);
    }
    // A link has no bits of its own: the system refuses to set them, which is no failure.
    if (attributes.mode && ::fchmodat(fd, name.c_str(), *attributes.mode & 07777, AT_SYMLINK_NOFOLLOW) != 0 &&
        !cannotKeep(errno, capabilities.keepsPermissions)) {
        return systemError(errno);
    }
    if (attributes.modified) {
        const timespec times[2] = {{0, UTIME_OMIT}, {attributes.modified->seconds, attributes.modified->nanoseconds}};
        if (::utimensat(fd, name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return systemError(errno);
    }
    return std::nullopt;
}

}  // namespace

// A user-space FAT driver empties a folder it renames plainly: a folder there moves only where the
// volume refuses a taken name itself. A file may always be looked at, then renamed plainly.
bool plainRenameKeepsContent(const FolderRef& folder, const std::string& name)
{
    const auto kind = lookUp(localFolder(folder).handle(), name);
    return !kind.ok() || kind.value != EntryKind::Folder || !folderRenameLosesContent(folder->path());
}

namespace {

MaybeError renameEntry(const FolderRef& fromFolder, const std::string& fromName, const FolderRef& toFolder,
                       const std::string& toName, RenameMode mode)
{
    const FolderHandle& from = localFolder(fromFolder).handle();
    const FolderHandle& to = localFolder(toFolder).handle();
    if (mode == RenameMode::Replace) {
        if (::renameat(from.fd(), fromName.c_str(), to.fd(), toName.c_str()) != 0) return systemError(errno);
        return std::nullopt;
    }
    return moveEntry(from, fromName, to, toName, plainRenameKeepsContent(fromFolder, fromName));
}

}  // namespace

const LocalFolder& localFolder(const FolderRef& folder)
{
    return static_cast<const LocalFolder&>(*folder);
}

Result<FolderRef> openedFolder(Result<FolderHandle> handle, std::string path)
{
    if (!handle.ok()) return Result<FolderRef>::failure(*handle.error);
    return {std::make_shared<const LocalFolder>(std::move(handle.value), std::move(path)), std::nullopt};
}

LocalVolume::LocalVolume(std::string startFolder, unsigned concurrency)
    : startFolder_(std::move(startFolder)), startPath_(withTrailingSeparator(startFolder_)),
      user_(CopyingUser::current()), pool_(concurrency)
{
}

std::string LocalVolume::identity() const
{
    return identityOfVolumeHolding(startFolder_);
}

void LocalVolume::rememberLastRun(AttributesAsLastRun asLastRun)
{
    asLastRun_ = std::move(asLastRun);
}

VolumeCapabilities LocalVolume::capabilities() const
{
    std::call_once(capabilitiesFound_, [this] { capabilities_ = capabilitiesOf(startFolder_); });
    return capabilities_;
}

VolumeGuarantees LocalVolume::guarantees() const
{
    return {true, true, true};
}

void LocalVolume::openStart(Completion<FolderRef> done)
{
    pool_.submit([this, done = std::move(done)] {
        done(openedFolder(FolderHandle::openStart(startFolder_), startPath_));
    });
}

void LocalVolume::readStart(Completion<ReadFolderAnswer> done)
{
    pool_.submit([this, done = std::move(done)] {
        done(read(openedFolder(FolderHandle::openStart(startFolder_), startPath_)));
    });
}

void LocalVolume::openFolder(FolderRef parent, std::string name, Completion<FolderRef> done)
{
    pool_.submit([parent = std::move(parent), name = std::move(name), done = std::move(done)] {
        done(openChild(parent, name));
    });
}

void LocalVolume::readFolder(FolderRef parent, std::string name, Completion<ReadFolderAnswer> done)
{
    pool_.submit([this, parent = std::move(parent), name = std::move(name), done = std::move(done)] {
        done(read(openChild(parent, name)));
    });
}

void LocalVolume::readFile(FolderRef folder, std::string name, std::int64_t offset, std::int64_t length,
                           Completion<std::string> done)
{
    pool_.submit([folder = std::move(folder), name = std::move(name), offset, length, done = std::move(done)] {
        done(readBytes(folder, name, offset, length));
    });
}

void LocalVolume::readLink(FolderRef folder, std::string name, Completion<std::string> done)
{
    pool_.submit([folder = std::move(folder), name = std::move(name), done = std::move(done)] {
        done(linkTarget(folder, name));
    });
}

void LocalVolume::createTemporary(FolderRef folder, Completion<std::string> done)
{
    pool_.submit([folder = std::move(folder), done = std::move(done)] { done(newTemporaryFile(folder)); });
}

void LocalVolume::writeTemporary(FolderRef folder, std::string temporaryName, std::int64_t offset,
                                 std::string bytes, Finished done)
{
    pool_.submit([folder = std::move(folder), name = std::move(temporaryName), offset, bytes = std::move(bytes),
                  done = std::move(done)] { done(writeBytes(folder, name, offset, bytes)); });
}

void LocalVolume::rename(FolderRef fromFolder, std::string fromName, FolderRef toFolder, std::string toName,
                         RenameMode mode, Finished done)
{
    pool_.submit([fromFolder = std::move(fromFolder), fromName = std::move(fromName), toFolder = std::move(toFolder),
                  toName = std::move(toName), mode, done = std::move(done)] {
        done(renameEntry(fromFolder, fromName, toFolder, toName, mode));
    });
}

void LocalVolume::remove(FolderRef folder, std::string name, Finished done)
{
    pool_.submit([folder = std::move(folder), name = std::move(name), done = std::move(done)] {
        done(deleteFile(localFolder(folder).handle(), name));
    });
}

void LocalVolume::removeFolder(FolderRef folder, std::string name, EntryFilter leavesOut, Finished done)
{
    pool_.submit([folder = std::move(folder), name = std::move(name), leavesOut = std::move(leavesOut),
                  done = std::move(done)] { done(deleteFolder(localFolder(folder).handle(), name, leavesOut)); });
}

void LocalVolume::makeFolder(FolderRef folder, std::string name, std::uint32_t mode, Finished done)
{
    pool_.submit([folder = std::move(folder), name = std::move(name), mode, done = std::move(done)] {
        const bool made = ::mkdirat(localFolder(folder).handle().fd(), name.c_str(), static_cast<mode_t>(mode & 07777)) == 0;
        done(made ? MaybeError{} : MaybeError{systemError(errno)});
    });
}

void LocalVolume::setAttributes(FolderRef folder, std::string name, EntryAttributes attributes, Finished done)
{
    const VolumeCapabilities kept = capabilities();
    pool_.submit([folder = std::move(folder), name = std::move(name), attributes, kept, done = std::move(done)] {
        done(setEntryAttributes(folder, name, attributes, kept));
    });
}

}  // namespace velmorane::platform
