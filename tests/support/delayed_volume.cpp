#include "tests/support/delayed_volume.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace velmorane::testing {

using namespace platform;

DelayedVolume::DelayedVolume(VolumeAccess& inner, std::chrono::milliseconds latency) : inner_(inner), latency_(latency)
{
}

void DelayedVolume::failRequestsNaming(const std::string& name, int errorNumber)
{
    std::lock_guard lock(mutex_);
    failures_[name] = errorNumber;
}

std::size_t DelayedVolume::mostAnsweredAtOnce() const
{
    std::lock_guard lock(mutex_);
    return mostAnswering_;
}

MaybeError DelayedVolume::holdAnswer(const std::string& name)
{
    MaybeError injected;
    {
        std::lock_guard lock(mutex_);
        mostAnswering_ = std::max(mostAnswering_, ++answering_);
        if (const auto failure = failures_.find(name); failure != failures_.end()) {
            injected = systemError(failure->second);
        }
    }
    std::this_thread::sleep_for(latency_);
    std::lock_guard lock(mutex_);
    --answering_;
    return injected;
}

namespace {

template <typename T>
void fail(Result<T>& answer, SystemError error)
{
    answer = Result<T>::failure(std::move(error));
}

void fail(MaybeError& answer, SystemError error)
{
    answer = std::move(error);
}

void fail(FolderCopyOutcome& answer, SystemError error)
{
    answer.failure = std::move(error);
}

void fail(ProvenMoveOutcome& answer, SystemError)
{
    answer = {};
}

}  // namespace

template <typename Answer>
std::function<void(Answer)> DelayedVolume::delayed(const std::string& name, std::function<void(Answer)> done)
{
    return [this, name, done = std::move(done)](Answer answer) {
        if (MaybeError injected = holdAnswer(name)) fail(answer, std::move(*injected));
        done(std::move(answer));
    };
}

const VolumeAccess& DelayedVolume::unwrapped(const VolumeAccess& volume)
{
    const auto* delayedVolume = dynamic_cast<const DelayedVolume*>(&volume);
    return delayedVolume ? delayedVolume->inner_ : volume;
}

void DelayedVolume::openStart(Completion<FolderRef> done)
{
    inner_.openStart(delayed(startFolder(), std::move(done)));
}

void DelayedVolume::readStart(Completion<ReadFolderAnswer> done)
{
    inner_.readStart(delayed(startFolder(), std::move(done)));
}

void DelayedVolume::openFolder(FolderRef parent, std::string name, Completion<FolderRef> done)
{
    auto answer = delayed(name, std::move(done));
    inner_.openFolder(std::move(parent), std::move(name), std::move(answer));
}

void DelayedVolume::readFolder(FolderRef parent, std::string name, Completion<ReadFolderAnswer> done)
{
    auto answer = delayed(name, std::move(done));
    inner_.readFolder(std::move(parent), std::move(name), std::move(answer));
}

void DelayedVolume::readFile(FolderRef folder, std::string name, std::int64_t offset, std::int64_t length,
                             Completion<std::string> done)
{
    auto answer = delayed(name, std::move(done));
    inner_.readFile(std::move(folder), std::move(name), offset, length, std::move(answer));
}

void DelayedVolume::readLink(FolderRef folder, std::string name, Completion<std::string> done)
{
    auto answer = delayed(name, std::move(done));
    inner_.readLink(std::move(folder), std::move(name), std::move(answer));
}

void DelayedVolume::createTemporary(FolderRef folder, Completion<std::string> done)
{
    inner_.createTemporary(std::move(folder), delayed(std::string(), std::move(done)));
}

void DelayedVolume::writeTemporary(FolderRef folder, std::string temporaryName, std::int64_t offset,
                                   std::string bytes, Finished done)
{
    auto answer = delayed(temporaryName, std::move(done));
    inner_.writeTemporary(std::move(folder), std::move(temporaryName), offset, std::move(bytes), std::move(answer));
}

void DelayedVolume::rename(FolderRef fromFolder, std::string fromName, FolderRef toFolder, std::string toName,
                           RenameMode mode, Finished done)
{
    auto answer = delayed(fromName, std::move(done));
    inner_.rename(std::move(fromFolder), std::move(fromName), std::move(toFolder), std::move(toName), mode,
                  std::move(answer));
}

void DelayedVolume::remove(FolderRef folder, std::string name, Finished done)
{
    auto answer = delayed(name, std::move(done));
    inner_.remove(std::move(folder), std::move(name), std::move(answer));
}

void DelayedVolume::removeFolder(FolderRef folder, std::string name, EntryFilter leavesOut, Finished done)
{
    auto answer = delayed(name, std::move(done));
    inner_.removeFolder(std::move(folder), std::move(name), std::move(leavesOut), std::move(answer));
}

void DelayedVolume::makeFolder(FolderRef folder, std::string name, std::uint32_t mode, Finished done)
{
    auto answer = delayed(name, std::move(done));
    inner_.makeFolder(std::move(folder), std::move(name), mode, std::move(answer));
}

void DelayedVolume::setAttributes(FolderRef folder, std::string name, EntryAttributes attributes, Finished done)
{
    auto answer = delayed(name, std::move(done));
    inner_.setAttributes(std::move(folder), std::move(name), attributes, std::move(answer));
}

