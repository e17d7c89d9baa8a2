#pragma once

#include "engine/settings.h"
#include "platform/dialogs.h"

#include <string>

namespace velmorane::engine {

// Checks the settings before a run or a new profile. On refusal txtMess holds the message of the
// last failing check, shown in the "Profil Incorrect" box, and the result is false.
bool TesteOK(const RunSettings& settings, std::string& txtMess, platform::Dialogs& dialogs);

}  // namespace velmorane::engine
