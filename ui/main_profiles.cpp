#include "engine/validation.h"
#include "execution/file_edit.h"
#include "profiles/profile_ordering.h"
#include "ui/main_window.h"
#include "ui/profile_window.h"

namespace velmorane::ui {

void Main::ProfNouv_Click()
{
    if (!engine::TesteOK(state_.settings, state_.txtMess)) {
        dialogs_.show(engine::settingsRefusal(state_.txtMess));
        return;
    }
    state_.modeProfil = 1;
    openProfileEditor();
}

void Main::Efface_Click()
{
    if (state_.tabProfils.nbProfils() == 0) {
        dialogs_.show({"Aucun Profil à Supprimer"});
        return;
    }
    state_.modeProfil = 2;
    openProfileEditor();
}

void Main::openProfileEditor()
{
    Profil editor(state_, dialogs_, this);
    editor.exec();
    if (!editor.changed()) return;
    loadProfileMenu();
    chkProfil(state_.profActif);
    refreshBrowsing();
}

void Main::TriProf_Click()
{
    if (!profiles::orderProfiles(state_, dialogs_)) return;
    loadProfileMenu();
    chkProfil(state_.profActif);
    refreshBrowsing();
}

void Main::Edite_Click(int index)
{
    const std::string folder = Fichier->path();
    const std::string name = Fichier->chosenName();
    bool refresh = true;
    if (index == 0) refresh = execution::renameChosenFile(folder, name, dialogs_);
    if (index == 1) refresh = execution::deleteChosenFile(folder, name, dialogs_);
    if (refresh) refreshBrowsing();
}

void Main::Fichier_Click()
{
    ChatRex->show();
}

}  // namespace velmorane::ui
