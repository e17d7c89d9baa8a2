#include "profiles/command_line.h"

#include <gtest/gtest.h>

namespace velmorane::profiles {
namespace {

ProfileTable tableWithTwoMaisons()
{
    ProfileTable table;
    for (const char* name : {"Bureau", "Maison", "Mon", "Autre", "MAISON", "Dernier"}) {
        table.profiles.push_back(Profile{{name, "/a", "/b", "0", "&Travail => Archive", "0", "&Comparer"}});
    }
    return table;
}

struct StartLine {
    std::string commandLine;
    std::string first, second;
    int profile;  // 0 when none is found
    bool executed;
};

void PrintTo(const StartLine& line, std::ostream* out) { *out << '"' << line.commandLine << '"'; }

class StartUpCommandLine : public ::testing::TestWithParam<StartLine> {};

TEST_P(StartUpCommandLine, TakesTheWordsFindsTheLastProfileOfThatNameAndDecidesTheRun)
{
    const StartLine& line = GetParam();
    const CommandWords words = takeWords(line.commandLine);
    const int found = findProfile(tableWithTwoMaisons(), words.first);

    EXPECT_EQ(words.first, line.first);
    EXPECT_EQ(words.second, line.second);
    EXPECT_EQ(found, line.profile);
    EXPECT_EQ(found != 0 && asksUnattendedRun(words), line.executed);
}

INSTANTIATE_TEST_SUITE_P(
    EveryLine, StartUpCommandLine,
    ::testing::Values(StartLine{"maison", "maison", "", 5, false}, StartLine{"Maison x", "Maison", "x", 5, true},
                      StartLine{"MAISON X", "MAISON", "X", 5, true},
                      StartLine{"Maison X suite", "Maison", "X", 5, true},
                      StartLine{"Maison Xtra", "Maison", "Xtra", 5, false},
                      StartLine{"Maison\tX", "Maison", "X", 5, true},
                      StartLine{"  Maison \t   X  ", "Maison", "X", 5, true},
                      StartLine{"Mon Profil X", "Mon", "Profil", 3, false},
                      StartLine{"Absent X", "Absent", "X", 0, false}, StartLine{"", "", "", 0, false}));

TEST(StartUpArguments, SeparateArgumentsAreJoinedBySingleSpaces)
{
    EXPECT_EQ(takeWords(joinArguments({"Maison", "X"})).second, "X");
}

}  // namespace
}  // namespace velmorane::profiles
