#pragma once

#include <ostream>
#include <string>

namespace velmorane::cli {

// `velmorane --liste PROFIL`: builds the task lists of a profile of the profile file in the working
// directory and prints them as the review screen shows them. Changes nothing on disk.
// Returns the exit status: 0, or 2 when the lists could not be built (the reason on err).
int printTaskLists(const std::string& profileName, std::ostream& out, std::ostream& err);

// `velmorane --help`.
std::string usageText();

}  // namespace velmorane::cli