void DelayedVolume::openBelow(FolderRef folder, std::string relativePath, Completion<FolderRef> done)
{
    auto answer = delayed(relativePath, std::move(done));
    inner_.openBelow(std::move(folder), std::move(relativePath), std::move(answer));
}

void DelayedVolume::entryStatus(FolderRef folder, std::string name, Completion<EntryStatus> done)
{
    auto answer = delayed(name, std::move(done));
    inner_.entryStatus(std::move(folder), std::move(name), std::move(answer));
}

void DelayedVolume::copyFile(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                             std::string toName, CopyMode mode, RunControl& control, Finished done)
{
    auto answer = delayed(toName, std::move(done));
    inner_.copyFile(unwrapped(source), std::move(from), std::move(fromName), std::move(to), std::move(toName), mode,
                    control, std::move(answer));
}

void DelayedVolume::copyFolder(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                               std::string toName, RunControl& control, EntryFilter leavesOut,
                               std::function<void(FolderCopyOutcome)> done)
{
    auto answer = delayed(toName, std::move(done));
    inner_.copyFolder(unwrapped(source), std::move(from), std::move(fromName), std::move(to), std::move(toName),
                      control, std::move(leavesOut), std::move(answer));
}

void DelayedVolume::updateAttributes(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                                     std::string toName, Completion<bool> done)
{
    auto answer = delayed(toName, std::move(done));
    inner_.updateAttributes(unwrapped(source), std::move(from), std::move(fromName), std::move(to), std::move(toName),
                            std::move(answer));
}

void DelayedVolume::attributesDiffer(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef to,
                                     std::string toName, Completion<bool> done)
{
    auto answer = delayed(toName, std::move(done));
    inner_.attributesDiffer(unwrapped(source), std::move(from), std::move(fromName), std::move(to),
                            std::move(toName), std::move(answer));
}

void DelayedVolume::settleFolder(const VolumeAccess& source, FolderRef from, FolderRef to, Finished done)
{
    auto answer = delayed(to->path(), std::move(done));
    inner_.settleFolder(unwrapped(source), std::move(from), std::move(to), std::move(answer));
}

void DelayedVolume::clearReadOnly(FolderRef folder, std::string name, Finished done)
{
    auto answer = delayed(name, std::move(done));
    inner_.clearReadOnly(std::move(folder), std::move(name), std::move(answer));
}

void DelayedVolume::removeLeftoverTemporaries(FolderRef folder, Finished done)
{
    auto answer = delayed(folder->path(), std::move(done));
    inner_.removeLeftoverTemporaries(std::move(folder), std::move(answer));
}

void DelayedVolume::sameBytes(FolderRef folder, std::string name, const VolumeAccess& other, FolderRef otherFolder,
                              std::string otherName, Completion<bool> done)
{
    auto answer = delayed(name, std::move(done));
    inner_.sameBytes(std::move(folder), std::move(name), unwrapped(other), std::move(otherFolder),
                     std::move(otherName), std::move(answer));
}

void DelayedVolume::moveProven(const VolumeAccess& source, FolderRef from, std::string fromName, FolderRef old,
                               std::string oldName, FolderRef to, std::string toName, SameTime sameTime,
                               EntryFilter leavesOut, std::function<void(ProvenMoveOutcome)> done)
{
    auto answer = delayed(toName, std::move(done));
    inner_.moveProven(unwrapped(source), std::move(from), std::move(fromName), std::move(old), std::move(oldName),
                      std::move(to), std::move(toName), std::move(sameTime), std::move(leavesOut), std::move(answer));
}

void DelayedVolume::moveToTrash(FolderRef folder, std::string name, Completion<Trashing> done)
{
    auto answer = delayed(name, std::move(done));
    inner_.moveToTrash(std::move(folder), std::move(name), std::move(answer));
}

void DelayedVolume::keepReplacedInTrash(FolderRef folder, std::string name, Completion<Trashing> done)
{
    auto answer = delayed(name, std::move(done));
    inner_.keepReplacedInTrash(std::move(folder), std::move(name), std::move(answer));
}

void DelayedVolume::undoTrashing(Trashing trashing, FolderRef folder, std::string name, Finished done)
{
    auto answer = delayed(name, std::move(done));
    inner_.undoTrashing(std::move(trashing), std::move(folder), std::move(name), std::move(answer));
}

void DelayedVolume::volumeWithoutTrash(FolderRef folder, Completion<std::optional<std::string>> done)
{
    auto answer = delayed(folder->path(), std::move(done));
    inner_.volumeWithoutTrash(std::move(folder), std::move(answer));
}

void DelayedVolume::roomLeft(FolderRef folder, Completion<std::optional<std::uint64_t>> done)
{
    auto answer = delayed(folder->path(), std::move(done));
    inner_.roomLeft(std::move(folder), std::move(answer));
}

void DelayedVolume::recordTrashed(Trashing trashing, Finished done)
{
    auto answer = delayed(trashing.trashName, std::move(done));
    inner_.recordTrashed(std::move(trashing), std::move(answer));
}

void DelayedVolume::freeTrash(FolderRef folder, std::uint64_t bytes, std::optional<Trashing> kept,
                              Completion<std::uint64_t> done)
{
    auto answer = delayed(folder->path(), std::move(done));
    inner_.freeTrash(std::move(folder), bytes, std::move(kept), std::move(answer));
}

void DelayedVolume::saveTrashRecord(Finished done)
{
    inner_.saveTrashRecord(delayed(std::string(), std::move(done)));
}

}  // namespace velmorane::testing
