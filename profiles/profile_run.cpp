#include "profiles/profile_run.h"

#include "profiles/command_line.h"
#include "profiles/filter_file.h"
#include "profiles/profile_file.h"
#include "profiles/profile_menu.h"

namespace velmorane::profiles {

FoundRun profileRun(const std::string& profileName)
{
    const ProfilesRead read = readProfiles(kProfileFileName);
    const int number = findProfile(read.table, profileName);
    if (number == 0) return {std::nullopt, read.problem};
    const Profile& profile = read.table.at(number);
    return {ProfileRun{windowCaption(read.table, number), profile.name,
                       execution::MirrorRun(profile.settings, loadFilterFile(kFilterFileName, profile.name))},
            read.problem};
}

std::string profileNotFound(const std::string& profileName)
{
    return "Profil introuvable : " + profileName;
}

}  // namespace velmorane::profiles
