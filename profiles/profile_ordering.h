#pragma once

#include "profiles/profile_editing.h"
#include "profiles/shared_state.h"

namespace velmorane::profiles {

// Puts the profiles in the order of their names ignoring case (then of their other lines), the
// active profile following its own; writes the file. The file changed by hand is read again first.
// Fewer than two profiles: nothing is ordered.
struct OrderResult {
    bool changed = false;  // the table was read again or ordered: the menu is to be rebuilt
    ProfileFileEvents file;
};
OrderResult orderProfiles(SharedState& state);

}  // namespace velmorane::profiles
