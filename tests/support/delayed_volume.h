#pragma once

#include "platform/volume.h"

#include <chrono>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>

namespace velmorane::testing {

// A volume that answers as a distant one would: each answer of the volume it wraps is held for a
// while on the thread that gives it, and requests naming a chosen entry fail. It counts how many
// answers it held at once, which shows how many requests its volume keeps in flight.
class DelayedVolume : public platform::VolumeAccess {
public:
    DelayedVolume(platform::VolumeAccess& inner, std::chrono::milliseconds latency);

    // Every request naming `name` (a start folder is named by its path) fails with this error.
    void failRequestsNaming(const std::string& name, int errorNumber);
    std::size_t mostAnsweredAtOnce() const;

    const std::string& startFolder() const override { return inner_.startFolder(); }
    std::string identity() const override { return inner_.identity(); }
    platform::VolumeCapabilities capabilities() const override { return inner_.capabilities(); }
    platform::VolumeGuarantees guarantees() const override { return inner_.guarantees(); }
    void rememberLastRun(platform::AttributesAsLastRun asLastRun) override { inner_.rememberLastRun(std::move(asLastRun)); }

    void openStart(platform::Completion<platform::FolderRef> done) override;
    void readStart(platform::Completion<platform::ReadFolderAnswer> done) override;
    void openFolder(platform::FolderRef parent, std::string name,
                    platform::Completion<platform::FolderRef> done) override;
    void readFolder(platform::FolderRef parent, std::string name,
                    platform::Completion<platform::ReadFolderAnswer> done) override;
    void readFile(platform::FolderRef folder, std::string name, std::int64_t offset, std::int64_t length,
                  platform::Completion<std::string> done) override;
    void readLink(platform::FolderRef folder, std::string name, platform::Completion<std::string> done) override;
    void attributesDiffer(const platform::VolumeAccess& source, platform::FolderRef from, std::string fromName,
                          platform::FolderRef to, std::string toName, platform::Completion<bool> done) override;
    void createTemporary(platform::FolderRef folder, platform::Completion<std::string> done) override;
    void writeTemporary(platform::FolderRef folder, std::string temporaryName, std::int64_t offset, std::string bytes,
                        platform::Finished done) override;
    void rename(platform::FolderRef fromFolder, std::string fromName, platform::FolderRef toFolder, std::string toName,
                platform::RenameMode mode, platform::Finished done) override;
    void remove(platform::FolderRef folder, std::string name, platform::Finished done) override;
    void removeFolder(platform::FolderRef folder, std::string name, platform::EntryFilter leavesOut,
                      platform::Finished done) override;
    void makeFolder(platform::FolderRef folder, std::string name, std::uint32_t mode, platform::Finished done) override;
    void setAttributes(platform::FolderRef folder, std::string name, platform::EntryAttributes attributes,
                       platform::Finished done) override;

    void openBelow(platform::FolderRef folder, std::string relativePath,
                   platform::Completion<platform::FolderRef> done) override;
    void entryStatus(platform::FolderRef folder, std::string name,
                     platform::Completion<platform::EntryStatus> done) override;
    void copyFile(const platform::VolumeAccess& source, platform::FolderRef from, std::string fromName,
                  platform::FolderRef to, std::string toName, platform::CopyMode mode, platform::RunControl& control,
                  platform::Finished done) override;
    void copyFolder(const platform::VolumeAccess& source, platform::FolderRef from, std::string fromName,
                    platform::FolderRef to, std::string toName, platform::RunControl& control,
                    platform::EntryFilter leavesOut, std::function<void(platform::FolderCopyOutcome)> done) override;
    void updateAttributes(const platform::VolumeAccess& source, platform::FolderRef from, std::string fromName,
                          platform::FolderRef to, std::string toName, platform::Completion<bool> done) override;
    void settleFolder(const platform::VolumeAccess& source, platform::FolderRef from, platform::FolderRef to,
                      platform::Finished done) override;
    void clearReadOnly(platform::FolderRef folder, std::string name, platform::Finished done) override;
    void removeLeftoverTemporaries(platform::FolderRef folder, platform::Finished done) override;
    void sameBytes(platform::FolderRef folder, std::string name, const platform::VolumeAccess& other,
                   platform::FolderRef otherFolder, std::string otherName, platform::Completion<bool> done) override;
    void moveProven(const platform::VolumeAccess& source, platform::FolderRef from, std::string fromName,
                    platform::FolderRef old, std::string oldName, platform::FolderRef to, std::string toName,
                    platform::SameTime sameTime, platform::EntryFilter leavesOut,
                    std::function<void(platform::ProvenMoveOutcome)> done) override;

    void moveToTrash(platform::FolderRef folder, std::string name,
                     platform::Completion<platform::Trashing> done) override;
    void keepReplacedInTrash(platform::FolderRef folder, std::string name,
                             platform::Completion<platform::Trashing> done) override;
    void undoTrashing(platform::Trashing trashing, platform::FolderRef folder, std::string name,
                      platform::Finished done) override;
    void volumeWithoutTrash(platform::FolderRef folder,
                            platform::Completion<std::optional<std::string>> done) override;
    void roomLeft(platform::FolderRef folder, platform::Completion<std::optional<std::uint64_t>> done) override;
    void recordTrashed(platform::Trashing trashing, platform::Finished done) override;
    void freeTrash(platform::FolderRef folder, std::uint64_t bytes, std::optional<platform::Trashing> kept,
                   platform::Completion<std::uint64_t> done) override;
    void saveTrashRecord(platform::Finished done) override;

private:
    template <typename Answer>
    std::function<void(Answer)> delayed(const std::string& name, std::function<void(Answer)> done);
    // The volume a request of another volume names: a delayed one is read through the one it wraps.
    static const platform::VolumeAccess& unwrapped(const platform::VolumeAccess& volume);
    // Holds the answer for the latency; gives the error injected for this name, if any.
    platform::MaybeError holdAnswer(const std::string& name);

    platform::VolumeAccess& inner_;
    const std::chrono::milliseconds latency_;
    std::map<std::string, int> failures_;
    std::size_t answering_ = 0;
    std::size_t mostAnswering_ = 0;
    mutable std::mutex mutex_;
};

}  // namespace velmorane::testing
