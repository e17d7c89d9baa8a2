#pragma once

#include "platform/dialogs.h"
#include "profiles/profile_editing.h"
#include "profiles/profile_file.h"
#include "profiles/profile_ordering.h"

#include <string>

namespace velmorane::ui {

// The profile file and the profiles as the window changes them, its questions asked and its
// problems shown in boxes, in the order they arise.
profiles::ProfileTable readProfilesShowing(const std::string& path, platform::Dialogs& dialogs);
bool rereadShowing(const std::string& path, profiles::ProfileTable& table, platform::Dialogs& dialogs);
bool rereadProfilesShowing(profiles::SharedState& state, platform::Dialogs& dialogs);
// Writes the file, asking first when it replaces the file of a failed load; true when written.
bool writeProfilesAsking(const std::string& path, profiles::ProfileTable& table, platform::Dialogs& dialogs);
// Adds the profile, asking before a redefinition: a "Non" leaves the outcome NeedsRedefineConsent.
profiles::AddResult addProfileAsking(profiles::SharedState& state, const std::string& typedName,
                                     platform::Dialogs& dialogs);
// Whether a profile was chosen.
bool deleteProfileShowing(profiles::SharedState& state, int number, platform::Dialogs& dialogs);
// Whether the menu is to be rebuilt.
bool orderProfilesShowing(profiles::SharedState& state, platform::Dialogs& dialogs);

}  // namespace velmorane::ui
