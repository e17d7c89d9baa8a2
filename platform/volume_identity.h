#pragma once

#include "platform/volumes.h"

#include <string>
#include <string_view>

namespace velmorane::platform {

// Where the system describes its block devices: udev's database and its links by UUID. The
// machine's own by default; a test gives folders of its own.
struct DeviceDatabase {
    std::string udevData = "/run/udev/data";
    std::string byUuid = "/dev/disk/by-uuid";
};

// What tells a volume from another mounted at the same place: "UUID=…" or, without one,
// "LABEL=…", as udev's database, its links by UUID or the file system's own superblock (read with
// libblkid, where the device can be read) say; else its mount source and type
// ("//serveur/partage cifs"), all a network share or a user-space driver says of itself.
std::string volumeIdentity(const Volume& volume, const DeviceDatabase& database = {});

// The identity of the volume that holds a folder; empty when the folder cannot be resolved.
std::string identityOfVolumeHolding(const std::string& folder);

// Whether two identities can tell two volumes apart: both UUIDs, both labels, or both mount sources.
// A volume known by its UUID as root and by its mount source to a user who cannot read the device
// is not therefore another volume.
bool comparableIdentities(std::string_view first, std::string_view second);

}  // namespace velmorane::platform
