#include "platform/file_attributes.h"

#include "platform/open_file.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <sys/syscall.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

namespace velmorane::platform {
namespace {

// Owners, bits or attributes that a volume does not keep: leaving them out is no failure.
bool volumeRefuses(int error)
{
    return error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS || error == EPERM || error == EINVAL;
}

bool isCopiedAttribute(const CopyingUser& user, std::string_view name)
{
    if (name.starts_with("user.") || name == "system.posix_acl_access" || name == "system.posix_acl_default") {
        return true;
    }
    return user.keepsOwners() && (name.starts_with("security.") || name.starts_with("trusted."));
}

// The names a copy carries, from a list the system gave: names ended by NULs.
std::vector<std::string> copiedNames(const CopyingUser& user, std::string_view listed)
{
    std::vector<std::string> names;
    for (std::size_t start = 0; start < listed.size();) {
        const std::size_t end = std::min(listed.find('\0', start), listed.size());
        const std::string_view name = listed.substr(start, end - start);
        start = end + 1;
        if (isCopiedAttribute(user, name)) names.emplace_back(name);
    }
    return names;
}

// The attribute names of an open file that a copy carries; none where the volume has none.
Result<std::vector<std::string>> attributeNames(const CopyingUser& user, int fd)
{
    std::vector<char> buffer;
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0) {
            if (volumeRefuses(errno)) return {};
            return Result<std::vector<std::string>>::failure(systemError(errno));
        }
        buffer.resize(static_cast<std::size_t>(size));
        const ssize_t listed = ::flistxattr(fd, buffer.data(), buffer.size());
        if (listed >= 0) {
            buffer.resize(static_cast<std::size_t>(listed));
            break;
        }
        if (errno != ERANGE) return Result<std::vector<std::string>>::failure(systemError(errno));
    }
    return {copiedNames(user, std::string_view(buffer.data(), buffer.size())), std::nullopt};
}

// listxattrat(2), Linux 6.13, has this number on every architecture.
constexpr long kListAttributesAt = 465;

// Lists the attribute names of a file in a folder without following a link, as llistxattr does
// for a path. A kernel without listxattrat, or a sandbox that forbids it, is asked through the
// folder's descriptor in /proc instead, which costs a longer lookup per file.
ssize_t listNamesAt(int folder, const std::string& name, char* buffer, std::size_t size)
{
    static std::atomic<bool> kernelListsAt{true};
    if (kernelListsAt.load(std::memory_order_relaxed)) {
        const long listed = ::syscall(kListAttributesAt, folder, name.c_str(), AT_SYMLINK_NOFOLLOW, buffer, size);
        if (listed >= 0 || (errno != ENOSYS && errno != EPERM)) return listed;
        kernelListsAt.store(false, std::memory_order_relaxed);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(folder) + "/" + name;
    return ::llistxattr(path.c_str(), buffer, size);
}

// A value that changes size between the two calls is read again.
Result<std::vector<char>> attributeValue(int fd, const std::string& name)
{
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.c_str(), nullptr, 0);
        if (size < 0) return Result<std::vector<char>>::failure(systemError(errno));
        std::vector<char> value(static_cast<std::size_t>(size));
        const ssize_t read = ::fgetxattr(fd, name.c_str(), value.data(), value.size());
        if (read >= 0) {
            value.resize(static_cast<std::size_t>(read));
            return {std::move(value), std::nullopt};
        }
        if (errno != ERANGE) return Result<std::vector<char>>::failure(systemError(errno));
    }
}

bool sameValues(const std::vector<std::string>& names, int a, int b)
{
    for (const std::string& name : names) {
        const auto valueA = attributeValue(a, name);
        const auto valueB = attributeValue(b, name);
        if (!valueA.ok() || !valueB.ok() || valueA.value != valueB.value) return false;
    }
    return true;
}

bool keepsNoAttributes(int fd)
{
    return ::flistxattr(fd, nullptr, 0) < 0 && (errno == ENOTSUP || errno == EOPNOTSUPP || errno == ENOSYS);
}

