#include "tests/packaging/system_tool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <regex>
#include <set>
#include <sstream>

namespace velmorane::testing {
namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) result.push_back(line);
    return result;
}

bool isHeading(const std::string& line)
{
    return !line.empty() && line.front() != ' ';
}

// The lines of one section of the rendered page, without its heading.
std::vector<std::string> section(const std::vector<std::string>& page, const std::string& heading)
{
    auto begin = std::find(page.begin(), page.end(), heading);
    if (begin == page.end()) return {};
    auto end = std::find_if(begin + 1, page.end(), isHeading);
    return {begin + 1, end};
}

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The first group of each line that matches `pattern`, in capitals.
std::set<std::string> captured(const std::vector<std::string>& from, const std::string& pattern)
{
    std::set<std::string> found;
    const std::regex regex(pattern);
    std::smatch match;
    for (const auto& line : from) {
        if (std::regex_match(line, match, regex)) found.insert(upper(match[1]));
    }
    return found;
}

std::set<std::string> optionsIn(const std::set<std::string>& forms)
{
    std::set<std::string> options;
    for (const auto& form : forms) {
        if (form.starts_with("--")) options.insert(form.substr(0, form.find(' ')));
    }
    return options;
}

class ManualPage : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (findOnPath("man").empty()) GTEST_SKIP() << missingTool("man", "man-db");
        rendered = runTool("man", {"--warnings", "-l", "packaging/velmorane.1"},
                           {"LC_ALL=C.UTF-8", "MANWIDTH=80", "MAN_KEEP_FORMATTING=", "MANPAGER=cat", "PAGER=cat"});
        page = lines(rendered.out);
    }

    ProgramRun rendered;
    std::vector<std::string> page;
};

TEST_F(ManualPage, RendersWithoutWarningsInItsSections)
{
    EXPECT_EQ(rendered.exitCode, 0);
    EXPECT_EQ(rendered.err, "");
    ASSERT_GT(page.size(), 2U);
    EXPECT_TRUE(page.front().starts_with("VELMORANE(1)")) << page.front();
    std::vector<std::string> headings;
    std::copy_if(page.begin() + 1, page.end() - 1, std::back_inserter(headings), isHeading);
    EXPECT_EQ(headings, (std::vector<std::string>{"NOM", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "SANS AFFICHAGE",
                                                  "DOSSIERS REFUSÉS", "FICHIERS", "FILTRES", "CODE DE RETOUR",
                                                  "ENVIRONNEMENT", "EXEMPLES", "VOIR AUSSI"}));
}

TEST_F(ManualPage, ListsTheWaysOfStartingAndTheOptionsOfHelp)
{
    const auto help = runProgram(VELMORANE_BINARY, {"--help"}, VELMORANE_SOURCE_DIR);
    ASSERT_EQ(help.exitCode, 0);
    // The ways of starting the program, each as its words after the program's name.
    const auto forms = captured(lines(help.out), "^\tVelmorane ?(.*?) =>.*");
    for (const char* known : {"", "PROFIL", "PROFIL X", "--LISTE PROFIL", "--HELP"}) {
        EXPECT_TRUE(forms.contains(known)) << "[" << known << "] not found in\n" << help.out;
    }
    EXPECT_EQ(captured(section(page, "SYNOPSIS"), " +velmorane ?(.*?) *"), forms) << rendered.out;
    // The OPTIONS section describes each option by a tagged paragraph.
    EXPECT_EQ(captured(section(page, "OPTIONS"), " {7}(--[a-z-]+).*"), optionsIn(forms)) << rendered.out;
}

}  // namespace
}  // namespace velmorane::testing
