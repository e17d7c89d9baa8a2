#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmorane::platform {

// A folder of another machine mounted here, under the name the drive list shows ("docs sur nas").
struct DesktopShare {
    std::string folder;
    std::string name;
};

// The readable name of a share the desktop (GVfs) mounted, from its folder's name there, such as
// "smb-share:server=nas,share=docs" or "sftp:host=serveur,user=moi"; the folder's name itself for
// a kind it does not know.
std::string gvfsShareName(std::string_view folderName);

// Each share under the desktop's folder of mounts: GVfs puts them all under one mount of its own,
// so a share is one folder there, not a mount.
std::vector<DesktopShare> gvfsShares(const std::string& gvfsFolder);

// Where GVfs mounts this user's shares: "gvfs" in the user's runtime folder (XDG_RUNTIME_DIR,
// /run/user/UID by default).
std::string userGvfsFolder();

// The names in the desktop's folder of shares, read without looking into any share (a share of a
// machine gone quiet could make the look wait): what tells that a share came or went.
std::vector<std::string> gvfsFolderNames(const std::string& gvfsFolder);

// The NFS, CIFS and sshfs mounts of a mount information table (the text of /proc/self/mountinfo).
std::vector<DesktopShare> networkMounts(std::string_view mountInfoText);

std::string mountInfoText();

}  // namespace velmorane::platform
