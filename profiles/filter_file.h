#pragma once

#include "execution/mirror_run.h"
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

// No file means no pattern; a file that cannot be used says why (the second line of its message).
execution::RunFilters loadFilterFile(const std::string& path, std::string_view profileName);

// The filters of a run of the main window: the filter file beside the profile file, and the
// sections of the active profile, if any.
execution::RunFilters loadRunFilters(const SharedState& state);

}  // namespace velmorane::profiles
