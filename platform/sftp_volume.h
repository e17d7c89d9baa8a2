#pragma once

#include "platform/cross_volume.h"
#include "platform/request_pool.h"
#include "platform/sftp_channel.h"
#include "platform/volume.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace velmorane::platform {

// A folder on the server: the path messages show (the start folder's sftp:// form) and the
// server's own path, both ending with "/".
class SftpFolder : public VolumeFolder {
public:
    SftpFolder(std::string path, std::string serverPath) : path_(std::move(path)), serverPath_(std::move(serverPath)) {}
    const std::string& path() const override { return path_; }
    const std::string& serverPath() const { return serverPath_; }

private:
    std::string path_;
    std::string serverPath_;
};

const SftpFolder& sftpFolder(const FolderRef& folder);
// The folder `name` inside a folder of the server.
FolderRef childFolderOf(const FolderRef& parent, const std::string& name);

// A start folder on an SSH server, reached through one SFTP session. Folder reads stay in flight
// together on the session's own thread; the requests of an execution, each a few steps that wait
// for one another, run on a few threads of the volume (on the caller's thread without any). The
// server resolves paths itself: before writing below a folder each step is looked at with LSTAT,
// which narrows but cannot close the gap a local volume's open folders close.
class SftpVolume : public VolumeAccess {
public:
    SftpVolume(std::string startFolder, SftpAddress address, SshConnection connection, unsigned concurrency);

    const std::string& startFolder() const override { return startFolder_; }
    std::string identity() const override;
    VolumeCapabilities capabilities() const override;
    VolumeGuarantees guarantees() const override;
    unsigned folderReadsInFlight() const override;
    unsigned entriesInFlight() const override;

    void openStart(Completion<FolderRef> done) override;
    void readStart(Completion<ReadFolderAnswer> done) override;
    void openFolder(FolderRef parent, std::string name, Completion<FolderRef> done) override;
    void readFolder(FolderRef parent, std::string name, Completion<ReadFolderAnswer> done) override;
    void readFile(FolderRef folder, std::string name, std::int64_t offset, std::int64_t length,
                  Completion<std::string> done) override;
    void readLink(FolderRef folder, std::string name, Completion<std::string> done) override;
    void attributesDiffer(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                          std::string toName, Completion<bool> done) override;
    void createTemporary(FolderRef folder, Completion<std::string> done) override;
    void writeTemporary(FolderRef folder, std::string temporaryName, std::int64_t offset, std::string bytes,
                        Finished done) override;
    void rename(FolderRef fromFolder, std::string fromName, FolderRef toFolder, std::string toName, RenameMode mode,
                Finished done) override;
    void remove(FolderRef folder, std::string name, Finished done) override;
    void removeFolder(FolderRef folder, std::string name, EntryFilter leavesOut, Finished done) override;
    void makeFolder(FolderRef folder, std::string name, std::uint32_t mode, Finished done) override;
    void setAttributes(FolderRef folder, std::string name, EntryAttributes attributes, Finished done) override;

    void openBelow(FolderRef folder, std::string relativePath, Completion<FolderRef> done) override;
    void entryStatus(FolderRef folder, std::string name, Completion<EntryStatus> done) override;
    void copyFile(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to, std::string toName,
                  CopyMode mode, RunControl& control, Finished done) override;
    void copyFolder(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to, std::string toName,
                    RunControl& control, EntryFilter leavesOut, std::function<void(FolderCopyOutcome)> done) override;
    void updateAttributes(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                          std::string toName, Completion<bool> done) override;
    void settleFolder(const VolumeAccess& source, FolderRef from, FolderRef to, Finished done) override;
    void clearReadOnly(FolderRef folder, std::string name, Finished done) override;
    void removeLeftoverTemporaries(FolderRef folder, Finished done) override;
    void sameBytes(FolderRef folder, std::string name, const VolumeAccess& other, FolderRef otherFolder,
                   std::string otherName, Completion<bool> done) override;
    void moveProven(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef old,
                    std::string oldName, FolderRef to, std::string toName, SameTime sameTime, EntryFilter leavesOut,
                    std::function<void(ProvenMoveOutcome)> done) override;

