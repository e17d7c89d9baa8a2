#pragma once

#include "platform/system_error.h"
#include "platform/volume_identity.h"

#include <optional>
#include <string>
#include <vector>

namespace velmorane::engine {

// Where the volumes of start folders are remembered, and where the machine says what is mounted,
// what should be and what each device is: the real ones by default, the test's own otherwise.
struct VolumeSources {
    std::string stateFile;  // default: "volumes" in the program's state folder
    std::string mountsText;  // default: this process's mounts table, read now
    std::string fstabPath = "/etc/fstab";
    platform::DeviceDatabase devices;

    VolumeSources();
};

// Why a run must not touch a start folder: it is now held by another mount point than at its
// last execution, another volume is mounted where its own was (another UUID, label or mount
// source), or a mount point that /etc/fstab names (the folder itself or one above it) is not
// mounted, as when a key is pulled and its mount point is left as an empty folder of the system
// disk. The volume that should hold the folder: its mount point, with its identity in brackets
// when another volume stands there. Nothing when the folder is where it was, or when nothing is
// known of it.
std::optional<std::string> missingVolume(const std::string& folder, const VolumeSources& sources = {});

// Whether a mirror onto `dest` needs the user's word first: it is the top folder of a removable
// or network volume, where the user may keep more than the source holds, and this source was never
// mirrored onto this volume there.
bool isNewVolumeRoot(const std::string& source, const std::string& dest, const VolumeSources& sources = {});

// After an execution from `source` onto `dest`: remembers the volume that holds each folder now,
// and that this source was mirrored onto that volume. A memory that cannot be read, is damaged,
// a link or another user's file is never an obstacle to a run: it is replaced when it is the
// user's own plain file, and left alone otherwise. A memory that cannot be written costs this
// protection only, for the runs to come: the failure is returned for the user to be told.
[[nodiscard]] platform::MaybeError recordExecution(const std::string& source, const std::string& dest,
                                                   const VolumeSources& sources = {});

}  // namespace velmorane::engine