// Non-blocking, so that a FIFO put in the file's place since it was listed cannot hang the open.
int openForAttributes(const FolderHandle& folder, const std::string& name)
{
    return ::openat(folder.fd(), name.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
}

MaybeError copyExtendedAttributes(const CopyingUser& user, int from, int to)
{
    const auto names = attributeNames(user, from);
    if (!names.ok()) return names.error;
    const auto present = attributeNames(user, to);
    if (!present.ok()) return present.error;
    for (const std::string& name : present.value) {
        if (std::find(names.value.begin(), names.value.end(), name) != names.value.end()) continue;
        if (::fremovexattr(to, name.c_str()) != 0 && errno != ENODATA && !volumeRefuses(errno)) {
            return systemError(errno);
        }
    }
    for (const std::string& name : names.value) {
        const auto value = attributeValue(from, name);
        if (!value.ok()) {
            if (value.error->number == ENODATA) continue;  // removed since it was listed
            return value.error;
        }
        if (::fsetxattr(to, name.c_str(), value.value.data(), value.value.size(), 0) != 0 && !volumeRefuses(errno)) {
            return systemError(errno);
        }
    }
    return std::nullopt;
}

// Sets owner and group as far as this user may; says whether the owner and the group were kept.
struct OwnerKept {
    bool owner;
    bool group;
};

OwnerKept copyOwner(const CopyingUser& user, int to, const struct stat& source)
{
    if (user.keepsOwners()) {
        const bool kept = ::fchown(to, source.st_uid, source.st_gid) == 0;
        return {kept, kept};
    }
    const bool group = user.isMemberOf(source.st_gid) && ::fchown(to, static_cast<uid_t>(-1), source.st_gid) == 0;
    return {source.st_uid == user.uid(), group};
}

}  // namespace

Permissions permissionsOf(const struct stat& info)
{
    return {static_cast<std::uint16_t>(info.st_mode & 07777), info.st_uid, info.st_gid};
}

MaybeError copyAttributes(const CopyingUser& user, int from, const struct stat& source, int to,
                          std::uint32_t whileFilled)
{
    const OwnerKept kept = copyOwner(user, to, source);
    if (const auto error = copyExtendedAttributes(user, from, to)) return error;
    // The bits come last: changing the owner clears setuid and setgid, and an ACL sets the group bits.
    std::uint32_t mode = user.modeOfCopy(permissionsOf(source)) | whileFilled;
    if (!kept.owner) mode &= ~std::uint32_t{S_ISUID | S_ISGID};
    if (!kept.group) mode &= ~std::uint32_t{S_ISGID};
    if (::fchmod(to, mode) != 0 && !volumeRefuses(errno)) return systemError(errno);
    return std::nullopt;
}

bool hasCopiedAttributes(const CopyingUser& user, const FolderHandle& folder, const std::string& name)
{
    // Most files have no attribute at all, or a few short ones: one call answers.
    const auto carried = [&](const char* names, ssize_t size) {
        return size > 0 && !copiedNames(user, std::string_view(names, static_cast<std::size_t>(size))).empty();
    };
    std::array<char, 1024> small{};
    ssize_t listed = listNamesAt(folder.fd(), name, small.data(), small.size());
    if (listed >= 0) return carried(small.data(), listed);
    if (errno != ERANGE) return false;  // none where the volume keeps none
    std::vector<char> large;
    do {
        const ssize_t size = listNamesAt(folder.fd(), name, nullptr, 0);
        if (size < 0) return false;
        large.resize(static_cast<std::size_t>(size));
        listed = listNamesAt(folder.fd(), name, large.data(), large.size());
    } while (listed < 0 && errno == ERANGE);
    return carried(large.data(), listed);
}

