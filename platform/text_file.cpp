#include "platform/text_file.h"

#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

// The profile file and the journal end each line with CR LF on disk, as the files they continue do.
std::string joinedLines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

std::string encodeLines(const std::vector<std::string>& lines)
{
    std::string text = joinedLines(lines);
    if (auto narrow = utf8ToWindows1252(text)) return *narrow;
    return text;
}

MaybeError writeAll(int fd, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return systemError(errno);
        }
        written += static_cast<std::size_t>(n);
    }
    return std::nullopt;
}

ssize_t writeOnce(int fd, std::string_view bytes)
{
    ssize_t n = 0;
    do {
        n = ::write(fd, bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    return n;
}

// One write, so that appends of other processes never land inside these bytes. A short write (a
// full disk, a size limit) is completed once only to learn the system's reason; if that fails too,
// the file is cut back to where these bytes began, so it never keeps a part of them.
MaybeError appendWhole(int fd, std::string_view bytes)
{
    const ssize_t first = writeOnce(fd, bytes);
    if (first < 0) return systemError(errno);
    const std::string_view rest = bytes.substr(static_cast<std::size_t>(first));
    if (rest.empty()) return std::nullopt;
    const off_t end = ::lseek(fd, 0, SEEK_CUR);
    errno = 0;
    const ssize_t second = writeOnce(fd, rest);
    if (second == static_cast<ssize_t>(rest.size())) return std::nullopt;
    const SystemError failure = systemError(second < 0 && errno != 0 ? errno : EIO);
    // Where even the cut fails, the write's reason is still the one to tell.
    [[maybe_unused]] const bool cut = end >= first && ::ftruncate(fd, end - first) == 0;
    return failure;
}

// Reads the file from where it stands to its end; 0, or the system's error number.
int readRest(int fd, std::string& bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return 0;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
}

// Whether the file open for appending at fd already holds bytes that are not UTF-8, read through a
// second opening of path that must be that same file.
bool holdsWindows1252(int fd, const std::string& path)
{
    struct stat appended{};
    if (::fstat(fd, &appended) != 0 || !S_ISREG(appended.st_mode) || appended.st_size == 0) return false;
    const int reader = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (reader < 0) return false;
    struct stat opened{};
    std::string bytes;
    const bool same =
        ::fstat(reader, &opened) == 0 && opened.st_dev == appended.st_dev && opened.st_ino == appended.st_ino;
    const bool readWhole = same && readRest(reader, bytes) == 0;
    ::close(reader);
    return readWhole && !isValidUtf8(bytes);
}

mode_t modeForNewFile(const std::string& path)
{
    struct stat existing{};
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string linkTarget(const std::string& path)
{
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string target(resolved);
    std::free(resolved);
    return target;
}

// The temporary file of `path`, made new in its folder (O_EXCL), so a name planted there meanwhile
// is never written through.
int makeTemporaryBeside(const std::string& path, std::string& temporary)
{
    const std::string parent = parentFolder(path);
    // Built piece by piece: at -O2 GCC 12 warns falsely (-Wrestrict) on a literal assigned to, or put
    // before, a string.
    std::string name = ".";
    name += lastComponent(path);
    name += ".XXXXXX";
    temporary = joinPath(parent.empty() ? std::string_view(".") : std::string_view(parent), name);
    return ::mkostemp(temporary.data(), O_CLOEXEC);
}

MaybeError copyInto(const std::string& from, int toFd)
{
    const int fromFd = ::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fromFd < 0) return systemError(errno);
    MaybeError error;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fromFd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) error = systemError(errno);
        if (n <= 0) break;
        if ((error = writeAll(toFd, std::string(buffer, static_cast<std::size_t>(n))))) break;
    }
    // Permission bits that the volume cannot keep are no failure of the copy.
    struct stat info{};
    [[maybe_unused]] const bool kept = ::fstat(fromFd, &info) == 0 && ::fchmod(toFd, info.st_mode & 07777) == 0;
    ::close(fromFd);
    return error;
}

