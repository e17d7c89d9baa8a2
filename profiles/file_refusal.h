#pragma once

#include <optional>
#include <string>

namespace velmorane::profiles {

// Why a profile or filter file of the working directory is not used, as the second line of its
// message, or nothing when it may be used (or does not exist).
std::optional<std::string> refusalReason(const std::string& path);

}  // namespace velmorane::profiles
