#pragma once

#include "execution/mirror_run.h"
#include "platform/dialogs.h"

#include <optional>
#include <string>

namespace velmorane::profiles {

// The run of a profile of the profile file in the working directory, as `--liste` and an
// unattended run start it, and the window caption its journal entry names.
struct ProfileRun {
    std::string windowTitle;
    std::string profileName;  // as the profile file spells it
    execution::MirrorRun run;
};

// Reads the profile file (a file that cannot be used is reported in its box) and finds the last
// profile of that name ignoring case; nothing when there is none.
std::optional<ProfileRun> profileRun(const std::string& profileName, platform::Dialogs& dialogs);

// What the user is told about a profile name that no profile bears.
std::string profileNotFound(const std::string& profileName);

}  // namespace velmorane::profiles
