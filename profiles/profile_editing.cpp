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

bool rereadProfilesWhenChanged(SharedState& state, platform::Dialogs& dialogs)
{
    const bool active = state.profActif >= 1 && state.profActif <= state.tabProfils.nbProfils();
    const std::optional<Profile> activeProfile =
        active ? std::optional(state.tabProfils.at(state.profActif)) : std::nullopt;
    if (!rereadWhenChanged(state.profileFilePath, state.tabProfils, dialogs)) return false;
    const int number = activeProfile ? numberNow(state.tabProfils, *activeProfile, false) : 0;
    state.profActif = number == 0 ? -1 : number;
    return true;
}

AddResult addProfile(SharedState& state, const std::string& typedName, platform::Dialogs& dialogs)
{
    const std::string name(platform::trimmedSpaces(typedName));
    if (name.empty()) {
        dialogs.show(platform::stopMessage("Il faut un Nom de Profil", "Ecriture Impossible"));
        return {AddOutcome::NameMissing};
    }
    // The profile file holds text: a name in another encoding would come back as other letters,
    // naming another folder, and would spoil the accents of every other profile with it.
    for (const std::string* folder : {&state.settings.source, &state.settings.archive}) {
        if (platform::isValidUtf8(*folder)) continue;
        dialogs.show(platform::stopMessage("Le nom du dossier " + *folder +
                                               " n'est pas en UTF-8 : il ne peut pas être enregistré dans un Profil",
                                           "Ecriture Impossible"));
        return {AddOutcome::PathNotText};
    }
    rereadProfilesWhenChanged(state, dialogs);
    AddResult result{AddOutcome::Saved, firstProfileNamed(state.tabProfils, name)};
    if (result.number != 0) {
        const auto answer =
            dialogs.show(platform::question("Redéfinir " + name, "Attention", platform::Icon::Question));
        if (answer != platform::Answer::Yes) return {AddOutcome::Declined};
        state.tabProfils.at(result.number) = Profile{name, state.settings};
    } else {
        state.tabProfils.profiles.push_back(Profile{name, state.settings});
        result.number = state.tabProfils.nbProfils();
        result.added = true;
    }
    state.profActif = result.number;
    ecrireProfils(state.profileFilePath, state.tabProfils, dialogs);
    return result;
}

bool deleteProfile(SharedState& state, int number, platform::Dialogs& dialogs)
{
    if (number < 1 || number > state.tabProfils.nbProfils()) return false;
    const Profile chosen = state.tabProfils.at(number);
    if (rereadProfilesWhenChanged(state, dialogs)) {
        number = numberNow(state.tabProfils, chosen, true);
        if (number == 0) return true;
    }
    auto& profiles = state.tabProfils.profiles;
    const std::string name = state.tabProfils.at(number).name;
    profiles.erase(profiles.begin() + (number - 1));
    // A planned run of a profile that is gone would only ever be refused.
    if (const auto error = removePlan(name, profileFileFolder(state.profileFilePath))) {
        dialogs.show(platform::stopMessage("Impossible de retirer la planification du Profil " + name + "\r\n" +
                                               error->reason,
                                           "Attention"));
    }
    if (state.profActif == number) {
        state.profActif = -1;
    } else if (state.profActif > number) {
        --state.profActif;
    }
    ecrireProfils(state.profileFilePath, state.tabProfils, dialogs);
    return true;
}

}  // namespace velmorane::profiles
