#pragma once

#include "engine/settings.h"
#include "profiles/profile_file.h"

#include <string>

namespace velmorane::profiles {

// The variables every window shares for the whole life of the program.
struct SharedState {
    engine::RunSettings settings;  // the two folders, direction and action, as the main window shows them
    std::string statusText;  // the status text; also carries the validation's message
    ProfileTable profileTable;
    int activeProfile = -1;  // number of the active profile, -1 when none
    int editorMode = 0;  // 1 when the profile editor adds, 2 when it deletes
    std::string profileFilePath = kProfileFileName;
};

}  // namespace velmorane::profiles
