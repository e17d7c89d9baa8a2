#include "platform/same_bytes.h"

#include "platform/file_status.h"
#include "platform/open_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmorane::platform {
namespace {

// Most files that are not the same differ early: the first read is small, the next ones grow.
constexpr std::size_t kFirstBlock = 64 * 1024;
constexpr std::size_t kLargestBlock = 1024 * 1024;

Result<bool> failure()
{
    return Result<bool>::failure(systemError(errno));
}

bool unchanged(const struct stat& before, const struct stat& after)
{
    return before.st_size == after.st_size && before.st_mtim.tv_sec == after.st_mtim.tv_sec &&
           before.st_mtim.tv_nsec == after.st_mtim.tv_nsec && before.st_ctim.tv_sec == after.st_ctim.tv_sec &&
           before.st_ctim.tv_nsec == after.st_ctim.tv_nsec;
}

// Reads as much of `size` bytes as the file has from `offset`; fewer only at its end.
ssize_t readFully(int fd, char* buffer, std::size_t size, off_t offset)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, buffer + done, size - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return got;
        if (got == 0) break;
        done += static_cast<std::size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

int openForReading(const FolderHandle& folder, const std::string& name)
{
    const int flags = O_RDONLY | O_NOFOLLOW | O_CLOEXEC;
    const int fd = ::openat(folder.fd(), name.c_str(), flags | O_NOATIME);
    if (fd >= 0 || errno != EPERM) return fd;
    return ::openat(folder.fd(), name.c_str(), flags);  // O_NOATIME is for the owner only
}

Result<bool> sameContentOf(int first, int second, std::int64_t size)
{
    ::posix_fadvise(first, 0, 0, POSIX_FADV_SEQUENTIAL);
    ::posix_fadvise(second, 0, 0, POSIX_FADV_SEQUENTIAL);
    std::vector<char> a(kLargestBlock);
    std::vector<char> b(kLargestBlock);
    std::size_t block = kFirstBlock;
    for (off_t offset = 0; offset < size;) {
        const ssize_t gotA = readFully(first, a.data(), block, offset);
        const ssize_t gotB = readFully(second, b.data(), block, offset);
        if (gotA < 0 || gotB < 0) return failure();
        if (gotA != gotB || std::memcmp(a.data(), b.data(), static_cast<std::size_t>(gotA)) != 0) return {false, {}};
        if (gotA == 0) break;
        offset += gotA;
        block = std::min(block * 2, kLargestBlock);
    }
    return {true, std::nullopt};
}

Result<bool> sameFiles(const FolderHandle& firstFolder, const std::string& firstName,
                       const FolderHandle& secondFolder, const std::string& secondName)
{
    const OpenFile first(openForReading(firstFolder, firstName));
    if (first.fd() < 0) return failure();
    const OpenFile second(openForReading(secondFolder, secondName));
    if (second.fd() < 0) return failure();
    struct stat firstBefore{}, secondBefore{};
    if (::fstat(first.fd(), &firstBefore) != 0 || ::fstat(second.fd(), &secondBefore) != 0) return failure();
    if (!S_ISREG(firstBefore.st_mode) || !S_ISREG(secondBefore.st_mode) ||
        firstBefore.st_size != secondBefore.st_size) {
        return {false, std::nullopt};
    }
    const auto same = sameContentOf(first.fd(), second.fd(), firstBefore.st_size);
    if (!same.ok() || !same.value) return same;
    struct stat firstAfter{}, secondAfter{};
    if (::fstat(first.fd(), &firstAfter) != 0 || ::fstat(second.fd(), &secondAfter) != 0) return failure();
    return {unchanged(firstBefore, firstAfter) && unchanged(secondBefore, secondAfter), std::nullopt};
}

Result<std::string> linkTarget(const FolderHandle& folder, const std::string& name)
{
    std::vector<char> target(4096);
    for (;;) {
        const ssize_t length = ::readlinkat(folder.fd(), name.c_str(), target.data(), target.size());
        if (length < 0) return Result<std::string>::failure(systemError(errno));
        if (static_cast<std::size_t>(length) < target.size()) return {std::string(target.data(), length), {}};
        target.resize(target.size() * 2);
    }
}

}  // namespace

Result<bool> sameBytes(const FolderHandle& firstFolder, const std::string& firstName,
                       const FolderHandle& secondFolder, const std::string& secondName)
{
    const auto first = statusAt(firstFolder, firstName);
    const auto second = statusAt(secondFolder, secondName);
    if (!first.ok()) return Result<bool>::failure(*first.error);
    if (!second.ok()) return Result<bool>::failure(*second.error);
    const bool firstIsLink = S_ISLNK(first.value.info.st_mode);
    if (firstIsLink != S_ISLNK(second.value.info.st_mode)) return {false, std::nullopt};
    if (!firstIsLink) return sameFiles(firstFolder, firstName, secondFolder, secondName);
    const auto firstTarget = linkTarget(firstFolder, firstName);
    const auto secondTarget = linkTarget(secondFolder, secondName);
    if (!firstTarget.ok()) return Result<bool>::failure(*firstTarget.error);
    if (!secondTarget.ok()) return Result<bool>::failure(*secondTarget.error);
    return {firstTarget.value == secondTarget.value, std::nullopt};
}

}  // namespace velmorane::platform
