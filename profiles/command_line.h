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

CommandWords takeWords(std::string_view commandLine);
// The words of the arguments as the system gives them: each argument is one word, so a quoted
// profile name keeps its spaces. Blanks around an argument and empty arguments count for nothing,
// which reads unquoted words as takeWords reads them joined by spaces.
CommandWords takeWords(const std::vector<std::string>& arguments);
bool asksUnattendedRun(const CommandWords& words);

// The number of the last profile whose name equals the word ignoring case, or 0 when none does.
int findProfile(const ProfileTable& table, std::string_view name);

// The help box text: five lines.
std::string helpText();

}  // namespace velmorane::profiles
