#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

// Started by ssh as its SSH_ASKPASS with no display to ask on, the program answers nothing and
// ends with 1, whatever the question's words: nothing else of the program starts.
TEST(SshQuestionProgram, WithoutADisplayTheQuestionIsLeftUnansweredAndNothingElseRuns)
{
    TempFolder tree;
    tree.makeFile("ArchProfils.vlr", " 0 \r\n");
    for (const std::string question : {"moi@serveur's password: ", "--version", "--liste"}) {
        const ProgramRun asked = runProgram(VELMORANE_BINARY, {question}, tree.root(), {{"VELMORANE_ASKPASS", "1"}});
        EXPECT_EQ(asked.exitCode, 1) << question;
        EXPECT_EQ(asked.out, "") << question;
        EXPECT_EQ(asked.err, "") << question;
        const ProgramRun named = runProgram(VELMORANE_BINARY, {question}, tree.root(),
                                            {{"VELMORANE_ASKPASS", "1"}, {"DISPLAY", "velmorane-absent:0"}});
        EXPECT_EQ(named.exitCode, 1) << question;
        EXPECT_EQ(named.out, "") << question;
    }
    // Any other count of arguments, or another value, is the program as usual.
    EXPECT_EQ(runProgram(VELMORANE_BINARY, {"--version"}, tree.root(), {{"VELMORANE_ASKPASS", "0"}}).out,
              "velmorane 1.0\n");
    const ProgramRun listing = runProgram(VELMORANE_BINARY, {"--liste", "Absent"}, tree.root(), {{"VELMORANE_ASKPASS", "1"}});
    EXPECT_EQ(listing.exitCode, 2);
    EXPECT_NE(listing.err, "");
}

}  // namespace
}  // namespace velmorane::testing
