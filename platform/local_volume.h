#pragma once

#include "platform/copying_user.h"
#include "platform/folder_handle.h"
#include "platform/request_pool.h"
#include "platform/trash_ledger.h"
#include "platform/volume.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace velmorane::platform {

// A folder of the local volume: its descriptor, kept open while any request may name it.
class LocalFolder : public VolumeFolder {
public:
    LocalFolder(FolderHandle handle, std::string path) : handle_(std::move(handle)), path_(std::move(path)) {}
    const std::string& path() const override { return path_; }
    const FolderHandle& handle() const { return handle_; }

private:
    FolderHandle handle_;
    std::string path_;
};

// Every folder a request names was opened by the volume it is given to.
const LocalFolder& localFolder(const FolderRef& folder);
Result<FolderRef> openedFolder(Result<FolderHandle> handle, std::string path);
// Whether a rename that does not replace may look at the name, then rename plainly, on a volume
// that refuses RENAME_NOREPLACE.
bool plainRenameKeepsContent(const FolderRef& folder, const std::string& name);

// The volumes this machine mounts. Every request acts relative to an open folder's descriptor
// with the *at() calls, never through a link, and an add lands with RENAME_NOREPLACE: it keeps
// every guarantee. Requests are answered on a pool of threads of its own.
class LocalVolume : public VolumeAccess {
public:
    LocalVolume(std::string startFolder, unsigned concurrency);

    const std::string& startFolder() const override { return startFolder_; }
    std::string identity() const override;
    VolumeCapabilities capabilities() const override;
    VolumeGuarantees guarantees() const override;
    void rememberLastRun(AttributesAsLastRun asLastRun) override;

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

private:
    // A folder of the start folder's tree, read.
    Result<ReadFolderAnswer> read(Result<FolderRef> folder) const;
    std::optional<std::string> trashFor(const FolderRef& folder);
    TrashLedger& ledger();

    std::string startFolder_;
    std::string startPath_;  // ending with "/"
    const CopyingUser user_;
    AttributesAsLastRun asLastRun_;
    mutable std::once_flag capabilitiesFound_;
    mutable VolumeCapabilities capabilities_;
    // The trash of each device below the start folder, found at its first use, and the record of
    // what the program trashed, read at its first use; both under the mutex.
    std::mutex trashMutex_;
    std::map<std::uint64_t, std::optional<std::string>> trashes_;
    std::optional<TrashLedger> ledger_;
    // Declared last: destroyed first, so the requests still queued are answered while the rest stands.
    RequestPool pool_;
};

}  // namespace velmorane::platform
