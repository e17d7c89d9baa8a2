#include "profiles/profile_run.h"

#include "profiles/command_line.h"
#include "profiles/filter_file.h"
#include "profiles/profile_file.h"
#include "profiles/profile_menu.h"

namespace velmorane::profiles {

std::optional<ProfileRun> profileRun(const std::string& profileName, platform::Dialogs& dialogs)
{
    const ProfileTable table = readProfiles(kProfileFileName, dialogs);
    const int number = findProfile(table, profileName);
    if (number == 0) return std::nullopt;
    const Profile& profile = table.at(number);
    return ProfileRun{windowCaption(table, number), profile.name,
                      execution::MirrorRun(profile.settings, loadFilterFile(kFilterFileName, profile.name))};
}

std::string profileNotFound(const std::string& profileName)
{
    return "Profil introuvable : " + profileName;
}

}  // namespace velmorane::profiles
