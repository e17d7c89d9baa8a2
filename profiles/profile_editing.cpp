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
    for (int number = 1; number <= table.nbProfils(); ++number) {
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
    const bool active = state.profActif >= 1 && state.profActif <= state.tabProfils.nbProfils();
    const std::optional<Profile> activeProfile =
        active ? std::optional(state.tabProfils.at(state.profActif)) : std::nullopt;
    Reread reread = rereadWhenChanged(state.profileFilePath, state.tabProfils);
    if (!reread.reread) return reread;
    const int number = activeProfile ? numberNow(state.tabProfils, *activeProfile, false) : 0;
    state.profActif = number == 0 ? -1 : number;
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
    result.number = firstProfileNamed(state.tabProfils, result.name);
    if (result.number != 0) {
        if (redefine == Redefine::Ask) {
            result.outcome = AddOutcome::NeedsRedefineConsent;
            return result;
        }
        state.tabProfils.at(result.number) = Profile{result.name, state.settings};
    } else {
        state.tabProfils.profiles.push_back(Profile{result.name, state.settings});
        result.number = state.tabProfils.nbProfils();
        result.added = true;
    }
    result.outcome = AddOutcome::Saved;
    state.profActif = result.number;
    result.file.write = writeProfiles(state.profileFilePath, state.tabProfils);
    return result;
}

DeleteResult deleteProfile(SharedState& state, int number)
{
    DeleteResult result;
    if (number < 1 || number > state.tabProfils.nbProfils()) return result;
    result.chosen = true;
    const Profile chosen = state.tabProfils.at(number);
    const Reread reread = rereadProfilesWhenChanged(state);
    result.file.reread = reread.problem;
    if (reread.reread) {
        number = numberNow(state.tabProfils, chosen, true);
        if (number == 0) return result;
    }
    auto& profiles = state.tabProfils.profiles;
    result.name = state.tabProfils.at(number).name;
    profiles.erase(profiles.begin() + (number - 1));
    // A planned run of a profile that is gone would only ever be refused.
    result.planRemoval = removePlan(result.name, profileFileFolder(state.profileFilePath));
    if (state.profActif == number) {
        state.profActif = -1;
    } else if (state.profActif > number) {
        --state.profActif;
    }
    result.file.write = writeProfiles(state.profileFilePath, state.tabProfils);
    return result;
}

}  // namespace velmorane::profiles
