#pragma once

#include "profiles/profile_file.h"

#include <string>
#include <string_view>
#include <vector>

namespace velmorane::profiles {

// The two words of the command line: a profile name, and "X" to execute it unattended.
struct CommandWords {
    std::string first;
    std::string second;
};

// The arguments joined by single spaces, as one command line.
std::string joinArguments(const std::vector<std::string>& arguments);
CommandWords takeWords(std::string_view commandLine);
bool asksUnattendedRun(const CommandWords& words);

// The number of the last profile whose name equals the word ignoring case, or 0 when none does.
int findProfile(const ProfileTable& table, std::string_view name);

// The help box text: five lines joined by CR LF.
std::string helpText();

}  // namespace velmorane::profiles