    void moveToTrash(FolderRef folder, std::string name, Completion<Trashing> done) override;
    void keepReplacedInTrash(FolderRef folder, std::string name, Completion<Trashing> done) override;
    void undoTrashing(Trashing trashing, FolderRef folder, std::string name, Finished done) override;
    void volumeWithoutTrash(FolderRef folder, Completion<std::optional<std::string>> done) override;
    void roomLeft(FolderRef folder, Completion<std::optional<std::uint64_t>> done) override;
    void recordTrashed(Trashing trashing, Finished done) override;
    void freeTrash(FolderRef folder, std::uint64_t bytes, std::optional<Trashing> kept,
                   Completion<std::uint64_t> done) override;
    void saveTrashRecord(Finished done) override;

    // An entry's own attributes on this kind of volume or a local one; an empty name: the folder.
    static Result<SftpAttributes> attributesOf(const VolumeAccess& volume, const FolderRef& folder,
                                               const std::string& name);

private:
    struct ServerFacts {
        std::string realStart;
        std::string home;
        std::optional<std::uint64_t> startSystem;  // the start folder's file-system id
        std::optional<std::uint64_t> homeSystem;
        std::optional<std::uint32_t> serverUid;  // the SSH user's, from the home it owns
        bool keepsBits = true;  // false where the start folder's file system has no permission bits (FAT)
    };
    struct Trash {
        std::string path;
        std::string topFolder;  // empty for the home trash
    };
    const ServerFacts& facts() const;
    SftpAttributes copiedAttributes(const SftpAttributes& source) const;
    MaybeError setRemoteAttributes(const std::string& path, SftpAttributes wanted);
    MaybeError renameRemote(const std::string& from, const std::string& to, RenameMode mode);
    Result<std::string> newRemoteTemporary(const FolderRef& folder);
    SftpChannel& writingChannel();
    MaybeError writeFrom(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                         SftpChannel& channel, const std::string& handle, RunControl& control);
    MaybeError fillTemporary(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                             const SftpAttributes& attributes, const std::string& temporaryPath, RunControl& control);
    MaybeError copyEntry(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                         const FolderRef& to, const std::string& toName, CopyMode mode, RunControl& control);
    ContentLanding<FolderRef> landingFor(const VolumeAccess& source, RunControl& control);
    bool sameLayout(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                    const std::string& path, const std::string& inside, const SameTime& sameTime,
                    const EntryFilter& leavesOut);
    MaybeError settleMoved(const VolumeAccess& source, const FolderRef& from, const std::string& fromName,
                           const std::string& path);
    MaybeError removeTree(const std::string& path, const std::string& inside, const EntryFilter& leavesOut, bool& kept);
    std::optional<Trash> trashFor(const std::string& serverFolder);
    Result<Trashing> putInTrash(const FolderRef& folder, const std::string& name, bool linked);

    std::string startFolder_;
    SftpAddress address_;
    SshConnection connection_;
    mutable SftpChannel channel_;
    // More sessions for the files an execution writes, opened at its first file: the server
    // answers each session's requests one after another, and a file made durable holds its
    // session until the disk has it.
    std::once_flag writersOpened_;
    std::vector<std::unique_ptr<SftpChannel>> writers_;
    std::atomic<std::size_t> nextWriter_ = 0;
    mutable std::once_flag factsFound_;
    mutable ServerFacts facts_;
    // The trash of each file system below the start folder, found at its first use.
    std::mutex trashMutex_;
    std::map<std::uint64_t, std::optional<Trash>> trashes_;
    // Declared last: destroyed first, so the requests still queued are answered while the rest stands.
    RequestPool pool_;
};

}  // namespace velmorane::platform
