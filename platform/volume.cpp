#include "platform/volume.h"

#include "platform/local_volume.h"
#include "platform/sftp_volume.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

// A question is asked in a window: without a display nobody could answer it.
bool displayPresent()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// ssh names a kept connection's socket by the folder, the connection's hash (40 characters) and,
// while it makes it, a temporary suffix (17): a socket's path holds 107 bytes, and a longer one
// fails the connection itself.
constexpr std::size_t kLongestSharingFolder = 107 - 1 - 40 - 17;

bool privateFolder(const std::string& folder)
{
    if (folder.size() > kLongestSharingFolder) return false;
    ::mkdir(folder.c_str(), 0700);
    struct stat info{};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid() &&
           (info.st_mode & 077) == 0;
}

// The user's runtime folder, else one of the user's own in /tmp: private, never a link nor
// another's; none when neither can be used.
std::string sharingFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime == '/' && privateFolder(std::string(runtime) + "/velmorane-ssh")) {
        return std::string(runtime) + "/velmorane-ssh";
    }
    const std::string fallback = "/tmp/velmorane-ssh-" + std::to_string(::getuid());
    return privateFolder(fallback) ? fallback : std::string();
}

// Questions are asked through this program (platform/ssh_askpass.h), in a window: without a
// display nobody could answer them, and ssh is told to ask nothing.
SshConnection connectionTo(SftpAddress address, Questions questions)
{
    return {std::move(address), questions == Questions::Refused || !displayPresent(), {}, sharingFolder()};
}

}  // namespace

// A start folder written sftp://… is on an SSH server; any other is a folder of this machine. A
// malformed address is no folder of either: the local volume finds nothing there.
std::unique_ptr<VolumeAccess> openVolume(const std::string& startFolder, unsigned concurrency, Questions questions)
{
    if (isSftpAddress(startFolder)) {
        auto address = parseSftpAddress(startFolder);
        if (address.ok()) {
            SshConnection connection = connectionTo(address.value, questions);
            return std::make_unique<SftpVolume>(startFolder, std::move(address.value), std::move(connection), concurrency);
        }
    }
    return std::make_unique<LocalVolume>(startFolder, concurrency);
}

}  // namespace velmorane::platform
