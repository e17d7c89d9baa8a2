#include "platform/volume.h"

#include "platform/local_volume.h"

namespace velmorane::platform {

// Every start folder is a folder of this machine for now; a remote volume is chosen here by the
// form of its start folder.
std::unique_ptr<VolumeAccess> openVolume(const std::string& startFolder, unsigned concurrency)
{
    return std::make_unique<LocalVolume>(startFolder, concurrency);
}

}  // namespace velmorane::platform
