#pragma once

#include "platform/dialogs.h"
#include "profiles/shared_state.h"

namespace velmorane::profiles {

// Puts the profiles in the order of their names ignoring case (then of their other lines), the
// active profile following its own; writes the file. Fewer than two profiles: nothing happens.
// Returns whether the profiles were ordered.
bool orderProfiles(SharedState& state, platform::Dialogs& dialogs);

}  // namespace velmorane::profiles
