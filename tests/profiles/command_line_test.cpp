#include "profiles/command_line.h"

#include <gtest/gtest.h>

namespace velmorane::profiles {
namespace {

TEST(StartUpCommandLine, TakesTwoWordsFindsTheLastProfileOfThatNameAndRunsOnlyForX)
{
    ProfileTable table;
    for (const char* name : {"Bureau", "Maison", "Mon", "Autre", "MAISON", "Dernier", "Clé USB"}) {
        table.profiles.push_back(
            Profile{name, {"/a", "/b", engine::Direction::WorkToArchive, engine::Action::Compare, "&Travail => Archive", "&Comparer"}});
    }
    // The line, then "first|second|profile found (0 for none)|unattended run".
    const std::pair<std::string, std::string> lines[] = {
        {"maison", "maison||5|0"},           {"Maison x", "Maison|x|5|1"},    {"MAISON X", "MAISON|X|5|1"},
        {"Maison X suite", "Maison|X|5|1"}, {"Maison Xtra", "Maison|Xtra|5|0"}, {"Maison\tX", "Maison|X|5|1"},
        {"  Maison \t   X  ", "Maison|X|5|1"}, {"Mon Profil X", "Mon|Profil|3|0"}, {"Absent X", "Absent|X|0|0"},
        {"", "||0|0"},
    };
    const auto outcome = [&](const CommandWords& words) {
        const int found = findProfile(table, words.first);
        return words.first + "|" + words.second + "|" + std::to_string(found) + "|" +
               std::to_string(found != 0 && asksUnattendedRun(words));
    };
    for (const auto& [line, expected] : lines) EXPECT_EQ(outcome(takeWords(line)), expected) << '"' << line << '"';

    // The arguments as the system splits them: a quoted argument is one word, spaces and all;
    // unquoted words read as the line above.
    const std::pair<std::vector<std::string>, std::string> arguments[] = {
        {{"Clé USB", "X"}, "Clé USB|X|7|1"},   {{"clé usb"}, "clé usb||7|0"},
        {{"Clé", "USB", "X"}, "Clé|USB|0|0"},  {{"Maison", "X", "suite"}, "Maison|X|5|1"},
        {{"", " Maison ", "\tx"}, "Maison|x|5|1"}, {{"Mon", "Profil", "X"}, "Mon|Profil|3|0"},
        {{}, "||0|0"},
    };
    for (const auto& [words, expected] : arguments) EXPECT_EQ(outcome(takeWords(words)), expected) << words.size();
}

}  // namespace
}  // namespace velmorane::profiles
