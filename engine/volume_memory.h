#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmorane::engine {

// Where the volumes of start folders are remembered, and where the machine says what is mounted
// and what should be: the real ones by default, the test's own otherwise.
struct VolumeSources {
    std::string stateFile;  // default: "volumes" in the program's state folder
    std::string mountsText;  // default: this process's mounts table, read now
    std::string fstabPath = "/etc/fstab";

    VolumeSources();
};

// Why a run must not touch a start folder: it is now held by another mount point than at its
// last execution, or a mount point that /etc/fstab names (the folder itself or one above it) is
// not mounted, as when a key is pulled and its mount point is left as an empty folder of the
// system disk. The text names the folder as given and the volume that should hold it:
// "Le dossier … n'est plus sur le volume … : le support est-il branché ?". Nothing when the
// folder is where it was, or when nothing is known of it.
std::optional<std::string> volumeChangeMessage(const std::string& folder, const VolumeSources& sources = {});

// After an execution: remembers the mount point that holds each folder now. A memory that
// cannot be read, is damaged, a link or another user's file is never an obstacle to a run: it is
// replaced when it is the user's own plain file, and left alone otherwise.
void recordVolumes(const std::vector<std::string>& folders, const VolumeSources& sources = {});

}  // namespace velmorane::engine
