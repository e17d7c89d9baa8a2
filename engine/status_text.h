#pragma once

#include "engine/settings.h"

#include <string>

namespace velmorane::engine {

inline constexpr const char* kLineBreak = "\r\n";

// The status text of the "Informations" frame, lines joined by CR LF.
std::string affMess(const RunSettings& settings);

}  // namespace velmorane::engine
