#pragma once

#include "tests/support/child_process.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace velmorane::testing {

// The full path of a program found on PATH, or "" when it is not installed.
inline std::string findOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return "";
}

// Why a test that needs a missing tool is skipped; scripts/install-deps installs every one of them.
inline std::string missingTool(const std::string& name, const std::string& package)
{
    return name + " is not installed (Debian package " + package + "); scripts/install-deps installs it";
}

// Runs a program found on PATH in the source folder, as runProgram does, with settings of the
// environment ("NAME=value") added.
inline ProgramRun runTool(const std::string& program, const std::vector<std::string>& arguments,
                          const std::vector<std::string>& environment = {})
{
    std::vector<std::string> words = environment;
    words.push_back(findOnPath(program));
    words.insert(words.end(), arguments.begin(), arguments.end());
    return runProgram("/usr/bin/env", words, VELMORANE_SOURCE_DIR);
}

}  // namespace velmorane::testing
