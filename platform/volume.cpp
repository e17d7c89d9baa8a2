#include "platform/volume.h"

#include "platform/local_volume.h"
#include "platform/sftp_volume.h"
#include "platform/ssh_sharing.h"

#include <cstdlib>

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

// Questions are asked through this program (platform/ssh_askpass.h), in a window: without a
// display nobody could answer them, and ssh is told to ask nothing.
SshConnection connectionTo(SftpAddress address, Questions questions)
{
    return {std::move(address), questions == Questions::Refused || !displayPresent(), {}, sharedConnectionsFolder()};
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
