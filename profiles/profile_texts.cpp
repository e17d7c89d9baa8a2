#include "profiles/profile_texts.h"

#include "platform/paths.h"

namespace velmorane::profiles {
namespace {

constexpr const char* kCautionTitle = "Attention";
constexpr const char* kNotWrittenTitle = "Ecriture Impossible";

std::string absolutePath(const std::string& path)
{
    return path.starts_with(platform::kSeparator) ? path : platform::joinPath(platform::currentDirectory(), path);
}

}  // namespace

execution::OutcomeText profileFileText(const ProfileFileProblem& problem)
{
    switch (problem.fault) {
    case ProfileFileFault::Untrusted: return {kCautionTitle, "Fichier de Profils Incorrect\n" + problem.reason};
    case ProfileFileFault::Empty: return {kCautionTitle, "Fichier de Profils Vide"};
    case ProfileFileFault::Incorrect: break;
    }
    return {kCautionTitle, "Fichier de Profils Incorrect"};
}

execution::OutcomeText replaceQuestionText(const std::string& path)
{
    return {kCautionTitle, "Le fichier de Profils " + absolutePath(path) +
                               " est incorrect : le remplacer ? Il sera gardé sous " + platform::lastComponent(path) +
                               kBackupSuffix};
}

execution::OutcomeText writeFailureText(const std::string& reason)
{
    return {kCautionTitle, "Impossible d'écrire le fichier de Profils\n" + reason};
}

execution::OutcomeText nameMissingText()
{
    return {kNotWrittenTitle, "Il faut un Nom de Profil"};
}

execution::OutcomeText folderNotTextText(const std::string& folder)
{
    return {kNotWrittenTitle,
            "Le nom du dossier " + folder + " n'est pas en UTF-8 : il ne peut pas être enregistré dans un Profil"};
}

execution::OutcomeText redefineQuestionText(const std::string& name)
{
    return {kCautionTitle, "Redéfinir " + name};
}

execution::OutcomeText planRemovalFailureText(const std::string& name, const std::string& reason)
{
    return {kCautionTitle, "Impossible de retirer la planification du Profil " + name + "\n" + reason};
}

}  // namespace velmorane::profiles
