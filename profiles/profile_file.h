#pragma once

#include "engine/settings.h"
#include "platform/dialogs.h"
#include "platform/system_error.h"

#include <array>
#include <string>
#include <vector>

namespace velmorane::profiles {

inline constexpr const char* kProfileFileName = "ArchProfils.vlr";

// A saved set of settings: name, work folder, archive folder, direction code and text, action code
// and text. The texts are kept as they were shown, not derived again from the codes.
struct Profile {
    std::array<std::string, 7> fields;

    const std::string& name() const { return fields[0]; }
    // The seven fields joined by CR LF, as the ordering compares them.
    std::string record() const;
    engine::RunSettings settings() const;

    static Profile compose(const std::string& name, const engine::RunSettings& settings);
};

// The loaded profiles; a profile's number (from 1) is its place in the file and in the menu.
struct ProfileTable {
    std::vector<Profile> profiles;

    int nbProfils() const { return static_cast<int>(profiles.size()); }
    const Profile& at(int number) const { return profiles.at(static_cast<std::size_t>(number - 1)); }
    Profile& at(int number) { return profiles.at(static_cast<std::size_t>(number - 1)); }
};

enum class LoadFailure { None, Empty, Incorrect };

struct LoadResult {
    ProfileTable table;
    LoadFailure failure = LoadFailure::None;
};

// No file is no failure: there are just no profiles.
LoadResult loadProfileFile(const std::string& path);
// Loads and reports a failure in its box; a failed load leaves no profile.
ProfileTable lireProfils(const std::string& path, platform::Dialogs& dialogs);

platform::MaybeError writeProfileFile(const std::string& path, const ProfileTable& table);
// Writes the file and reports a failure in its box; the table stays as it is either way.
bool ecrireProfils(const std::string& path, const ProfileTable& table, platform::Dialogs& dialogs);

}  // namespace velmorane::profiles
