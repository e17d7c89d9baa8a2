#pragma once

#include "execution/mirror_run.h"
#include "profiles/profile_file.h"

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

// Reads the profile file and finds the last profile of that name ignoring case: its run, or none,
// and the problem of a file that could not be used.
struct FoundRun {
    std::optional<ProfileRun> run;
    std::optional<ProfileFileProblem> problem;
};
FoundRun profileRun(const std::string& profileName);

// What the user is told about a profile name that no profile bears.
std::string profileNotFound(const std::string& profileName);

}  // namespace velmorane::profiles
