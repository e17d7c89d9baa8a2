#include "platform/volume.h"

#include "platform/local_volume.h"
#include "platform/sftp_volume.h"

namespace velmorane::platform {

// A start folder written sftp://… is on an SSH server; any other is a folder of this machine. A
// malformed address is no folder of either: the local volume finds nothing there.
std::unique_ptr<VolumeAccess> openVolume(const std::string& startFolder, unsigned concurrency)
{
    if (isSftpAddress(startFolder)) {
        auto address = parseSftpAddress(startFolder);
        if (address.ok()) {
            SshConnection connection{address.value, false, {}};
            return std::make_unique<SftpVolume>(startFolder, std::move(address.value), std::move(connection), concurrency);
        }
    }
    return std::make_unique<LocalVolume>(startFolder, concurrency);
}

}  // namespace velmorane::platform
