#include "platform/ssh_sharing.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

// ssh names a kept connection's socket by the folder, the connection's hash (40 characters) and,
// while it makes it, a temporary suffix (17): a socket's path holds 107 bytes, and a longer one
// fails the connection itself.
constexpr std::size_t kLongestSharingFolder = 107 - 1 - 40 - 17;

// Private, never a link nor another's.
bool privateFolder(const std::string& folder)
{
    if (folder.size() > kLongestSharingFolder) return false;
    ::mkdir(folder.c_str(), 0700);
    struct stat info{};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 077) == 0;
}

}  // namespace

std::string sharedConnectionsFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && privateFolder(std::string(runtime) + "/velmorane-ssh")) {
        return std::string(runtime) + "/velmorane-ssh";
    }
    const std::string fallback = "/tmp/velmorane-ssh-" + std::to_string(::getuid());
    return privateFolder(fallback) ? fallback : std::string();
}

}  // namespace velmorane::platform
