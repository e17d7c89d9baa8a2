#include "platform/sftp_calls.h"

#include "platform/sftp_errors.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>

namespace velmorane::platform {
namespace {

// OpenSSH's server answers reads of up to 256 KiB; 32 KiB blocks many at once fill the channel.
constexpr std::uint64_t kBlockSize = 32 * 1024;

template <typename T>
Result<T> valueOf(SftpResult<T> answer)
{
    if (!answer.ok()) return Result<T>::failure(systemErrorOf(*answer.error));
    return {std::move(answer.value), std::nullopt};
}

}  // namespace

std::vector<SftpResult<SftpAnswer>> callAll(SftpChannel& channel, std::vector<SftpRequest> requests)
{
    std::vector<SftpResult<SftpAnswer>> answers(requests.size());
    std::mutex mutex;
    std::condition_variable answered;
    std::size_t waiting = requests.size();
    for (std::size_t i = 0; i < requests.size(); ++i) {
        channel.submit(std::move(requests[i]), [&, i](SftpResult<SftpAnswer> answer) {
            std::lock_guard lock(mutex);
            answers[i] = std::move(answer);
            if (--waiting == 0) answered.notify_all();
        });
    }
    std::unique_lock lock(mutex);
    answered.wait(lock, [&] { return waiting == 0; });
    return answers;
}

MaybeError remoteDone(SftpChannel& channel, SftpRequest request)
{
    const auto done = answeredDone(channel.call(std::move(request)));
    if (!done.ok()) return systemErrorOf(*done.error);
    return std::nullopt;
}

Result<SftpAttributes> remoteLinkStatus(SftpChannel& channel, const std::string& path)
{
    return valueOf(answeredAttributes(channel.call(linkStatusRequest(path))));
}

Result<std::string> remoteRealPath(SftpChannel& channel, const std::string& path)
{
    return valueOf(answeredName(channel.call(realPathRequest(path))));
}

Result<SftpFileSystem> remoteFileSystem(SftpChannel& channel, const std::string& path)
{
    if (!channel.offers(kStatvfs)) return Result<SftpFileSystem>::failure(systemError(EOPNOTSUPP));
    return valueOf(answeredFileSystem(channel.call(extendedRequest(kStatvfs, {path}))));
}

Result<std::vector<SftpNamedEntry>> remoteEntries(SftpChannel& channel, const std::string& path)
{
    const auto handle = answeredHandle(channel.call(folderOpeningRequest(path)));
    if (!handle.ok()) return Result<std::vector<SftpNamedEntry>>::failure(systemErrorOf(*handle.error));
    std::vector<SftpNamedEntry> entries;
    std::optional<SftpError> failure;
    for (;;) {
        auto answer = channel.call(folderReadingRequest(handle.value));
        if (!answer.ok()) failure = answer.error;
        if (!answer.ok() || answer.value.type == SftpPacketType::Status) break;
        for (SftpNamedEntry& entry : answer.value.names) {
            if (entry.name != "." && entry.name != "..") entries.push_back(std::move(entry));
        }
    }
    (void)channel.call(closingRequest(handle.value));
    if (failure) return Result<std::vector<SftpNamedEntry>>::failure(systemErrorOf(*failure));
    return {std::move(entries), std::nullopt};
}

Result<std::string> remoteBytes(SftpChannel& channel, const std::string& path, std::uint64_t offset,
                                std::uint64_t length)
{
    const auto handle = answeredHandle(channel.call(fileOpeningRequest(path, kSftpOpenRead, {})));
    if (!handle.ok()) return Result<std::string>::failure(systemErrorOf(*handle.error));
    std::string bytes;
    std::optional<SftpError> failure;
    // What follows a short answer is asked again in the next round; a round that brings nothing
    // is the end of the file.
    while (!failure && bytes.size() < length) {
        std::vector<SftpRequest> reads;
        std::vector<std::uint64_t> asked;
        const std::uint64_t from = offset + bytes.size();
        const std::uint64_t left = length - bytes.size();
        for (std::uint64_t at = 0; at < left; at += kBlockSize) {
            asked.push_back(std::min(kBlockSize, left - at));
            reads.push_back(fileReadingRequest(handle.value, from + at, static_cast<std::uint32_t>(asked.back())));
        }
        const std::size_t before = bytes.size();
        bool contiguous = true;
        auto answers = callAll(channel, std::move(reads));
        for (std::size_t i = 0; i < answers.size(); ++i) {
            if (!answers[i].ok() && !failure) failure = answers[i].error;
            if (failure || !contiguous || answers[i].value.type != SftpPacketType::Data) {
                contiguous = false;
                continue;
            }
            bytes += answers[i].value.bytes;
            if (answers[i].value.bytes.size() < asked[i]) contiguous = false;
        }
        if (bytes.size() == before) break;
    }
    (void)channel.call(closingRequest(handle.value));
    if (failure) return Result<std::string>::failure(systemErrorOf(*failure));
    return {std::move(bytes), std::nullopt};
}

MaybeError remoteWrite(SftpChannel& channel, const std::string& handle, std::uint64_t offset, std::string_view bytes)
{
    std::vector<SftpRequest> writes;
    for (std::uint64_t at = 0; at < bytes.size(); at += kBlockSize) {
        writes.push_back(fileWritingRequest(handle, offset + at, bytes.substr(at, kBlockSize)));
    }
    for (const auto& answer : callAll(channel, std::move(writes))) {
        const auto done = answeredDone(answer);
        if (!done.ok()) return systemErrorOf(*done.error);
    }
    return std::nullopt;
}

}  // namespace velmorane::platform
