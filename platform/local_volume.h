#pragma once

#include "platform/folder_handle.h"
#include "platform/request_pool.h"
#include "platform/volume.h"

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

    void openStart(Completion<FolderRef> done) override;
    void readStart(Completion<ReadFolderAnswer> done) override;
    void openFolder(FolderRef parent, std::string name, Completion<FolderRef> done) override;
    void readFolder(FolderRef parent, std::string name, Completion<ReadFolderAnswer> done) override;
    void readFile(FolderRef folder, std::string name, std::int64_t offset, std::int64_t length,
                  Completion<std::string> done) override;
    void readLink(FolderRef folder, std::string name, Completion<std::string> done) override;
    void createTemporary(FolderRef folder, Completion<std::string> done) override;
    void writeTemporary(FolderRef folder, std::string temporaryName, std::int64_t offset, std::string bytes,
                        Finished done) override;
    void rename(FolderRef fromFolder, std::string fromName, FolderRef toFolder, std::string toName, RenameMode mode,
                Finished done) override;
    void remove(FolderRef folder, std::string name, Finished done) override;
    void makeFolder(FolderRef folder, std::string name, std::uint32_t mode, Finished done) override;
    void setAttributes(FolderRef folder, std::string name, EntryAttributes attributes, Finished done) override;
    void moveToTrash(FolderRef folder, std::string name, Completion<TrashOutcome> done) override;

private:
    std::string startFolder_;
    mutable std::once_flag capabilitiesFound_;
    mutable VolumeCapabilities capabilities_;
    // Declared last: destroyed first, so the requests still queued are answered while the rest stands.
    RequestPool pool_;
};

}  // namespace velmorane::platform
