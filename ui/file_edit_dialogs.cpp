#include "ui/file_edit_dialogs.h"

#include "execution/file_edit.h"
#include "platform/paths.h"

namespace velmorane::ui {
namespace {

bool noFileChosen(const std::string& name, ui::Dialogs& dialogs)
{
    if (!name.empty()) return false;
    dialogs.show({"Aucun fichier n'est choisi", "Action Impossible", ui::Icon::Warning});
    return true;
}

void reportFailure(const std::string& what, const std::string& path, const platform::MaybeError& error,
                   const std::string& title, ui::Dialogs& dialogs)
{
    if (error) dialogs.show(ui::stopMessage(what + path + "\n" + error->reason, title));
}

}  // namespace

bool askToRenameChosenFile(const std::string& folder, const std::string& name, ui::Dialogs& dialogs)
{
    if (noFileChosen(name, dialogs)) return false;
    const std::string path = platform::joinPath(folder, name);
    const auto answer = dialogs.show(
        ui::question("Voulez-vous Renommer le Fichier " + path, "Attention !", ui::Icon::Critical));
    if (answer != ui::Answer::Yes) return true;

    const auto typed = dialogs.inputBox("Nouveau Nom de " + name, "Renommer un Fichier", name);
    switch (execution::checkNewName(name, typed)) {
    case execution::NewName::Unchanged: return false;
    case execution::NewName::HoldsSeparator:
        dialogs.show({"Un nom de fichier ne peut pas contenir \"/\" : " + *typed, "Renommer un Fichier",
                      ui::Icon::Warning});
        return true;
    case execution::NewName::Acceptable: break;
    }
    reportFailure("Impossible de renommer le fichier ", path, execution::renameChosenFile(folder, name, *typed),
                  "Renommer un Fichier", dialogs);
    return true;
}

bool askToDeleteChosenFile(const std::string& folder, const std::string& name, ui::Dialogs& dialogs)
{
    if (noFileChosen(name, dialogs)) return false;
    const std::string path = platform::joinPath(folder, name);
    // Deleting cannot be undone: Enter alone must not do it.
    ui::Message ask =
        ui::question("Voulez-vous Supprimer le Fichier " + path, "Supprimer un Fichier", ui::Icon::Critical);
    ask.defaultButton = ui::Answer::No;
    if (dialogs.show(ask) != ui::Answer::Yes) return true;
    reportFailure("Impossible de supprimer le fichier ", path, execution::deleteChosenFile(folder, name),
                  "Supprimer un Fichier", dialogs);
    return true;
}

}  // namespace velmorane::ui
