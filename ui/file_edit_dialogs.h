#pragma once

#include "ui/dialogs.h"

#include <string>

namespace velmorane::ui {

// The two commands of the "&Edition" menu on the file chosen in the file list (`name` empty when
// none is), with their questions and the failure's box. Each returns whether the file list must
// be refreshed.
bool askToRenameChosenFile(const std::string& folder, const std::string& name, ui::Dialogs& dialogs);
bool askToDeleteChosenFile(const std::string& folder, const std::string& name, ui::Dialogs& dialogs);

}  // namespace velmorane::ui
