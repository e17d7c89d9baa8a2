#include "platform/drives.h"

#include "platform/paths.h"

#include <algorithm>

namespace velmorane::platform {
namespace {

std::string volumeName(const Volume& volume)
{
    if (volume.device.empty() || volume.device.front() != kSeparator) return volume.mountPoint;
    return volume.mountPoint + "  [" + volume.device + "]";
}

}  // namespace

std::vector<Drive> drivesOf(const std::vector<Volume>& volumes, const std::vector<DesktopShare>& networkMounts,
                            const std::vector<DesktopShare>& desktopShares)
{
    std::vector<Drive> drives;
    std::vector<Drive> shares;
    for (const Volume& volume : volumes) {
        const auto mount = std::find_if(networkMounts.begin(), networkMounts.end(),
                                        [&](const DesktopShare& share) { return share.folder == volume.mountPoint; });
        if (mount == networkMounts.end()) drives.push_back({volume.mountPoint, volumeName(volume)});
        else shares.push_back({mount->folder, mount->name});
    }
    for (const DesktopShare& share : desktopShares) shares.push_back({share.folder, share.name});
    std::stable_sort(shares.begin(), shares.end(), [](const Drive& a, const Drive& b) { return a.name < b.name; });
    drives.insert(drives.end(), shares.begin(), shares.end());
    return drives;
}

std::vector<Drive> machineDrives()
{
    return drivesOf(mountedVolumes(), networkMounts(mountInfoText()), gvfsShares(userGvfsFolder()));
}

std::string driveOf(const std::string& path, const std::vector<Drive>& drives)
{
    std::string best(1, kSeparator);
    for (const Drive& drive : drives) {
        // A server's top folder ends with its "/".
        const bool holds = path == drive.folder || path.starts_with(withTrailingSeparator(drive.folder));
        if (drive.folder.size() > best.size() && holds) best = drive.folder;
    }
    return best;
}

}  // namespace velmorane::platform
