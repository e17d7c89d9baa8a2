#pragma once

#include <string>
#include <string_view>

namespace velmorane::platform {

// The name of a copy's temporary file: ".~velmorane." + 16 lowercase hex digits + ".tmp". The form
// is fixed so that one left behind by a killed program is recognised, never listed, and removed.
std::string newTemporaryName();
bool isTemporaryName(std::string_view name);

}  // namespace velmorane::platform
