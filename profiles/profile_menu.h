#pragma once

#include "profiles/profile_file.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace velmorane::profiles {

inline constexpr const char* kNoActiveProfileCaption = "Pas de Profil Actif";

// The main window's caption: "Profil " and the active profile's name, or "Pas de Profil Actif".
std::string windowCaption(const ProfileTable& table, int profActif);

// The menu entry a code puts the check mark on. A code outside the menu (only a hand-edited profile
// file holds one) checks no entry.
std::optional<std::size_t> checkedEntry(int code, std::size_t entryCount);

// The entry a click on a direction or action label chooses: the one after the current code, back
// to the first past the last. A code outside the menu also starts again at the first.
std::int16_t nextChoice(int code, std::size_t entryCount);

}  // namespace velmorane::profiles
