#pragma once

#include "platform/system_error.h"

#include <optional>
#include <string>

namespace velmorane::execution {

// What a name typed for the chosen file comes to: nothing to do (cancelled, blank, or the same name
// ignoring case), a name holding "/" (which would move the file elsewhere), or a new name.
enum class NewName { Unchanged, HoldsSeparator, Acceptable };
NewName checkNewName(const std::string& name, const std::optional<std::string>& typed);

// The two commands of the "&Edition" menu on the file chosen in the file list. The rename makes a
// read-only file writable first and never replaces another file.
[[nodiscard]] platform::MaybeError renameChosenFile(const std::string& folder, const std::string& name,
                                                    const std::string& newName);
[[nodiscard]] platform::MaybeError deleteChosenFile(const std::string& folder, const std::string& name);

}  // namespace velmorane::execution
