#pragma once

#include "platform/dialogs.h"

#include <string>

namespace velmorane::execution {

// The two commands of the "&Edition" menu on the file chosen in the file list (`name` empty when
// none is). Each returns whether the file list must be refreshed.
bool renameChosenFile(const std::string& folder, const std::string& name, platform::Dialogs& dialogs);
bool deleteChosenFile(const std::string& folder, const std::string& name, platform::Dialogs& dialogs);

}  // namespace velmorane::execution
