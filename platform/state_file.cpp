#include "platform/state_file.h"

#include "platform/open_file.h"
#include "platform/paths.h"
#include "platform/text_file.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home) return home;
    const passwd* user = ::getpwuid(::geteuid());
    return user && user->pw_dir ? user->pw_dir : std::string(1, kSeparator);
}

namespace {

// A plain file of the user's own (or of nobody yet): what may be read and replaced.
MaybeError untrusted(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? MaybeError{} : systemError(errno);
    if (!S_ISREG(info.st_mode)) return systemError(S_ISLNK(info.st_mode) ? ELOOP : EINVAL);
    if (info.st_uid != ::geteuid()) return systemError(EPERM);
    return std::nullopt;
}

MaybeError makeFolders(const std::string& folder)
{
    if (folder.empty() || folder == std::string(1, kSeparator)) return std::nullopt;
    if (const auto error = makeFolders(parentFolder(folder))) return error;
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return systemError(errno);
    return std::nullopt;
}

}  // namespace

std::string stateFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    const std::string base = state && *state == kSeparator ? std::string(state) : homeFolder() + "/.local/state";
    return joinPath(base, "velmorane");
}

bool trustedStateFile(const std::string& path)
{
    return !untrusted(path) && fileExists(path);
}

MaybeError prepareStateFile(const std::string& path)
{
    if (auto error = untrusted(path)) return error;
    return makeFolders(parentFolder(path));
}

std::optional<std::vector<std::string>> readStateFile(const std::string& path)
{
    if (!trustedStateFile(path)) return std::nullopt;
    auto lines = readTextLines(path);
    if (!lines.ok()) return std::nullopt;
    return std::move(lines.value);
}

MaybeError writeStateFile(const std::string& path, const std::vector<std::string>& lines)
{
    if (auto error = prepareStateFile(path)) return error;
    return writeTextFileAtomically(path, lines);
}

MaybeError updateStateFile(const std::string& path, const StateChange& change)
{
    if (auto error = prepareStateFile(path)) return error;
    const std::string lockPath = path + ".lock";
    const OpenFile lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (lock.fd() < 0) return systemError(errno);
    while (::flock(lock.fd(), LOCK_EX) != 0) {
        if (errno != EINTR) return systemError(errno);
    }
    // The lock goes with the file's closing, after the write.
    return writeStateFile(path, change(readStateFile(path)));
}

}  // namespace velmorane::platform