// The file as it stands goes to `backup`, replacing whatever had that name (a link there is
// replaced, never followed). A hard link costs nothing; a copy serves where links are not kept.
MaybeError keepBackup(const std::string& path, const std::string& backup)
{
    struct stat existing{};
    if (::stat(path.c_str(), &existing) != 0) return errno == ENOENT ? MaybeError{} : systemError(errno);
    std::string temporary;
    const int reserved = makeTemporaryBeside(backup, temporary);
    if (reserved < 0) return systemError(errno);
    ::close(reserved);
    // The new empty file only found a free name for the link, or for the copy.
    MaybeError error;
    if (::unlink(temporary.c_str()) != 0 || ::link(path.c_str(), temporary.c_str()) != 0) {
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        error = fd < 0 ? systemError(errno) : copyInto(path, fd);
        if (fd >= 0 && ::close(fd) != 0 && !error) error = systemError(errno);
    }
    if (!error && ::rename(temporary.c_str(), backup.c_str()) != 0) error = systemError(errno);
    if (error) ::unlink(temporary.c_str());
    return error;
}

}  // namespace

Result<std::vector<std::string>> readTextLines(const std::string& path)
{
    // Without O_NONBLOCK a pipe put in the file's place would hold the program until someone writes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Result<std::vector<std::string>>::failure(systemError(errno));
    std::string bytes;
    const int error = readRest(fd, bytes);
    ::close(fd);
    if (error != 0) return Result<std::vector<std::string>>::failure(systemError(error));

    // A byte-order mark, as some editors write, says UTF-8 and is no part of the first line.
    std::string_view content(bytes);
    if (content.starts_with("\xEF\xBB\xBF")) content.remove_prefix(3);
    const std::string text = isValidUtf8(content) ? std::string(content) : windows1252ToUtf8(content);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::size_t lineEnd = end;
        if (lineEnd > start && text[lineEnd - 1] == '\r') --lineEnd;
        lines.push_back(text.substr(start, lineEnd - start));
        start = end + 1;
    }
    return {std::move(lines), std::nullopt};
}

MaybeError writeTextFileAtomically(const std::string& requestedPath, const std::vector<std::string>& lines,
                                   std::string_view backupSuffix)
{
    ignoreFileSizeSignal();
    // Through a link the file it points to is replaced, not the link; a read-only file is left as
    // the user protected it.
    const std::string path = linkTarget(requestedPath);
    struct stat existing{};
    if (::stat(path.c_str(), &existing) == 0 && !(existing.st_mode & S_IWUSR)) return systemError(EACCES);
    std::string temporary;
    const int fd = makeTemporaryBeside(path, temporary);
    if (fd < 0) return systemError(errno);
    MaybeError error = writeAll(fd, encodeLines(lines));
    // A volume that keeps no permission bits (FAT in user space) refuses to set them: the file then
    // stays as private as it was made, which is no failure.
    [[maybe_unused]] const bool modeSet = !error && ::fchmod(fd, modeForNewFile(path)) == 0;
    if (!error && ::fsync(fd) != 0) error = systemError(errno);
    if (::close(fd) != 0 && !error) error = systemError(errno);
    if (!error && !backupSuffix.empty()) error = keepBackup(path, path + std::string(backupSuffix));
    if (!error && ::rename(temporary.c_str(), path.c_str()) != 0) error = systemError(errno);
    if (error) ::unlink(temporary.c_str());
    return error;
}

MaybeError appendTextLines(const std::string& path, const std::vector<std::string>& lines)
{
    ignoreFileSizeSignal();
    // Never through a link: whoever planted one would choose which file grows. A pipe in its place
    // fails at once instead of holding a scheduled run until someone reads it.
    const int fd =
        ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return systemError(errno);
    const std::string text = joinedLines(lines);
    MaybeError error =
        appendWhole(fd, holdsWindows1252(fd, path) ? utf8ToWindows1252Replacing(text) : repairedUtf8(text));
    if (::close(fd) != 0 && !error) error = systemError(errno);
    return error;
}

bool fileExists(const std::string& path)
{
    struct stat info{};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace velmorane::platform
