#pragma once

#include "platform/dialogs.h"
#include "profiles/shared_state.h"

#include <string>

namespace velmorane::profiles {

enum class AddOutcome {
    NameMissing,  // "Il faut un Nom de Profil": the editor stays open
    Declined,     // the redefinition was refused: the editor stays open
    PathNotText,  // a folder's name is not UTF-8 and could not be read back: the editor stays open
    Saved,        // the profile is stored and active; the file was written (or its failure reported)
};

struct AddResult {
    AddOutcome outcome;
    int number = 0;      // the profile saved
    bool added = false;  // a new profile at the end, rather than a redefinition in place
};

// Saves the current settings under the typed name: a new profile at the end, or, after the
// "Redéfinir" question, the existing one of that name (ignoring case) in its own place.
AddResult addProfile(SharedState& state, const std::string& typedName, platform::Dialogs& dialogs);

// Deletes profile `number` (0: none chosen, nothing happens); the active profile follows its own.
// When the file was changed by hand meanwhile, the profile is looked for again in the file as it
// now is, by its lines, then by its name. Returns false when none was chosen.
bool deleteProfile(SharedState& state, int number, platform::Dialogs& dialogs);

// Reads the profile file again when it changed on disk since the table was read or written, so
// that a change applied next keeps what was changed by hand; the active profile follows its own
// lines. Returns whether the table was read again (the menu is then to be rebuilt).
bool rereadProfilesWhenChanged(SharedState& state, platform::Dialogs& dialogs);

// The number of the first profile whose name equals `name` ignoring case, 0 when none.
int firstProfileNamed(const ProfileTable& table, const std::string& name);

}  // namespace velmorane::profiles
