#pragma once

#include "platform/system_error.h"
#include "profiles/shared_state.h"

#include <optional>
#include <string>

namespace velmorane::profiles {

// What a change of the profiles met on its way, in the order the user is to be told of it: the
// file read again found unusable, then the file not written.
struct ProfileFileEvents {
    std::optional<ProfileFileProblem> reread;
    std::optional<ProfileWriteProblem> write;
};

enum class AddOutcome {
    NameMissing,           // no name was typed: the editor stays open
    PathNotText,           // a folder's name is not UTF-8 and could not be read back: the editor stays open
    NeedsRedefineConsent,  // a profile bears that name: asked, then added again with Redefine::Confirmed
    Saved,                 // the profile is stored and active; the file was written or `file.write` says why not
};
enum class Redefine { Ask, Confirmed };

struct AddResult {
    AddOutcome outcome = AddOutcome::NameMissing;
    int number = 0;      // the profile saved
    bool added = false;  // a new profile at the end, rather than a redefinition in place
    std::string name;    // the typed name without the blanks around it
    std::string folderNotText;  // PathNotText: the folder
    ProfileFileEvents file;
};

// Saves the current settings under the typed name: a new profile at the end, or, once the person
// agreed, the existing one of that name (ignoring case) in its own place.
AddResult addProfile(SharedState& state, const std::string& typedName, Redefine redefine = Redefine::Ask);

// Deletes profile `number` (0: none chosen, nothing happens); the active profile follows its own.
// When the file was changed by hand meanwhile, the profile is looked for again in the file as it
// now is, by its lines, then by its name. The planned runs of the profile are removed too.
struct DeleteResult {
    bool chosen = false;
    std::string name;  // the profile deleted, if any
    platform::MaybeError planRemoval;
    ProfileFileEvents file;
};
DeleteResult deleteProfile(SharedState& state, int number);

// Reads the profile file again when it changed on disk since the table was read or written, so
// that a change applied next keeps what was changed by hand; the active profile follows its own
// lines. Says whether the table was read again (the menu is then to be rebuilt).
Reread rereadProfilesWhenChanged(SharedState& state);

// The number of the first profile whose name equals `name` ignoring case, 0 when none.
int firstProfileNamed(const ProfileTable& table, const std::string& name);

}  // namespace velmorane::profiles
