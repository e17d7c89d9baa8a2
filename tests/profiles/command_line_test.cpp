#include "profiles/command_line.h"

#include <gtest/gtest.h>

namespace velmorane::profiles {
namespace {

TEST(StartUpCommandLine, TakesTwoWordsFindsTheLastProfileOfThatNameAndRunsOnlyForX)
{
    ProfileTable table;
    for (const char* name : {"Bureau", "Maison", "Mon", "Autre", "MAISON", "Dernier"}) {
        table.profiles.push_back(Profile{{name, "/a", "/b", "0", "&Travail => Archive", "0", "&Comparer"}});
    }
    // The line, then "first|second|profile found (0 for none)|unattended run".
    const std::pair<std::string, std::string> lines[] = {
        {"maison", "maison||5|0"},           {"Maison x", "Maison|x|5|1"},    {"MAISON X", "MAISON|X|5|1"},
        {"Maison X suite", "Maison|X|5|1"}, {"Maison Xtra", "Maison|Xtra|5|0"}, {"Maison\tX", "Maison|X|5|1"},
        {"  Maison \t   X  ", "Maison|X|5|1"}, {"Mon Profil X", "Mon|Profil|3|0"}, {"Absent X", "Absent|X|0|0"},
        {"", "||0|0"},
    };
    for (const auto& [line, expected] : lines) {
        const CommandWords words = takeWords(line);
        const int found = findProfile(table, words.first);
        EXPECT_EQ(words.first + "|" + words.second + "|" + std::to_string(found) + "|" +
                      std::to_string(found != 0 && asksUnattendedRun(words)),
                  expected)
            << '"' << line << '"';
    }
    EXPECT_EQ(takeWords(joinArguments({"Maison", "X"})).second, "X");
}

}  // namespace
}  // namespace velmorane::profiles
