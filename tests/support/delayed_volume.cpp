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

template <typename T>
Completion<T> DelayedVolume::delayed(const std::string& name, Completion<T> done)
{
    return [this, name, done = std::move(done)](Result<T> answer) {
        if (MaybeError injected = holdAnswer(name)) answer = Result<T>::failure(std::move(*injected));
        done(std::move(answer));
    };
}

Finished DelayedVolume::delayed(const std::string& name, Finished done)
{
    return [this, name, done = std::move(done)](MaybeError failure) {
        if (MaybeError injected = holdAnswer(name)) failure = std::move(injected);
        done(std::move(failure));
    };
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

void DelayedVolume::moveToTrash(FolderRef folder, std::string name, Completion<TrashOutcome> done)
{
    auto answer = delayed(name, std::move(done));
    inner_.moveToTrash(std::move(folder), std::move(name), std::move(answer));
}

}  // namespace velmorane::testing
