#pragma once

#include "engine/settings.h"

#include <optional>

namespace velmorane::engine {

// What keeps settings from a run or a new profile.
enum class SettingsFault { SameFolders, NoAction, NoDirection, NoArchiveFolder, NoWorkFolder };

// Checks the settings before a run or a new profile: nothing when they are complete. Of several
// faults, the one the user is told is the first of the work folder, the archive folder, the
// direction, the action, then the two folders being one.
std::optional<SettingsFault> settingsFault(const RunSettings& settings);

}  // namespace velmorane::engine
