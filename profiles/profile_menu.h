#pragma once

#include "profiles/profile_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace velmorane::profiles {

inline constexpr const char* kNoActiveProfileCaption = "Pas de Profil Actif";

// The main window's caption: "Profil " and the active profile's name, or "Pas de Profil Actif".
std::string windowCaption(const ProfileTable& table, int activeProfile);

// The profile menu's entry a profile number puts the check mark on; none for a number outside it.
std::optional<std::size_t> checkedEntry(int code, std::size_t entryCount);

}  // namespace velmorane::profiles
