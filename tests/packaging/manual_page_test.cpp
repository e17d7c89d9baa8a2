#include "profiles/command_line.h"
#include "profiles/shared_state.h"
#include "tests/packaging/system_tool.h"
#include "tests/support/qt_application.h"
#include "tests/support/qt_scripted_dialogs.h"
#include "tests/support/test_tree.h"
#include "ui/main_window.h"
#include "ui/profile_editor.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
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

// The text under `heading` up to the next heading of its level or above, its lines joined by single
// blanks: a caption cut at the end of a line reads whole again.
std::string textUnder(const std::vector<std::string>& page, const std::string& heading)
{
    const auto begin = std::find(page.begin(), page.end(), heading);
    if (begin == page.end()) return {};
    const std::size_t indent = heading.find_first_not_of(' ');
    std::string text;
    for (auto line = begin + 1; line != page.end(); ++line) {
        const std::size_t start = line->find_first_not_of(' ');
        if (start == std::string::npos) continue;
        if (start <= indent) break;
        text += line->substr(start) + " ";
    }
    return text;
}

// The texts between `open` and `close`, blanks at their ends trimmed. A quote that ends in an
// ellipsis begins a message whose end names a folder: it is no caption, and is left out.
std::set<std::string> quotedIn(const std::string& text, const std::string& open, const std::string& close)
{
    std::set<std::string> quotes;
    const std::regex quote(open + "(?:\\s|\u00a0)*(.*?)(?:\\s|\u00a0)*" + close);
    for (auto match = std::sregex_iterator(text.begin(), text.end(), quote); match != std::sregex_iterator(); ++match) {
        const std::string inside = (*match)[1];
        if (!inside.ends_with("…") && !inside.ends_with("...")) quotes.insert(inside);
    }
    return quotes;
}

// The quotes of one section of README.md, code spans left out.
std::set<std::string> readmeQuotes(const std::string& heading)
{
    const std::string readme = readFileBytes(std::string(VELMORANE_SOURCE_DIR) + "/README.md");
    const std::size_t begin = readme.find("\n" + heading + "\n");
    const std::string section = readme.substr(begin, readme.find("\n## ", begin + 1) - begin);
    std::string prose = std::regex_replace(section, std::regex("`[^`]*`"), "");
    std::replace(prose.begin(), prose.end(), '\n', ' ');
    return quotedIn(prose, "\"", "\"");
}

// What every window shows as a caption: titles, labels, buttons, frames, menus and their entries.
void addCaptions(const QWidget& window, std::set<std::string>& captions)
{
    captions.insert(window.windowTitle().trimmed().toStdString());
    for (const QLabel* label : window.findChildren<QLabel*>()) captions.insert(label->text().toStdString());
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        captions.insert(button->text().toStdString());
    }
    for (const QGroupBox* frame : window.findChildren<QGroupBox*>()) captions.insert(frame->title().toStdString());
    for (const QAction* item : window.findChildren<QAction*>()) captions.insert(item->text().toStdString());
}

// The captions of the main window started in `folder` as the program starts there, and of the
// profile editor opened to add and to delete a profile.
std::set<std::string> windowCaptions(const std::string& folder)
{
    ensureQtApplication();
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    ui::ScriptedDialogs dialogs;
    profiles::SharedState state;
    ui::MainWindow main(state, dialogs);
    main.loadAtStart(profiles::takeWords(std::vector<std::string>{}));
    std::set<std::string> captions;
    addCaptions(main, captions);
    for (const int mode : {1, 2}) {
        state.editorMode = mode;
        addCaptions(ui::ProfileEditor(state, dialogs, &main), captions);
    }
    std::filesystem::current_path(previous);
    return captions;
}

// A man page shows captions without the "&" that marks their accelerator.
std::set<std::string> withoutAccelerators(const std::set<std::string>& captions)
{
    std::set<std::string> plain;
    for (std::string caption : captions) {
        std::erase(caption, '&');
        plain.insert(caption);
    }
    return plain;
}

void expectAmong(const std::set<std::string>& quotes, const std::set<std::string>& captions, const std::string& where)
{
    EXPECT_FALSE(quotes.empty()) << where;
    for (const std::string& quote : quotes) EXPECT_TRUE(captions.contains(quote)) << where << ": \"" << quote << "\"";
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
                                                  "DOSSIERS REFUSÉS", "CORBEILLE", "PLANIFICATION", "FICHIERS", "FILTRES",
                                                  "CODE DE RETOUR", "ENVIRONNEMENT", "EXEMPLES", "VOIR AUSSI"}));
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

// The guide's captions are checked against the windows started where the examples left their
// profile file, so the profile they name is an entry of the "&Profils" menu too.
TEST_F(ManualPage, TheExamplesRunAsWrittenInANewHomeAndTheGuideQuotesTheWindowsOwnCaptions)
{
    // The command lines are those starting with "$ ", with the lines a final "\" continues.
    std::vector<std::string> commands;
    for (const auto& line : section(page, "EXEMPLES")) {
        const std::string text = line.substr(std::min(line.find_first_not_of(' '), line.size()));
        if (!commands.empty() && commands.back().ends_with('\\')) {
            commands.back() += "\n" + text;
        } else if (text.starts_with("$ ")) {
            commands.push_back(text.substr(2));
        }
    }
    ASSERT_EQ(commands.size(), 6U) << rendered.out;

    TempFolder home;
    home.makeFile("Documents/lettre.txt", "Bonjour");
    TempFolder key;  // stands for the key's mount point, which a test cannot mount there
    TempFolder bin;
    bin.makeLink("velmorane", VELMORANE_BINARY);
    std::string script = "set -e";
    for (const auto& command : commands) {
        script += "\n" + std::regex_replace(command, std::regex("/media/moi/CLE"), key.root());
    }
    const auto run = runProgram("/bin/sh", {"-c", script}, home.root(),
                                {{"HOME", home.root()}, {"PATH", bin.root() + ":/usr/bin:/bin"}});
    EXPECT_EQ(run.exitCode, 0) << script << "\n" << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(
        run.out.starts_with("Dossier(s) et Fichier(s) à Ajouter ( 1 ) =>\n" + home.path("Documents/lettre.txt")))
        << run.out;
    EXPECT_TRUE(run.out.ends_with("\tExécution du Profil Clé USB : OK\r\n")) << run.out;
    EXPECT_EQ(readTree(key.path("Archive"), FolderTimes::Left), readTree(home.path("Documents"), FolderTimes::Left));

    const std::set<std::string> captions = windowCaptions(home.root());
    expectAmong(readmeQuotes("## Un premier miroir"), captions, "README.md, Un premier miroir");
    const std::set<std::string> shown = withoutAccelerators(captions);
    expectAmong(quotedIn(textUnder(page, "   Un premier miroir"), "«", "»"), shown, "man, Un premier miroir");
    expectAmong(quotedIn(textUnder(page, "EXEMPLES"), "«", "»"), shown, "man, EXEMPLES");
}

}  // namespace
}  // namespace velmorane::testing
