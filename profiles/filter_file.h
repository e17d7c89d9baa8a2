#pragma once

#include "engine/exclusions.h"
#include "platform/dialogs.h"
#include "profiles/shared_state.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmorane::profiles {

inline constexpr const char* kFilterFileName = "ArchFiltres.vlr";

// The patterns of the filter file's lines that apply to a run of the profile profileName ("" for a
// run without a profile): the lines before the first "[NAME]" section, then those of every section
// naming that profile, ignoring case. Blank lines and lines starting with "#" are no patterns.
std::vector<std::string> filterPatterns(const std::vector<std::string>& lines, std::string_view profileName);

// The patterns of a run, or why the filter file cannot be used: the second line of its message.
struct FilterLoad {
    std::vector<std::string> patterns;
    std::optional<std::string> failure;
};

// No file means no pattern.
FilterLoad loadFilterFile(const std::string& path, std::string_view profileName);

// What the walk of the run leaves out. A filter file that cannot be used is reported in its box and
// gives nothing: running without the user's filters could delete what they meant to keep.
std::optional<engine::Exclusions> loadExclusions(const std::string& path, std::string_view profileName,
                                                 platform::Dialogs& dialogs);

// The same for a run of the main window: the filter file beside the profile file, and the sections
// of the active profile, if any.
std::optional<engine::Exclusions> loadRunExclusions(const SharedState& state, platform::Dialogs& dialogs);

}  // namespace velmorane::profiles