Result<bool> attributesDiffer(const CopyingUser& user, const FolderHandle& folderA, const std::string& nameA,
                              const FolderHandle& folderB, const std::string& nameB)
{
    const OpenFile a(openForAttributes(folderA, nameA));
    const OpenFile b(openForAttributes(folderB, nameB));
    if (a.fd() < 0 || b.fd() < 0) return Result<bool>::failure(systemError(errno));
    // What one volume cannot keep is no difference.
    if (keepsNoAttributes(a.fd()) || keepsNoAttributes(b.fd())) return {false, std::nullopt};
    auto namesA = attributeNames(user, a.fd());
    if (!namesA.ok()) return Result<bool>::failure(*namesA.error);
    auto namesB = attributeNames(user, b.fd());
    if (!namesB.ok()) return Result<bool>::failure(*namesB.error);
    std::sort(namesA.value.begin(), namesA.value.end());
    std::sort(namesB.value.begin(), namesB.value.end());
    if (namesA.value != namesB.value) return {true, std::nullopt};
    return {!sameValues(namesA.value, a.fd(), b.fd()), std::nullopt};
}

MaybeError copyLinkOwner(const CopyingUser& user, const FolderHandle& folder, std::string_view name,
                         const struct stat& source)
{
    if (!user.keepsOwners()) return std::nullopt;
    if (::fchownat(folder.fd(), std::string(name).c_str(), source.st_uid, source.st_gid, AT_SYMLINK_NOFOLLOW) != 0 &&
        !volumeRefuses(errno)) {
        return systemError(errno);
    }
    return std::nullopt;
}

Result<bool> updateAttributes(const FolderHandle& fromFolder, std::string_view fromName, const FolderHandle& toFolder,
                              std::string_view toName)
{
    const std::string from(fromName);
    const std::string to(toName);
    struct stat source{};
    struct stat dest{};
    if (::fstatat(fromFolder.fd(), from.c_str(), &source, AT_SYMLINK_NOFOLLOW) != 0 ||
        ::fstatat(toFolder.fd(), to.c_str(), &dest, AT_SYMLINK_NOFOLLOW) != 0) {
        return Result<bool>::failure(systemError(errno));
    }
    const bool sameContent = (source.st_mode & S_IFMT) == (dest.st_mode & S_IFMT) && source.st_size == dest.st_size &&
                             source.st_mtim.tv_sec == dest.st_mtim.tv_sec &&
                             source.st_mtim.tv_nsec == dest.st_mtim.tv_nsec;
    if (!sameContent || !(S_ISREG(source.st_mode) || S_ISLNK(source.st_mode))) return {false, std::nullopt};
    const CopyingUser user = CopyingUser::current();
    if (S_ISLNK(source.st_mode)) return {true, copyLinkOwner(user, toFolder, to, source)};

    // Non-blocking, so that a FIFO put in either place since it was looked at cannot hang the open.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    const int in = ::openat(fromFolder.fd(), from.c_str(), kFlags);
    if (in < 0) return Result<bool>::failure(systemError(errno));
    const int out = ::openat(toFolder.fd(), to.c_str(), kFlags);
    Result<bool> result{true, std::nullopt};
    struct stat opened{};
    if (out < 0) {
        result = Result<bool>::failure(systemError(errno));
    } else if (::fstat(out, &opened) != 0 || !S_ISREG(opened.st_mode) || ::fstat(in, &source) != 0 ||
               !S_ISREG(source.st_mode)) {
        result = {false, std::nullopt};
    } else {
        result.error = copyAttributes(user, in, source, out);
    }
    if (out >= 0) ::close(out);
    ::close(in);
    return result;
}

MaybeError settleFolder(const FolderHandle& from, const FolderHandle& to)
{
    struct stat source{};
    if (::fstat(from.fd(), &source) != 0) return systemError(errno);
    if (const auto error = copyAttributes(CopyingUser::current(), from.fd(), source, to.fd())) return error;
    const timespec times[2] = {source.st_atim, source.st_mtim};
    // Only its owner may date a folder: a plain user's shared archive keeps its folder times.
    if (::futimens(to.fd(), times) != 0 && errno != EPERM) return systemError(errno);
    return std::nullopt;
}

}  // namespace velmorane::platform
