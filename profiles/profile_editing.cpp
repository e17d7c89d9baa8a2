#include "profiles/profile_editing.h"

#include "platform/letter_case.h"
#include "platform/spaces.h"
#include "platform/text_encoding.h"
#include "profiles/planned_runs.h"

#include <optional>

namespace velmorane::profiles {

namespace {

// The first profile that satisfies `same`, 0 when none.
template <typename Predicate>
int firstProfile(const ProfileTable& table, Predicate same)
{
    for (int number = 1; number <= table.count(); ++number) {
        if (same(table.at(number))) return number;
    }
    return 0;
}

// The number in the table, read again, of a profile of the table as it was; 0 when it is gone.
int numberNow(const ProfileTable& table, const Profile& profile, bool byNameToo)
{
    const int sameLines = firstProfile(table, [&](const Profile& p) { return p == profile; });
    if (sameLines != 0 || !byNameToo) return sameLines;
    return firstProfile(table, [&](const Profile& p) { return p.name == profile.name; });
}

}  // namespace

int firstProfileNamed(const ProfileTable& table, const std::string& name)
{
    return firstProfile(table, [&](const Profile& p) { return platform::equalIgnoringCase(p.name, name); });
}

Reread rereadProfilesWhenChanged(SharedState& state)
{
    const bool active = state.activeProfile >= 1 && state.activeProfile <= state.profileTable.count();
    const std::optional<Profile> activeProfile =
        active ? std::optional(state.profileTable.at(state.activeProfile)) : std::nullopt;
    Reread reread = rereadWhenChanged(state.profileFilePath, state.profileTable);
    if (!reread.reread) return reread;
    const int number = activeProfile ? numberNow(state.profileTable, *activeProfile, false) : 0;
    state.activeProfile = number == 0 ? -1 : number;
    return reread;
}

AddResult addProfile(SharedState& state, const std::string& typedName, Redefine redefine)
{
    AddResult result;
    result.name = std::string(platform::trimmedSpaces(typedName));
    if (result.name.empty()) return result;
    // The profile file holds text: a name in another encoding would come back as other letters,
    // naming another folder, and would spoil the accents of every other profile with it.
    for (const std::string* folder : {&state.settings.source, &state.settings.archive}) {
        if (platform::isValidUtf8(*folder)) continue;
        result.outcome = AddOutcome::PathNotText;
        result.folderNotText = *folder;
        return result;
    }
    result.file.reread = rereadProfilesWhenChanged(state).problem;
    result.number = firstProfileNamed(state.profileTable, result.name);
    if (result.number != 0) {
        if (redefine == Redefine::Ask) {
            result.outcome = AddOutcome::NeedsRedefineConsent;
            return result;
        }
        state.profileTable.at(result.number) = Profile{result.name, state.settings};
    } else {
        state.profileTable.profiles.push_back(Profile{result.name, state.settings});
        result.number = state.profileTable.count();
        result.added = true;
    }
    result.outcome = AddOutcome::Saved;
    state.activeProfile = result.number;
    result.file.write = writeProfiles(state.profileFilePath, state.profileTable);
    return result;
}

DeleteResult deleteProfile(SharedState& state, int number)
{
    DeleteResult result;
    if (number < 1 || number > state.profileTable.count()) return result;
    result.chosen = true;
    const Profile chosen = state.profileTable.at(number);
    const Reread reread = rereadProfilesWhenChanged(state);
    result.file.reread = reread.problem;
    if (reread.reread) {
        number = numberNow(state.profileTable, chosen, true);
        if (number == 0) return result;
    }
    auto& profiles = state.profileTable.profiles;
    result.name = state.profileTable.at(number).name;
    profiles.erase(profiles.begin() + (number - 1));
    // A planned run of a profile that is gone would only ever be refused.
    result.planRemoval = removePlan(result.name, profileFileFolder(state.profileFilePath));
    if (state.activeProfile == number) {
        state.activeProfile = -1;
    } else if (state.activeProfile > number) {
        --state.activeProfile;
    }
    result.file.write = writeProfiles(state.profileFilePath, state.profileTable);
    return result;
}

}  // namespace velmorane::profiles
