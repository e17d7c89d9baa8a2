#pragma once

#include "profiles/command_line.h"

#include <ostream>

namespace velmorane::cli {

// `velmorane PROFIL X` without a display: no window at all. The profile of the profile file in the
// working directory is compared and executed; every message goes to err, a failure question is
// answered "go on", and the journal gets its two lines, also when nothing was executed. Returns the
// exit status: 0 executed without failure, 1 with failures, 2 nothing executed.
int runUnattended(const profiles::CommandWords& words, std::ostream& err);

}  // namespace velmorane::cli
