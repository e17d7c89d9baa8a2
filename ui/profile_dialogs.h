#pragma once

#include "ui/dialogs.h"
#include "profiles/profile_editing.h"
#include "profiles/profile_file.h"
#include "profiles/profile_ordering.h"

#include <string>

namespace velmorane::ui {

// The profile file and the profiles as the window changes them, its questions asked and its
// problems shown in boxes, in the order they arise.
profiles::ProfileTable readProfilesShowing(const std::string& path, ui::Dialogs& dialogs);
bool rereadShowing(const std::string& path, profiles::ProfileTable& table, ui::Dialogs& dialogs);
bool rereadProfilesShowing(profiles::SharedState& state, ui::Dialogs& dialogs);
// Writes the file, asking first when it replaces the file of a failed load; true when written.
bool writeProfilesAsking(const std::string& path, profiles::ProfileTable& table, ui::Dialogs& dialogs);
// Adds the profile, asking before a redefinition: a "Non" leaves the outcome NeedsRedefineConsent.
profiles::AddResult addProfileAsking(profiles::SharedState& state, const std::string& typedName,
                                     ui::Dialogs& dialogs);
// Whether a profile was chosen.
bool deleteProfileShowing(profiles::SharedState& state, int number, ui::Dialogs& dialogs);
// Whether the menu is to be rebuilt.
bool orderProfilesShowing(profiles::SharedState& state, ui::Dialogs& dialogs);

}  // namespace velmorane::ui
