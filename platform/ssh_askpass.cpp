#include "platform/ssh_askpass.h"

#include <climits>
#include <cstdlib>
#include <string_view>
#include <unistd.h>

namespace velmorane::platform {

void askSshQuestionsThroughThisProgram()
{
    char program[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
    if (length <= 0) return;
    program[length] = '\0';
    ::setenv("SSH_ASKPASS", program, 1);
    ::setenv("SSH_ASKPASS_REQUIRE", "force", 1);
    ::setenv("VELMORANE_ASKPASS", "1", 1);
}

bool startedToAskForSsh(int argumentCount)
{
    const char* asked = std::getenv("VELMORANE_ASKPASS");
    return argumentCount == 2 && asked && std::string_view(asked) == "1";
}

}  // namespace velmorane::platform
