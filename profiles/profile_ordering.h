#pragma once

#include "platform/dialogs.h"
#include "profiles/shared_state.h"

namespace velmorane::profiles {

// Puts the profiles in the order of their names ignoring case (then of their other lines), the
// active profile following its own; writes the file. The file changed by hand is read again first.
// Fewer than two profiles: nothing is ordered. Returns whether the table changed.
bool orderProfiles(SharedState& state, platform::Dialogs& dialogs);

}  // namespace velmorane::profiles
