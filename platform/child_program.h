#pragma once

#include "platform/system_error.h"

#include <string>
#include <vector>

namespace velmorane::platform {

// How a program of the system ended: its exit status (-1 when a signal ended it) and what it wrote
// on standard error, which says why when it failed.
struct ProgramEnd {
    int exitCode = -1;
    std::string errorText;
};

// Runs a program found in PATH with the arguments given, its output discarded, and waits for it.
[[nodiscard]] Result<ProgramEnd> runSystemProgram(const std::vector<std::string>& arguments);

}  // namespace velmorane::platform
