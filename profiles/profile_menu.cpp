#include "profiles/profile_menu.h"

namespace velmorane::profiles {

std::string windowCaption(const ProfileTable& table, int activeProfile)
{
    if (activeProfile < 1 || activeProfile > table.count()) return kNoActiveProfileCaption;
    return "Profil " + table.at(activeProfile).name;
}

std::optional<std::size_t> checkedEntry(int code, std::size_t entryCount)
{
    if (code < 0 || static_cast<std::size_t>(code) >= entryCount) return std::nullopt;
    return static_cast<std::size_t>(code);
}

}  // namespace velmorane::profiles
