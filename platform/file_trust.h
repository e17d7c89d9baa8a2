#pragma once

#include <string>

namespace velmorane::platform {

// Whether a file of the working directory may be used, as ssh judges its configuration: a file
// that others may write, or that belongs to a user who is neither the one running the program nor
// root, could have been planted. A link is judged on its own owner and on the file it points to.
enum class FileTrust { Trusted, WritableByOthers, OwnedByAnother };

// A file that does not exist is Trusted: its absence is for the caller to handle.
FileTrust fileTrust(const std::string& path);

}  // namespace velmorane::platform
