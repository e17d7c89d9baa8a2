#include "profiles/command_line.h"

#include "platform/letter_case.h"
#include "platform/spaces.h"

namespace velmorane::profiles {
namespace {

// A tab counts as one space, and the spaces after it are dropped.
std::string tabsAsSpaces(std::string text)
{
    for (auto tab = text.find('\t'); tab != std::string::npos; tab = text.find('\t')) {
        text = text.substr(0, tab) + " " + std::string(platform::trimmedSpaces(std::string_view(text).substr(tab + 1)));
    }
    return text;
}

}  // namespace

CommandWords takeWords(std::string_view commandLine)
{
    const std::string text = tabsAsSpaces(std::string(platform::trimmedSpaces(commandLine)));
    const auto space = text.find(' ');
    if (space == std::string::npos) return {text, {}};
    const std::string rest(platform::trimmedSpaces(std::string_view(text).substr(space + 1)));
    return {text.substr(0, space), rest.substr(0, rest.find(' '))};
}

CommandWords takeWords(const std::vector<std::string>& arguments)
{
    CommandWords words;
    for (const auto& argument : arguments) {
        const auto begin = argument.find_first_not_of(" \t");
        if (begin == std::string::npos) continue;
        std::string word = argument.substr(begin, argument.find_last_not_of(" \t") + 1 - begin);
        if (!words.first.empty()) {
            words.second = std::move(word);
            break;
        }
        words.first = std::move(word);
    }
    return words;
}

bool asksUnattendedRun(const CommandWords& words)
{
    return platform::equalIgnoringCase(words.second, "X");
}

int findProfile(const ProfileTable& table, std::string_view name)
{
    for (int number = table.count(); number >= 1; --number) {
        if (platform::equalIgnoringCase(table.at(number).name, name)) return number;
    }
    return 0;
}

std::string helpText()
{
    return "Syntaxe de lancement :\n"
           "\tVelmorane => lancement 'normal' du logiciel'\n"
           "\tVelmorane Profil => lancement du logiciel ET OUVERTURE du profil indiqué\n"
           "\tVelmorane Profil X => lancement ET EXECUTION du profil indiqué\n"
           "La commande en ligne n'est pas sensible à la casse";
}

}  // namespace velmorane::profiles
