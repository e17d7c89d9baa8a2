#pragma once

#include "execution/outcome_texts.h"
#include "profiles/profile_file.h"

#include <string>

namespace velmorane::profiles {

// What the user is told about the profile file and the profiles: the window shows it in boxes,
// standard error prints it.
execution::OutcomeText profileFileText(const ProfileFileProblem& problem);
// The question before the file of a failed load is replaced, naming it by its full path.
execution::OutcomeText replaceQuestionText(const std::string& path);
execution::OutcomeText writeFailureText(const std::string& reason);

execution::OutcomeText nameMissingText();
execution::OutcomeText folderNotTextText(const std::string& folder);
execution::OutcomeText redefineQuestionText(const std::string& name);
execution::OutcomeText planRemovalFailureText(const std::string& name, const std::string& reason);

}  // namespace velmorane::profiles
