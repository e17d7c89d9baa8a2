#include "platform/volume.h"

#include "platform/local_volume.h"
#include "platform/sftp_volume.h"

#include <climits>
#include <cstdlib>
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

// This program itself, started again with the question, shows it and prints the answer.
std::string ownExecutable()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

SshConnection connectionTo(SftpAddress address, Questions questions)
{
    SshConnection connection{std::move(address), true, {}, {}};
    if (questions == Questions::Asked && displayPresent()) {
        connection.askingProgram = ownExecutable();
        connection.unattended = connection.askingProgram.empty();
    }
    return connection;
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
