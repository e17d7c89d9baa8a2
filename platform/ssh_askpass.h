#pragma once

namespace velmorane::platform {

// Makes the ssh this program starts ask its questions (a password, an unknown host's key) in this
// program's own window, whether or not a terminal is at hand: SSH_ASKPASS names this program,
// SSH_ASKPASS_REQUIRE is "force", and VELMORANE_ASKPASS=1 tells the program started so that it is
// there to ask one question.
void askSshQuestionsThroughThisProgram();

// Whether this program was started by ssh to ask one question: VELMORANE_ASKPASS=1 and the question
// as the one argument.
bool startedToAskForSsh(int argumentCount);

}  // namespace velmorane::platform
