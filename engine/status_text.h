#pragma once

#include "engine/settings.h"

#include <string>

namespace velmorane::engine {

// The status text of the "Informations" frame, lines joined by line feeds.
std::string statusText(const RunSettings& settings);

}  // namespace velmorane::engine
