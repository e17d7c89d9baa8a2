#include "tests/support/test_tree.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

[[noreturn]] void fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void makeParents(const std::string& path)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (error) throw std::runtime_error("create_directories " + path + ": " + error.message());
}

void setTime(const std::string& path, std::int64_t mtime)
{
    const timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) fail("utimensat", path);
}

// Gives the owner every right on each folder before removal: an unreadable or read-only folder would
// otherwise stop remove_all when the tests do not run as root.
void grantOwnerRights(const std::string& folder)
{
    struct stat info{};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return;
    ::chmod(folder.c_str(), (info.st_mode & 07777) | S_IRWXU);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") grantOwnerRights(folder + "/" + name);
    }
    ::closedir(dir);
}

std::string contentHash(const std::string& path)
{
    const std::string bytes = readFileBytes(path);
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : bytes) hash = (hash ^ c) * 1099511628211ull;
    char text[20];
    std::snprintf(text, sizeof text, "#%016llx", static_cast<unsigned long long>(hash));
    return text;
}

// Each line is kept with its path, so a folder sorts just before its own content.
using TreeLine = std::pair<std::string, std::string>;

void readEntries(const std::string& root, const std::string& relative, FolderTimes folderTimes,
                 std::vector<TreeLine>& lines)
{
    DIR* dir = ::opendir((root + "/" + relative).c_str());
    if (!dir) fail("opendir", root + "/" + relative);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string path = relative + name;
        const std::string full = root + "/" + path;
        struct stat info{};
        if (::lstat(full.c_str(), &info) != 0) fail("lstat", full);
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        const std::string time = std::to_string(info.st_mtim.tv_sec);
        if (S_ISDIR(info.st_mode)) {
            const std::string shownTime = folderTimes == FolderTimes::Included ? time : "";
            lines.emplace_back(path + "/", path + "/||" + shownTime + "|" + mode + "|");
            readEntries(root, path + "/", folderTimes, lines);
            continue;
        }
        std::string detail;
        if (S_ISLNK(info.st_mode)) {
            std::string target(static_cast<std::size_t>(info.st_size), '\0');
            if (::readlink(full.c_str(), target.data(), target.size()) < 0) fail("readlink", full);
            detail = "-> " + target;
        } else if (S_ISREG(info.st_mode)) {
            detail = contentHash(full);
        } else {
            detail = "special";
        }
        lines.emplace_back(path, path + "|" + std::to_string(info.st_size) + "|" + time + "|" + mode + "|" + detail);
    }
    ::closedir(dir);
}

}  // namespace

TempFolder::TempFolder()
{
    std::string pattern = "/tmp/velmorane-test-XXXXXX";
    if (!::mkdtemp(pattern.data())) fail("mkdtemp", pattern);
    root_ = pattern;
}

TempFolder::~TempFolder()
{
    grantOwnerRights(root_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TempFolder::path(std::string_view relative) const
{
    return relative.empty() ? root_ : root_ + "/" + std::string(relative);
}

std::string TempFolder::makeFile(std::string_view relative, std::string_view content, std::int64_t mtime)
{
    const std::string full = path(relative);
    makeParents(full);
    const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("open", full);
    const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    ::close(fd);
    if (!written) fail("write", full);
    setTime(full, mtime);
    return full;
}

std::string TempFolder::makeFile(std::string_view relative, std::int64_t size, std::int64_t mtime)
{
    const std::string full = path(relative);
    makeParents(full);
    const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("open", full);
    const bool sized = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
    ::close(fd);
    if (!sized) fail("ftruncate", full);
    setTime(full, mtime);
    return full;
}

std::string TempFolder::makeFolder(std::string_view relative)
{
    const std::string full = path(relative);
    std::error_code error;
    std::filesystem::create_directories(full, error);
    if (error) throw std::runtime_error("create_directories " + full + ": " + error.message());
    return full;
}

std::string TempFolder::makeLink(std::string_view relative, std::string_view target, std::int64_t mtime)
{
    const std::string full = path(relative);
    makeParents(full);
    if (::symlink(std::string(target).c_str(), full.c_str()) != 0) fail("symlink", full);
    setTime(full, mtime);
    return full;
}

void TempFolder::setMtime(std::string_view relative, std::int64_t mtime)
{
    setTime(path(relative), mtime);
}

void TempFolder::chownAll(unsigned uid, unsigned gid)
{
    if (::geteuid() != 0) return;  // only root may; an ordinary user's tests keep their own tree
    std::error_code error;
    ::lchown(root_.c_str(), uid, gid);
    for (auto it = std::filesystem::recursive_directory_iterator(root_, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (::lchown(it->path().c_str(), uid, gid) != 0) fail("lchown", it->path().string());
    }
}

std::vector<std::string> readTree(const std::string& root, FolderTimes folderTimes)
{
    std::vector<TreeLine> entries;
    readEntries(root, "", folderTimes, entries);
    std::sort(entries.begin(), entries.end());
    std::vector<std::string> lines;
    for (auto& entry : entries) lines.push_back(std::move(entry.second));
    return lines;
}

std::string readFileBytes(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("open", path);
    std::string bytes;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
}

}  // namespace velmorane::testing
