#include "platform/foreign_source.h"

#include "platform/awaited_answer.h"
#include "platform/copying_user.h"
#include "platform/cross_volume.h"
#include "platform/entry_move.h"
#include "platform/open_file.h"
#include "platform/paths.h"
#include "platform/sftp_volume.h"
#include "platform/temporary_name.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

constexpr std::int64_t kPieceSize = 1024 * 1024;

// Bits, owner and time of a source entry on an open file or folder of this machine.
MaybeError setFrom(const SftpAttributes& source, int fd)
{
    const CopyingUser user = CopyingUser::current();
    const std::uint32_t uid = source.uid.value_or(user.uid());
    const std::uint32_t gid = source.gid.value_or(0);
    const bool ownerKept = user.keepsOwners() ? ::fchown(fd, uid, gid) == 0 : uid == user.uid();
    std::uint32_t mode = user.modeOfCopy({static_cast<std::uint16_t>(source.permissions.value_or(0600) & 07777), uid, gid});
    if (!ownerKept) mode &= ~std::uint32_t{S_ISUID | S_ISGID};
    if (::fchmod(fd, mode) != 0) return systemError(errno);
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(source.modificationTime.value_or(0)), 0}};
    if (::futimens(fd, times) != 0) return systemError(errno);
    return std::nullopt;
}

MaybeError setLinkFrom(const SftpAttributes& source, const FolderHandle& folder, const std::string& name)
{
    if (CopyingUser::current().keepsOwners()) {
        (void)::fchownat(folder.fd(), name.c_str(), source.uid.value_or(0), source.gid.value_or(0), AT_SYMLINK_NOFOLLOW);
    }
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(source.modificationTime.value_or(0)), 0}};
    if (::utimensat(folder.fd(), name.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) return systemError(errno);
    return std::nullopt;
}

MaybeError writeAll(int fd, const std::string& bytes, std::int64_t offset)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = ::pwrite(fd, bytes.data() + written, bytes.size() - written,
                                     static_cast<off_t>(offset) + static_cast<off_t>(written));
        if (put < 0 && errno == EINTR) continue;
        if (put < 0) return systemError(errno);
        written += static_cast<std::size_t>(put);
    }
    return std::nullopt;
}

MaybeError fillFile(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                    const SftpAttributes& attributes, int fd, RunControl& control)
{
    for (std::int64_t offset = 0;; offset += kPieceSize) {
        const auto piece = awaited<Result<std::string>>(
            [&](auto done) { readable(source).readFile(from, fromName, offset, kPieceSize, done); });
        if (!piece.ok()) return piece.error;
        if (auto failure = writeAll(fd, piece.value, offset)) return failure;
        control.pieceCopied();
        if (static_cast<std::int64_t>(piece.value.size()) < kPieceSize) break;
    }
    if (::fsync(fd) != 0) return systemError(errno);
    return setFrom(attributes, fd);
}

