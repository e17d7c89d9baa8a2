#include "platform/sftp_volume.h"

#include "platform/awaited_answer.h"
#include "platform/cross_volume.h"
#include "platform/file_status.h"
#include "platform/local_volume.h"
#include "platform/paths.h"
#include "platform/sftp_calls.h"
#include "platform/sftp_errors.h"
#include "platform/temporary_name.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

// What an execution asks of a volume on an SSH server: each request a few SFTP requests that wait
// for one another, run on the volume's threads (or the caller's), never on the session's.
namespace velmorane::platform {
namespace {

// The bytes read from a source at once, written as many blocks in flight.
constexpr std::int64_t kPieceSize = 1024 * 1024;

std::string pathOf(const FolderRef& folder, const std::string& name)
{
    return sftpFolder(folder).serverPath() + name;
}

// OpenSSH's server says "Failure" for most refusals: an entry found at the name is why.
SystemError explained(SftpChannel& channel, SystemError error, const std::string& path, int numberWhenTaken)
{
    if (error.number == EIO && remoteLinkStatus(channel, path).ok()) return systemError(numberWhenTaken);
    return error;
}

SftpAttributes attributesOfStat(const struct stat& info)
{
    SftpAttributes attributes;
    attributes.size = static_cast<std::uint64_t>(info.st_size);
    attributes.uid = info.st_uid;
    attributes.gid = info.st_gid;
    attributes.permissions = info.st_mode;
    attributes.accessTime = static_cast<std::uint32_t>(info.st_atim.tv_sec);
    attributes.modificationTime = static_cast<std::uint32_t>(info.st_mtim.tv_sec);
    return attributes;
}

}  // namespace

// An entry's own attributes on either kind of volume; an empty name: the folder itself.
Result<SftpAttributes> SftpVolume::attributesOf(const VolumeAccess& volume, const FolderRef& folder,
                                                const std::string& name)
{
    if (const auto* remote = dynamic_cast<const SftpVolume*>(&volume)) {
        return remoteLinkStatus(remote->channel_, withoutTrailingSeparator(pathOf(folder, name)));
    }
    if (!dynamic_cast<const LocalVolume*>(&volume)) return Result<SftpAttributes>::failure(systemError(EXDEV));
    const FolderHandle& handle = localFolder(folder).handle();
    if (name.empty()) {
        struct stat info{};
        if (::fstat(handle.fd(), &info) != 0) return Result<SftpAttributes>::failure(systemError(errno));
        return {attributesOfStat(info), std::nullopt};
    }
    const auto status = statusAt(handle, name);
    if (!status.ok()) return Result<SftpAttributes>::failure(*status.error);
    return {attributesOfStat(status.value.info), std::nullopt};
}

// Bits, owner where the SSH user may give it, and the modification time; the access time stays.
SftpAttributes SftpVolume::copiedAttributes(const SftpAttributes& source) const
{
    SftpAttributes copied;
    copied.modificationTime = source.modificationTime;
    if (!facts().keepsBits) return copied;
    const bool ownerKept = capabilities().setsAnyOwner || (source.uid == facts().serverUid);
    if (source.permissions) {
        std::uint32_t mode = *source.permissions & 07777;
        if (!ownerKept) mode &= ~std::uint32_t{S_ISUID | S_ISGID};
        copied.permissions = mode;
    }
    if (ownerKept && source.uid && source.gid) {
        copied.uid = source.uid;
        copied.gid = source.gid;
    }
    return copied;
}

// SETSTAT follows links: a link gets its owner and time through lsetstat@openssh.com where the
// server offers it, and keeps what it has elsewhere.
MaybeError SftpVolume::setRemoteAttributes(const std::string& path, SftpAttributes wanted)
{
    const auto now = remoteLinkStatus(channel_, path);
    if (!now.ok()) return now.error;
    wanted.accessTime = now.value.accessTime;
    if (now.value.isLink()) {
        wanted.permissions.reset();
        if (!channel_.offers(kLinkSetStat)) return std::nullopt;
        (void)remoteDone(channel_, linkStatusSettingRequest(path, wanted));
        return std::nullopt;
    }
    auto failure = remoteDone(channel_, statusSettingRequest(path, wanted));
    // An owner the server refuses to give is what a plain user cannot keep: the rest still goes.
    if (failure && wanted.uid) {
        wanted.uid.reset();
        wanted.gid.reset();
        failure = remoteDone(channel_, statusSettingRequest(path, wanted));
    }
    return failure;
}

MaybeError SftpVolume::renameRemote(const std::string& from, const std::string& to, RenameMode mode)
{
    if (mode == RenameMode::NoReplace) {
        const auto failure = remoteDone(channel_, renameRequest(from, to));
        if (failure) return explained(channel_, *failure, to, EEXIST);
        return std::nullopt;
    }
    if (!channel_.offers(kPosixRename)) {
        return SystemError{EOPNOTSUPP, "le serveur SSH ne sait pas remplacer un fichier d'un seul coup "
                                       "(il n'offre pas posix-rename@openssh.com)"};
    }
    return remoteDone(channel_, extendedRequest(kPosixRename, {from, to}));
}

Result<std::string> SftpVolume::newRemoteTemporary(const FolderRef& folder)
{
    for (;;) {
        std::string name = newTemporaryName();
        SftpAttributes creation;
        creation.permissions = 0600;
        const auto handle = answeredHandle(channel_.call(
            fileOpeningRequest(pathOf(folder, name), kSftpOpenWrite | kSftpOpenCreate | kSftpOpenExclusive, creation)));
        if (handle.ok()) {
            (void)channel_.call(closingRequest(handle.value));
            return {std::move(name), std::nullopt};
        }
        const SystemError error = explained(channel_, systemErrorOf(*handle.error), pathOf(folder, name), EEXIST);
        if (error.number != EEXIST) return Result<std::string>::failure(error);
    }
}

// The source's bytes into an open file of the server, piece by piece; the last piece is short.
MaybeError SftpVolume::writeFrom(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                                 SftpChannel& channel, const std::string& handle, RunControl& control)
{
    for (std::int64_t offset = 0;; offset += kPieceSize) {
        const auto piece = awaited<Result<std::string>>(
            [&](auto done) { readable(source).readFile(from, fromName, offset, kPieceSize, done); });
        if (!piece.ok()) return piece.error;
        if (auto failure = remoteWrite(channel, handle, static_cast<std::uint64_t>(offset), piece.value)) return failure;
        control.pieceCopied();
        if (static_cast<std::int64_t>(piece.value.size()) < kPieceSize) return std::nullopt;
    }
}

// A regular file into a temporary file of `to`, made durable with its attributes set. Its
// attributes, fsync and CLOSE leave together: one round trip ends the file. The whole file goes
// through one of the writing sessions, whose handle it is.
MaybeError SftpVolume::fillTemporary(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                                     const SftpAttributes& attributes, const std::string& temporaryPath,
                                     RunControl& control)
{
    SftpChannel& channel = writingChannel();
    SftpAttributes creation;
    creation.permissions = 0600;
    const auto handle = answeredHandle(channel.call(
        fileOpeningRequest(temporaryPath, kSftpOpenWrite | kSftpOpenCreate | kSftpOpenExclusive, creation)));
    if (!handle.ok()) return systemErrorOf(*handle.error);
    MaybeError failure = writeFrom(source, from, fromName, channel, handle.value, control);
    const SftpAttributes copied = copiedAttributes(attributes);
    std::vector<SftpRequest> ending;
    if (!failure) ending.push_back(handleStatusSettingRequest(handle.value, copied));
    if (!failure && channel.offers(kFsync)) ending.push_back(extendedRequest(kFsync, {handle.value}));
    ending.push_back(closingRequest(handle.value));
    const auto answers = callAll(channel, std::move(ending));
    for (const auto& answer : answers) {
        const auto done = answeredDone(answer);
        if (!done.ok() && !failure) failure = systemErrorOf(*done.error);
    }
    // An owner the server refuses to give is what a plain user cannot keep: the rest still goes.
    if (failure && copied.uid && answers.size() > 1 && !answeredDone(answers.front()).ok() &&
        answeredDone(answers.back()).ok()) {
        failure = setRemoteAttributes(temporaryPath, copied);
    }
    return failure;
}

MaybeError SftpVolume::copyEntry(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                                 const FolderRef& to, const std::string& toName, CopyMode mode, RunControl& control)
{
    const auto before = attributesOf(source, from, fromName);
    if (!before.ok()) return before.error;
    const std::string temporary = pathOf(to, newTemporaryName());
    MaybeError failure;
    if (before.value.isLink()) {
        const auto target = awaited<Result<std::string>>(
            [&](auto done) { readable(source).readLink(from, fromName, done); });
        if (!target.ok()) return target.error;
        failure = remoteDone(channel_, symlinkRequest(temporary, target.value));
        if (!failure) failure = setRemoteAttributes(temporary, copiedAttributes(before.value));
    } else if (before.value.isRegularFile()) {
        failure = fillTemporary(source, from, fromName, before.value, temporary, control);
        const auto after = attributesOf(source, from, fromName);
        if (!failure && (!after.ok() || after.value.size != before.value.size ||
                         after.value.modificationTime != before.value.modificationTime)) {
            failure = changedWhileCopied();
        }
    } else {
        return systemError(EINVAL);
    }
    if (!failure) {
        failure = renameRemote(temporary, pathOf(to, toName), mode == CopyMode::Add ? RenameMode::NoReplace : RenameMode::Replace);
        // A FAT driver in user space gives a renamed file the time of the rename.
        if (!failure && !facts().keepsBits) {
            return setRemoteAttributes(pathOf(to, toName), copiedAttributes(before.value));
        }
    }
    // No partial file is left under any name; a lost connection leaves a temporary name, which the
    // next run removes.
    if (failure) (void)remoteDone(channel_, fileRemovalRequest(temporary));
    return failure;
}

// Into folders of the server, by their paths.
ContentLanding<FolderRef> SftpVolume::landingFor(const VolumeAccess& source, RunControl& control)
{
    return {[this, &source, &control](const FolderRef& from, const std::string& name, const FolderRef& to) {
                return copyEntry(source, from, name, to, name, CopyMode::Add, control);
            },
            [this](const FolderRef& parent, const std::string& name) {
                SftpAttributes filling;
                filling.permissions = 0700;
                if (auto made = remoteDone(channel_, folderMakingRequest(pathOf(parent, name), filling))) {
                    return Result<FolderRef>::failure(*made);
                }
                return Result<FolderRef>{childFolderOf(parent, name), std::nullopt};
            },
            [this, &source](const FolderRef& from, const std::string& name, const FolderRef& made) -> MaybeError {
                const auto attributes = attributesOf(source, from, name);
                if (!attributes.ok()) return attributes.error;
                return setRemoteAttributes(withoutTrailingSeparator(sftpFolder(made).serverPath()),
                                           copiedAttributes(attributes.value));
            }};
}

MaybeError SftpVolume::removeTree(const std::string& path, const std::string& inside, const EntryFilter& leavesOut,
                                  bool& kept)
{
    const auto entries = remoteEntries(channel_, path);
    if (!entries.ok()) return entries.error;
    MaybeError failure;
    for (const SftpNamedEntry& entry : entries.value) {
        const std::string within = inside.empty() ? entry.name : inside + kSeparator + entry.name;
        const bool isFolder = entry.attributes.isFolder();
        if (leavesOut && leavesOut(within, isFolder)) {
            kept = true;
            continue;
        }
        bool keptBelow = false;
        auto removed = isFolder ? removeTree(path + kSeparator + entry.name, within, leavesOut, keptBelow)
                                : remoteDone(channel_, fileRemovalRequest(path + kSeparator + entry.name));
        kept = kept || keptBelow;
        if (removed && !failure) failure = std::move(removed);
    }
    if (!failure && !kept) failure = remoteDone(channel_, folderRemovalRequest(path));
    return failure;
}

void SftpVolume::createTemporary(FolderRef folder, Completion<std::string> done)
{
    pool_.submit([this, folder = std::move(folder), done = std::move(done)] { done(newRemoteTemporary(folder)); });
}

void SftpVolume::writeTemporary(FolderRef folder, std::string temporaryName, std::int64_t offset, std::string bytes,
                                Finished done)
{
    if (!isTemporaryName(temporaryName) || offset < 0) return done(systemError(EINVAL));
    pool_.submit([this, path = pathOf(folder, temporaryName), offset, bytes = std::move(bytes), done = std::move(done)] {
        const auto handle = answeredHandle(channel_.call(fileOpeningRequest(path, kSftpOpenWrite, {})));
        if (!handle.ok()) return done(systemErrorOf(*handle.error));
        MaybeError failure = remoteWrite(channel_, handle.value, static_cast<std::uint64_t>(offset), bytes);
        if (const auto closed = remoteDone(channel_, closingRequest(handle.value)); closed && !failure) failure = closed;
        done(std::move(failure));
    });
}

void SftpVolume::rename(FolderRef fromFolder, std::string fromName, FolderRef toFolder, std::string toName,
                        RenameMode mode, Finished done)
{
    pool_.submit([this, from = pathOf(fromFolder, fromName), to = pathOf(toFolder, toName), mode, done = std::move(done)] {
        done(renameRemote(from, to, mode));
    });
}

void SftpVolume::remove(FolderRef folder, std::string name, Finished done)
{
    pool_.submit([this, path = pathOf(folder, name), done = std::move(done)] {
        const auto status = remoteLinkStatus(channel_, path);
        if (!status.ok()) return done(status.error);
        if (status.value.isFolder()) return done(systemError(EISDIR));
        done(remoteDone(channel_, fileRemovalRequest(path)));
    });
}

void SftpVolume::removeFolder(FolderRef folder, std::string name, EntryFilter leavesOut, Finished done)
{
    pool_.submit([this, path = pathOf(folder, name), leavesOut = std::move(leavesOut), done = std::move(done)] {
        const auto status = remoteLinkStatus(channel_, path);
        if (!status.ok()) return done(status.error);
        if (!status.value.isFolder()) return done(systemError(ENOTDIR));
        bool kept = false;
        done(removeTree(path, "", leavesOut, kept));
    });
}

void SftpVolume::makeFolder(FolderRef folder, std::string name, std::uint32_t mode, Finished done)
{
    pool_.submit([this, path = pathOf(folder, name), mode, done = std::move(done)] {
        SftpAttributes attributes;
        attributes.permissions = mode & 07777;
        const auto failure = remoteDone(channel_, folderMakingRequest(path, attributes));
        done(failure ? MaybeError{explained(channel_, *failure, path, EEXIST)} : MaybeError{});
    });
}

void SftpVolume::setAttributes(FolderRef folder, std::string name, EntryAttributes attributes, Finished done)
{
    pool_.submit([this, path = pathOf(folder, name), attributes, done = std::move(done)] {
        SftpAttributes wanted;
        if (attributes.mode) wanted.permissions = *attributes.mode & 07777;
        if (attributes.owner) {
            wanted.uid = attributes.owner->first;
            wanted.gid = attributes.owner->second;
        }
        if (attributes.modified) wanted.modificationTime = static_cast<std::uint32_t>(attributes.modified->seconds);
        done(setRemoteAttributes(path, wanted));
    });
}

void SftpVolume::openBelow(FolderRef folder, std::string relativePath, Completion<FolderRef> done)
{
    pool_.submit([this, folder = std::move(folder), relative = withoutTrailingSeparator(relativePath),
                  done = std::move(done)] {
        if (relative.empty()) return done({folder, std::nullopt});
        // Every step is looked at together: each must be a folder, never a link.
        std::vector<SftpRequest> looks;
        for (std::size_t end = relative.find(kSeparator);; end = relative.find(kSeparator, end + 1)) {
            looks.push_back(linkStatusRequest(pathOf(folder, relative.substr(0, end))));
            if (end == std::string::npos) break;
        }
        for (const auto& answer : callAll(channel_, std::move(looks))) {
            const auto attributes = answeredAttributes(answer);
            if (!attributes.ok()) return done(Result<FolderRef>::failure(systemErrorOf(*attributes.error)));
            if (!attributes.value.isFolder()) {
                return done(Result<FolderRef>::failure(systemError(attributes.value.isLink() ? ELOOP : ENOTDIR)));
            }
        }
        done({std::make_shared<const SftpFolder>(folder->path() + relative + kSeparator,
                                                 pathOf(folder, relative) + kSeparator),
              std::nullopt});
    });
}

void SftpVolume::copyFile(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                          std::string toName, CopyMode mode, RunControl& control, Finished done)
{
    pool_.submit([this, &source, from = std::move(from), fromName = std::move(fromName), to = std::move(to),
                  toName = std::move(toName), mode, &control, done = std::move(done)] {
        done(copyEntry(source, from, fromName, to, toName, mode, control));
    });
}

void SftpVolume::copyFolder(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                            std::string toName, RunControl& control, EntryFilter leavesOut,
                            std::function<void(FolderCopyOutcome)> done)
{
    pool_.submit([this, &source, from = std::move(from), fromName = std::move(fromName), to = std::move(to),
                  toName = std::move(toName), &control, leavesOut = std::move(leavesOut), done = std::move(done)] {
        const std::string path = pathOf(to, toName);
        SftpAttributes filling;
        filling.permissions = 0700;
        if (auto made = remoteDone(channel_, folderMakingRequest(path, filling))) {
            return done({false, explained(channel_, *made, path, EEXIST)});
        }
        const FolderRef made = childFolderOf(to, toName);
        MaybeError failure;
        copyContentAcross(source, from, fromName, made, "", landingFor(source, control), control, leavesOut, failure);
        const auto attributes = attributesOf(source, from, fromName);
        auto settled = attributes.ok() ? setRemoteAttributes(path, copiedAttributes(attributes.value)) : attributes.error;
        if (settled && !failure) failure = std::move(settled);
        done({true, std::move(failure)});
    });
}

void SftpVolume::updateAttributes(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                                  std::string toName, Completion<bool> done)
{
    pool_.submit([this, &source, from = std::move(from), fromName = std::move(fromName), to = std::move(to),
                  toName = std::move(toName), done = std::move(done)] {
        const auto was = attributesOf(source, from, fromName);
        if (!was.ok()) return done(Result<bool>::failure(*was.error));
        const std::string path = pathOf(to, toName);
        const auto here = remoteLinkStatus(channel_, path);
        if (!here.ok()) return done(Result<bool>::failure(*here.error));
        const auto kind = [](const SftpAttributes& a) { return a.permissions.value_or(0) & S_IFMT; };
        const bool alike = kind(was.value) == kind(here.value) && (was.value.isLink() || was.value.size == here.value.size) &&
                           was.value.modificationTime == here.value.modificationTime;
        if (!alike) return done({false, std::nullopt});
        const auto failure = setRemoteAttributes(path, copiedAttributes(was.value));
        if (failure) return done(Result<bool>::failure(*failure));
        done({true, std::nullopt});
    });
}

void SftpVolume::settleFolder(const VolumeAccess& source, FolderRef from, FolderRef to, Finished done)
{
    pool_.submit([this, &source, from = std::move(from), to = std::move(to), done = std::move(done)] {
        const auto attributes = attributesOf(source, from, "");
        if (!attributes.ok()) return done(attributes.error);
        done(setRemoteAttributes(withoutTrailingSeparator(sftpFolder(to).serverPath()), copiedAttributes(attributes.value)));
    });
}

void SftpVolume::clearReadOnly(FolderRef folder, std::string name, Finished done)
{
    pool_.submit([this, path = pathOf(folder, name), done = std::move(done)] {
        const auto status = remoteLinkStatus(channel_, path);
        if (!status.ok()) return done(status.error);
        const std::uint32_t mode = status.value.permissions.value_or(0);
        if (status.value.isLink() || (mode & S_IWUSR) != 0) return done(std::nullopt);
        SftpAttributes writable;
        writable.permissions = (mode & 07777) | S_IWUSR;
        done(remoteDone(channel_, statusSettingRequest(path, writable)));
    });
}

void SftpVolume::removeLeftoverTemporaries(FolderRef folder, Finished done)
{
    pool_.submit([this, folder = std::move(folder), done = std::move(done)] {
        const auto entries = remoteEntries(channel_, withoutTrailingSeparator(sftpFolder(folder).serverPath()));
        if (entries.ok()) {
            for (const SftpNamedEntry& entry : entries.value) {
                if (entry.attributes.isRegularFile() && isTemporaryName(entry.name)) {
                    (void)remoteDone(channel_, fileRemovalRequest(pathOf(folder, entry.name)));
                }
            }
        }
        done(std::nullopt);
    });
}

void SftpVolume::sameBytes(FolderRef folder, std::string name, const VolumeAccess& other, FolderRef otherFolder,
                           std::string otherName, Completion<bool> done)
{
    pool_.submit([this, folder = std::move(folder), name = std::move(name), &other, otherFolder = std::move(otherFolder),
                  otherName = std::move(otherName), done = std::move(done)] {
        done(sameBytesAcross(*this, folder, name, other, otherFolder, otherName));
    });
}

// Whether the server's entry at `path` still has the layout a copy of the source's would bring:
// the same kind, and for a file the same size and time, for a folder the same names and sizes all
// the way down, what `leavesOut` names aside.
bool SftpVolume::sameLayout(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                            const std::string& path, const std::string& inside, const SameTime& sameTime,
                            const EntryFilter& leavesOut)
{
    const auto was = attributesOf(source, from, fromName);
    const auto here = remoteLinkStatus(channel_, path);
    if (!was.ok() || !here.ok()) return false;
    if ((was.value.permissions.value_or(0) & S_IFMT) != (here.value.permissions.value_or(0) & S_IFMT)) return false;
    if (!was.value.isFolder()) {
        const auto time = [](const SftpAttributes& a) { return FileTime{a.modificationTime.value_or(0), 0}; };
        return was.value.size == here.value.size && (was.value.isLink() || sameTime(time(was.value), time(here.value)));
    }
    const auto read = awaited<Result<ReadFolderAnswer>>(
        [&](auto done) { readable(source).readFolder(from, fromName, done); });
    const auto entries = remoteEntries(channel_, path);
    if (!read.ok() || !entries.ok()) return false;
    const auto within = [&](const std::string& name) { return inside.empty() ? name : inside + kSeparator + name; };
    std::vector<std::string> expected;
    for (const FileRecord& file : read.value.content.files) {
        if (!leavesOut || !leavesOut(within(file.name.str()), false)) expected.push_back(file.name.str());
    }
    for (const std::string& name : read.value.content.subFolders) {
        if (!leavesOut || !leavesOut(within(name), true)) expected.push_back(name);
    }
    std::vector<std::string> found;
    for (const SftpNamedEntry& entry : entries.value) {
        if (!leavesOut || !leavesOut(within(entry.name), entry.attributes.isFolder())) found.push_back(entry.name);
    }
    std::sort(expected.begin(), expected.end());
    std::sort(found.begin(), found.end());
    if (expected != found) return false;
    return std::all_of(expected.begin(), expected.end(), [&](const std::string& name) {
        return sameLayout(source, read.value.folder, name, path + kSeparator + name, within(name), sameTime, leavesOut);
    });
}

// A moved entry, and what lies in it, gets its source's bits and times as a copy sets them; a
// folder's own after its content's.
MaybeError SftpVolume::settleMoved(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                                   const std::string& path)
{
    const auto was = attributesOf(source, from, fromName);
    if (!was.ok()) return was.error;
    MaybeError failure;
    if (was.value.isFolder()) {
        const auto read = awaited<Result<ReadFolderAnswer>>(
            [&](auto done) { readable(source).readFolder(from, fromName, done); });
        if (!read.ok()) return read.error;
        for (const FileRecord& file : read.value.content.files) {
            auto settled = settleMoved(source, read.value.folder, file.name.str(), path + kSeparator + file.name);
            if (settled && !failure && settled->number != ENOENT) failure = std::move(settled);
        }
        for (const std::string& name : read.value.content.subFolders) {
            auto settled = settleMoved(source, read.value.folder, name, path + kSeparator + name);
            if (settled && !failure && settled->number != ENOENT) failure = std::move(settled);
        }
    }
    auto own = setRemoteAttributes(path, copiedAttributes(was.value));
    return failure ? failure : own;
}

void SftpVolume::moveProven(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef old,
                            std::string oldName, FolderRef to, std::string toName, SameTime sameTime,
                            EntryFilter leavesOut, std::function<void(ProvenMoveOutcome)> done)
{
    pool_.submit([this, &source, from = std::move(from), fromName = std::move(fromName),
                  oldPath = pathOf(old, oldName), toPath = pathOf(to, toName), sameTime = std::move(sameTime),
                  leavesOut = std::move(leavesOut), done = std::move(done)] {
        if (!sameLayout(source, from, fromName, oldPath, "", sameTime, leavesOut)) return done({});
        if (renameRemote(oldPath, toPath, RenameMode::NoReplace)) return done({});
        done({true, settleMoved(source, from, fromName, toPath)});
    });
}

}  // namespace velmorane::platform
