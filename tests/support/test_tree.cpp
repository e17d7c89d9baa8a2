#include "tests/support/test_tree.h"

#include "platform/date_text.h"
#include "platform/file_operations.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <linux/fs.h>
#include <stdexcept>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void fail(const std::string& what, const std::string& path)
{
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

std::string makeFolders(const std::string& path)
{
    std::error_code error;
    fs::create_directories(path, error);
    if (error) throw std::runtime_error("create_directories " + path + ": " + error.message());
    return path;
}

void setTime(const std::string& path, std::int64_t mtime)
{
    const timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) fail("utimensat", path);
}

// Visits every entry below root, a folder before its content, so that a visit may open the folder.
void forEachBelow(const std::string& root, const std::function<void(const std::string& path)>& visit)
{
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        visit(it->path().string());
    }
    if (error) throw std::runtime_error("reading " + root + ": " + error.message());
}

std::string makeRegularFile(const std::string& full, std::string_view content, std::int64_t size, std::int64_t mtime)
{
    makeFolders(fs::path(full).parent_path().string());
    const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("open", full);
    const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
                         (size == 0 || ::ftruncate(fd, static_cast<off_t>(size)) == 0);  // sparse: costs no disk
    ::close(fd);
    if (!written) fail("write", full);
    setTime(full, mtime);
    return full;
}

std::string contentHash(const std::string& path)
{
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (unsigned char c : readFileBytes(path)) hash = (hash ^ c) * 1099511628211ull;
    char text[20];
    std::snprintf(text, sizeof text, "#%016llx", static_cast<unsigned long long>(hash));
    return text;
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
    // Removed through descriptors, so that unreadable folders and paths of any length go too.
    const auto tmp = platform::FolderHandle::openStart("/tmp");
    if (tmp.ok()) platform::deleteFolder(tmp.value, root_.substr(std::string("/tmp/").size()));
}

std::string TempFolder::path(std::string_view relative) const
{
    return relative.empty() ? root_ : root_ + "/" + std::string(relative);
}

std::string TempFolder::makeFile(std::string_view relative, std::string_view content, std::int64_t mtime)
{
    return makeRegularFile(path(relative), content, 0, mtime);
}

std::string TempFolder::makeFile(std::string_view relative, std::int64_t size, std::int64_t mtime)
{
    return makeRegularFile(path(relative), {}, size, mtime);
}

std::string TempFolder::makeFolder(std::string_view relative)
{
    return makeFolders(path(relative));
}

std::string TempFolder::makeLink(std::string_view relative, std::string_view target, std::int64_t mtime)
{
    const std::string full = path(relative);
    makeFolders(fs::path(full).parent_path().string());
    if (::symlink(std::string(target).c_str(), full.c_str()) != 0) fail("symlink", full);
    setTime(full, mtime);
    return full;
}

void TempFolder::makeDeepFile(std::string_view relative, std::string_view name, int levels, std::string_view content)
{
    auto folder = platform::FolderHandle::openStart(makeFolders(path(relative)));
    for (int level = 0; folder.ok() && level < levels; ++level) {
        if (::mkdirat(folder.value.fd(), std::string(name).c_str(), 0755) != 0 && errno != EEXIST) fail("mkdirat", root_);
        folder = folder.value.openChild(name);
    }
    if (!folder.ok()) throw std::runtime_error("openat below " + path(relative) + ": " + folder.error->reason);
    const int fd = ::openat(folder.value.fd(), "profond.txt", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) fail("openat", "profond.txt");
    const bool written = ::write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size());
    const timespec times[2] = {{kTestTime, 0}, {kTestTime, 0}};
    const bool timed = ::futimens(fd, times) == 0;
    ::close(fd);
    if (!written || !timed) fail("write", "profond.txt");
}

void TempFolder::setMtime(std::string_view relative, std::int64_t mtime)
{
    setTime(path(relative), mtime);
}

void TempFolder::chownAll(unsigned uid, unsigned gid)
{
    if (::geteuid() != 0) return;  // only root may; an ordinary user's tests keep their own tree
    const auto give = [&](const std::string& path) {
        if (::lchown(path.c_str(), uid, gid) != 0) fail("lchown", path);
    };
    give(root_);
    forEachBelow(root_, give);
}

std::vector<std::string> readTree(const std::string& root, FolderTimes folderTimes)
{
    // Each line is sorted by its path, a folder's with a "/", so a folder comes just before its content.
    std::vector<std::pair<std::string, std::string>> entries;
    const std::size_t rootLength = root.find_last_not_of('/') + 1;
    forEachBelow(root, [&](const std::string& full) {
        struct stat info{};
        if (::lstat(full.c_str(), &info) != 0) fail("lstat", full);
        const bool folder = S_ISDIR(info.st_mode);
        const std::string path = full.substr(rootLength + 1) + (folder ? "/" : "");
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(info.st_mode & 07777));
        const std::string time = folder && folderTimes == FolderTimes::Left ? "" : std::to_string(info.st_mtim.tv_sec);
        std::string detail = "special";
        if (S_ISLNK(info.st_mode)) {
            detail = "-> " + fs::read_symlink(full).string();
        } else if (S_ISREG(info.st_mode)) {
            detail = contentHash(full);
        }
        const std::string size = folder ? "" : std::to_string(info.st_size);
        entries.emplace_back(path, path + "|" + size + "|" + time + "|" + mode + "|" + (folder ? "" : detail));
    });
    std::sort(entries.begin(), entries.end());
    std::vector<std::string> lines;
    for (auto& entry : entries) lines.push_back(std::move(entry.second));
    return lines;
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("open", path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string fileEntry(const std::string& path, std::int64_t size, std::int64_t mtime)
{
    return path + " *-* " + std::to_string(size) + " *-* " + platform::dateText(mtime);
}

std::string profileRecord(const std::string& name, const std::string& work, const std::string& archive,
                          const std::string& actionCode)
{
    return name + "\r\n" + work + "\r\n" + archive + "\r\n0\r\n&Travail => Archive\r\n" + actionCode +
           "\r\n&Personnaliser la Mise \xE0 Jour\r\n";
}

void writeProfileFile(const std::string& path, const std::vector<std::string>& records)
{
    std::string text = " ";  // not " " + to_string(...): GCC 12 warns falsely (-Wrestrict) at -O2
    text += std::to_string(records.size()) + " \r\n";
    for (const std::string& record : records) text += record;
    makeRegularFile(path, text, 0, kTestTime);
}

Names namesIn(const std::string& folder)
{
    Names names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

bool setImmutable(const std::string& folder, bool immutable)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    ::close(fd);
    return done;
}

void setMode(const std::string& path, unsigned mode)
{
    if (::chmod(path.c_str(), mode) != 0) throw std::runtime_error("chmod " + path);
}

}  // namespace velmorane::testing
