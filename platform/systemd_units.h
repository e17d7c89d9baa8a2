#pragma once

#include "platform/system_error.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmorane::platform {

// systemd allows 255 characters in a unit's name.
inline constexpr std::size_t kUnitNameLimit = 255;

// A text escaped as `systemd-escape TEXT` does: "/" becomes "-", every byte but letters, digits,
// ":", "_" and "." (a leading "." included) becomes "\xNN".
std::string escapedUnitText(std::string_view text);
// A path escaped as `systemd-escape --path PATH` does: the name of its mount unit without ".mount".
std::string escapedUnitPath(std::string_view path);

struct UnitFile {
    std::string name;  // "velmorane-….service"
    std::string text;
};

// Where the user's own units live: $XDG_CONFIG_HOME/systemd/user, or ~/.config/systemd/user.
std::string userUnitFolder();
// Whether the user's service manager runs, so that `systemctl --user` can reach it.
bool userManagerRuns();

// The text of one of the user's units, or nothing when it has none of that name.
std::optional<std::string> readUserUnit(const std::string& name);
// Writes the units, has the user manager read them, and enables the one named (starting it when
// asked, as a timer must be).
[[nodiscard]] MaybeError installUserUnits(const std::vector<UnitFile>& units, const std::string& enabled,
                                          bool startNow);
// Disables and stops the units named, removes their files, and has the user manager forget them.
// A unit that is not there is no failure.
[[nodiscard]] MaybeError removeUserUnits(const std::vector<std::string>& names);

}  // namespace velmorane::platform
