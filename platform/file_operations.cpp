#include "platform/file_operations.h"

#include "platform/paths.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <optional>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmorane::platform {
namespace {

constexpr std::size_t kChunk = std::size_t{1} << 30;

// Past a file-size limit a write must fail with EFBIG rather than end the program.
void ignoreFileSizeSignal()
{
    static const bool ignored = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)ignored;
}

MaybeError lastError()
{
    return systemError(errno);
}

std::string temporaryTemplate(const std::string& target)
{
    const std::string name = lastComponent(target);
    const std::string prefix = name.size() < 200 ? "." + name : std::string(".velmorane");
    return joinPath(parentFolder(target), prefix + ".XXXXXX");
}

MaybeError copyContent(int in, int out, std::int64_t size)
{
    std::int64_t left = size;
    bool kernelCopy = true;
    while (left > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<std::int64_t>(left, kChunk));
        ssize_t n = -1;
        if (kernelCopy) {
            n = ::copy_file_range(in, nullptr, out, nullptr, chunk, 0);
            if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
                kernelCopy = false;
                continue;
            }
        } else {
            n = ::sendfile(out, in, nullptr, chunk);
        }
        if (n < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        if (n == 0) break;  // the source shrank while we copied
        left -= n;
    }
    return std::nullopt;
}

MaybeError setTimes(const std::string& path, const struct stat& source, int flags)
{
    const timespec times[2] = {source.st_atim, source.st_mtim};
    if (::utimensat(AT_FDCWD, path.c_str(), times, flags) != 0) return lastError();
    return std::nullopt;
}

MaybeError copyLinkAtomically(const std::string& from, const std::string& to, const struct stat& source)
{
    std::string target(static_cast<std::size_t>(source.st_size) + 1, '\0');
    const ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
    if (length < 0) return lastError();
    target.resize(static_cast<std::size_t>(length));

    // A link cannot be made under a random name atomically, so try fresh names until one is free.
    for (unsigned attempt = 0;; ++attempt) {
        const std::string temporary = joinPath(parentFolder(to), ".velmorane-link-" + std::to_string(::getpid()) +
                                                                     "-" + std::to_string(attempt));
        if (::symlink(target.c_str(), temporary.c_str()) != 0) {
            if (errno == EEXIST) continue;
            return lastError();
        }
        MaybeError error = setTimes(temporary, source, AT_SYMLINK_NOFOLLOW);
        if (!error && ::rename(temporary.c_str(), to.c_str()) != 0) error = lastError();
        if (error) ::unlink(temporary.c_str());
        return error;
    }
}

MaybeError copyRegularAtomically(const std::string& from, const std::string& to)
{
    // Non-blocking, so that a FIFO put in the file's place since it was listed cannot hang the open.
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (in < 0) return lastError();
    struct stat source{};
    MaybeError opened;
    if (::fstat(in, &source) != 0) {
        opened = lastError();
    } else if (!S_ISREG(source.st_mode)) {
        opened = systemError(S_ISDIR(source.st_mode) ? EISDIR : EINVAL);
    }
    if (opened) {
        ::close(in);
        return opened;
    }
    std::string temporary = temporaryTemplate(to);
    const int out = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (out < 0) {
        const auto error = lastError();
        ::close(in);
        return error;
    }
    MaybeError error = copyContent(in, out, source.st_size);
    if (!error && ::fchmod(out, source.st_mode & 07777) != 0) error = lastError();
    const timespec times[2] = {source.st_atim, source.st_mtim};
    if (!error && ::futimens(out, times) != 0) error = lastError();
    if (::close(out) != 0 && !error) error = lastError();
    ::close(in);
    if (!error && ::rename(temporary.c_str(), to.c_str()) != 0) error = lastError();
    if (error) ::unlink(temporary.c_str());
    return error;
}

MaybeError forEachEntry(const std::string& folder, const auto& visit)
{
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return lastError();
    std::vector<std::pair<std::string, unsigned char>> entries;
    errno = 0;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") entries.emplace_back(name, entry->d_type);
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0) return systemError(readError);
    for (const auto& [name, type] : entries) {
        if (auto error = visit(joinPath(folder, name), type)) return error;
    }
    return std::nullopt;
}

EntryKind kindOf(const std::string& path, unsigned char type)
{
    switch (type) {
    case DT_DIR: return EntryKind::Folder;
    case DT_REG: return EntryKind::File;
    case DT_LNK: return EntryKind::Link;
    case DT_UNKNOWN: return lookUp(path).value;
    default: return EntryKind::Other;
    }
}

struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> identityOf(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

// `copyRoot` is the folder made by the outermost call: met again inside the source, when the
// destination lies within it, it is not copied into itself.
MaybeError copyFolderInto(const std::string& from, const std::string& to, std::optional<FileIdentity> copyRoot)
{
    struct stat source{};
    if (::lstat(from.c_str(), &source) != 0) return lastError();
    if (!S_ISDIR(source.st_mode)) return systemError(ENOTDIR);
    // Created private, and given the source's permission bits once its content is in.
    if (::mkdir(to.c_str(), 0700) != 0) {
        if (errno != EEXIST) return lastError();
        if (lookUp(to).value != EntryKind::Folder) return systemError(ENOTDIR);
    }
    if (!copyRoot) {
        struct stat made{};
        if (::lstat(to.c_str(), &made) != 0) return lastError();
        copyRoot = FileIdentity{made.st_dev, made.st_ino};
    }
    auto error = forEachEntry(from, [&](const std::string& path, unsigned char type) -> MaybeError {
        const std::string target = joinPath(to, lastComponent(path));
        switch (kindOf(path, type)) {
        case EntryKind::Folder:
            if (identityOf(path) == copyRoot) return std::nullopt;
            return copyFolderInto(path, target, copyRoot);
        // The listing already says it is a regular file: no second look-up of it.
        case EntryKind::File: return copyRegularAtomically(path, target);
        case EntryKind::Link: return copyFileAtomically(path, target);
        default: return std::nullopt;  // sockets, FIFOs and devices are not copied
        }
    });
    if (error) return error;
    if (::chmod(to.c_str(), source.st_mode & 07777) != 0) return lastError();
    return setTimes(to, source, 0);
}

}  // namespace

Result<EntryKind> lookUp(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) return {EntryKind::Missing, systemError(errno)};
    if (S_ISDIR(info.st_mode)) return {EntryKind::Folder, std::nullopt};
    if (S_ISREG(info.st_mode)) return {EntryKind::File, std::nullopt};
    if (S_ISLNK(info.st_mode)) return {EntryKind::Link, std::nullopt};
    return {EntryKind::Other, std::nullopt};
}

MaybeError copyFileAtomically(const std::string& from, const std::string& to)
{
    ignoreFileSizeSignal();
    struct stat source{};
    if (::lstat(from.c_str(), &source) != 0) return lastError();
    if (S_ISLNK(source.st_mode)) return copyLinkAtomically(from, to, source);
    if (!S_ISREG(source.st_mode)) return systemError(S_ISDIR(source.st_mode) ? EISDIR : EINVAL);
    return copyRegularAtomically(from, to);
}

MaybeError copyFolder(const std::string& from, const std::string& to)
{
    ignoreFileSizeSignal();
    return copyFolderInto(from, to, std::nullopt);
}

MaybeError clearReadOnly(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) return lastError();
    if (S_ISLNK(info.st_mode) || (info.st_mode & S_IWUSR)) return std::nullopt;
    if (::chmod(path.c_str(), (info.st_mode & 07777) | S_IWUSR) != 0) return lastError();
    return std::nullopt;
}

bool isReadOnly(const std::string& path)
{
    struct stat info{};
    return ::lstat(path.c_str(), &info) == 0 && !S_ISLNK(info.st_mode) && !(info.st_mode & S_IWUSR);
}

MaybeError deleteFile(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) return lastError();
    if (S_ISDIR(info.st_mode)) return systemError(EISDIR);
    if (::unlink(path.c_str()) != 0) return lastError();
    return std::nullopt;
}

MaybeError deleteFolder(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) return lastError();
    if (!S_ISDIR(info.st_mode)) return systemError(ENOTDIR);
    // The folder must be readable and writable by us for its content to go.
    if ((info.st_mode & S_IRWXU) != S_IRWXU && ::chmod(path.c_str(), (info.st_mode & 07777) | S_IRWXU) != 0) {
        return lastError();
    }
    auto error = forEachEntry(path, [](const std::string& entry, unsigned char type) -> MaybeError {
        if (kindOf(entry, type) == EntryKind::Folder) return deleteFolder(entry);
        if (::unlink(entry.c_str()) != 0) return lastError();
        return std::nullopt;
    });
    if (error) return error;
    if (::rmdir(path.c_str()) != 0) return lastError();
    return std::nullopt;
}

MaybeError renameFile(const std::string& from, const std::string& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return std::nullopt;
    if (errno != EEXIST) return lastError();
    struct stat source{};
    struct stat target{};
    // Only the same file under another letter case may be "replaced": it is one file.
    if (::lstat(from.c_str(), &source) == 0 && ::lstat(to.c_str(), &target) == 0 && source.st_dev == target.st_dev &&
        source.st_ino == target.st_ino && ::rename(from.c_str(), to.c_str()) == 0) {
        return std::nullopt;
    }
    return systemError(EEXIST);
}

}  // namespace velmorane::platform