MaybeError makeTemporary(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                         const SftpAttributes& before, const FolderHandle& to, const std::string& temporary,
                         RunControl& control)
{
    if (before.isLink()) {
        const auto target = awaited<Result<std::string>>(
            [&](auto done) { readable(source).readLink(from, fromName, done); });
        if (!target.ok()) return target.error;
        if (::symlinkat(target.value.c_str(), to.fd(), temporary.c_str()) != 0) return systemError(errno);
        return setLinkFrom(before, to, temporary);
    }
    if (!before.isRegularFile()) return systemError(EINVAL);
    const OpenFile file(::openat(to.fd(), temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (file.fd() < 0) return systemError(errno);
    if (auto failure = fillFile(source, from, fromName, before, file.fd(), control)) return failure;
    const auto after = SftpVolume::attributesOf(source, from, fromName);
    if (!after.ok() || after.value.size != before.size || after.value.modificationTime != before.modificationTime) {
        return changedWhileCopied();
    }
    return std::nullopt;
}

// Into folders of this machine, through their handles.
ContentLanding<FolderHandle> localLanding(const VolumeAccess& source, RunControl& control)
{
    return {[&source, &control](const FolderRef& from, const std::string& name, const FolderHandle& to) {
                return copyFileFromForeign(source, from, name, to, name, CopyMode::Add, control);
            },
            [](const FolderHandle& parent, const std::string& name) {
                if (::mkdirat(parent.fd(), name.c_str(), 0700) != 0) {
                    return Result<FolderHandle>::failure(systemError(errno));
                }
                return parent.openChild(name);
            },
            [&source](const FolderRef& from, const std::string& name, const FolderHandle& made) -> MaybeError {
                const auto attributes = SftpVolume::attributesOf(source, from, name);
                return attributes.ok() ? setFrom(attributes.value, made.fd()) : attributes.error;
            }};
}

}  // namespace

MaybeError copyFileFromForeign(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                               const FolderHandle& to, const std::string& toName, CopyMode mode, RunControl& control)
{
    const auto before = SftpVolume::attributesOf(source, from, fromName);
    if (!before.ok()) return before.error;
    const std::string temporary = newTemporaryName();
    MaybeError failure = makeTemporary(source, from, fromName, before.value, to, temporary, control);
    if (!failure && mode == CopyMode::Replace && ::renameat(to.fd(), temporary.c_str(), to.fd(), toName.c_str()) != 0) {
        failure = systemError(errno);
    }
    if (!failure && mode == CopyMode::Add) failure = moveEntry(to, temporary, to, toName, true);
    if (failure) ::unlinkat(to.fd(), temporary.c_str(), 0);
    return failure;
}

FolderCopyOutcome copyFolderFromForeign(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                                        const FolderHandle& to, const std::string& toName, RunControl& control,
                                        const EntryFilter& leavesOut)
{
    if (::mkdirat(to.fd(), toName.c_str(), 0700) != 0) return {false, systemError(errno)};
    const auto made = to.openChild(toName);
    if (!made.ok()) return {true, made.error};
    MaybeError failure;
    copyContentAcross(source, from, fromName, made.value, "", localLanding(source, control), control, leavesOut, failure);
    const auto attributes = SftpVolume::attributesOf(source, from, fromName);
    auto settled = attributes.ok() ? setFrom(attributes.value, made.value.fd()) : attributes.error;
    if (settled && !failure) failure = std::move(settled);
    return {true, std::move(failure)};
}

MaybeError settleFolderFromForeign(const VolumeAccess& source, const FolderRef& from, const FolderHandle& to)
{
    const auto attributes = SftpVolume::attributesOf(source, from, "");
    if (!attributes.ok()) return attributes.error;
    return setFrom(attributes.value, to.fd());
}

Result<bool> updateAttributesFromForeign(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                                         const FolderHandle& to, const std::string& toName)
{
    const auto was = SftpVolume::attributesOf(source, from, fromName);
    if (!was.ok()) return Result<bool>::failure(*was.error);
    struct stat here{};
    if (::fstatat(to.fd(), toName.c_str(), &here, AT_SYMLINK_NOFOLLOW) != 0) return Result<bool>::failure(systemError(errno));
    const bool alike = (was.value.permissions.value_or(0) & S_IFMT) == (here.st_mode & S_IFMT) &&
                       (was.value.isLink() || was.value.size == static_cast<std::uint64_t>(here.st_size)) &&
                       was.value.modificationTime == static_cast<std::uint32_t>(here.st_mtim.tv_sec);
    if (!alike) return {false, std::nullopt};
    if (was.value.isLink()) {
        if (auto failure = setLinkFrom(was.value, to, toName)) return Result<bool>::failure(*failure);
        return {true, std::nullopt};
    }
    const OpenFile file(::openat(to.fd(), toName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (file.fd() < 0) return Result<bool>::failure(systemError(errno));
    if (auto failure = setFrom(was.value, file.fd())) return Result<bool>::failure(*failure);
    return {true, std::nullopt};
}

}  // namespace velmorane::platform
