#pragma once

#include "engine/settings.h"
#include "platform/dialogs.h"

#include <string>

namespace velmorane::engine {

// Checks the settings before a run or a new profile. On refusal txtMess holds the message of the
// last failing check and the result is false.
bool settingsAreValid(const RunSettings& settings, std::string& txtMess);

// The "Profil Incorrect" box of a refusal.
platform::Message settingsRefusal(const std::string& txtMess);

}  // namespace velmorane::engine
