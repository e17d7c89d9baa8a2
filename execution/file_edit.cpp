#include "execution/file_edit.h"

#include "engine/status_text.h"
#include "platform/file_operations.h"
#include "platform/letter_case.h"
#include "platform/paths.h"
#include "platform/spaces.h"

namespace velmorane::execution {
namespace {

bool noFileChosen(const std::string& name, platform::Dialogs& dialogs)
{
    if (!name.empty()) return false;
    dialogs.show({"Aucun fichier n'est choisi", "Action Impossible", platform::Icon::Warning});
    return true;
}

void reportFailure(const std::string& what, const std::string& path, const platform::SystemError& error,
                   const std::string& title, platform::Dialogs& dialogs)
{
    dialogs.show(platform::stopMessage(what + path + engine::kLineBreak + error.reason, title));
}

}  // namespace

bool renameChosenFile(const std::string& folder, const std::string& name, platform::Dialogs& dialogs)
{
    if (noFileChosen(name, dialogs)) return false;
    const std::string path = platform::joinPath(folder, name);
    const auto answer = dialogs.show(
        platform::question("Voulez-vous Renommer le Fichier " + path, "Attention !", platform::Icon::Critical));
    if (answer != platform::Answer::Yes) return true;

    const auto typed = dialogs.inputBox("Nouveau Nom de " + name, "Renommer un Fichier", name);
    if (!typed || platform::trimmedSpaces(*typed).empty() ||
        platform::equalIgnoringCase(platform::trimmedSpaces(*typed), name)) {
        return false;
    }
    // A name is one component: a "/" would move the file elsewhere.
    if (typed->find('/') != std::string::npos) {
        dialogs.show({"Un nom de fichier ne peut pas contenir \"/\" : " + *typed, "Renommer un Fichier",
                      platform::Icon::Warning});
        return true;
    }
    auto error = platform::clearReadOnly(path);
    if (!error) error = platform::renameFile(path, platform::joinPath(folder, *typed));
    if (error) reportFailure("Impossible de renommer le fichier ", path, *error, "Renommer un Fichier", dialogs);
    return true;
}

bool deleteChosenFile(const std::string& folder, const std::string& name, platform::Dialogs& dialogs)
{
    if (noFileChosen(name, dialogs)) return false;
    const std::string path = platform::joinPath(folder, name);
    // Deleting cannot be undone: Enter alone must not do it.
    platform::Message ask =
        platform::question("Voulez-vous Supprimer le Fichier " + path, "Supprimer un Fichier", platform::Icon::Critical);
    ask.defaultButton = platform::Answer::No;
    const auto answer = dialogs.show(ask);
    if (answer != platform::Answer::Yes) return true;
    if (const auto error = platform::deleteFile(path)) {
        reportFailure("Impossible de supprimer le fichier ", path, *error, "Supprimer un Fichier", dialogs);
    }
    return true;
}

}  // namespace velmorane::execution
