#include "engine/validation.h"
#include "execution/file_edit.h"
#include "profiles/profile_editing.h"
#include "profiles/profile_ordering.h"
#include "ui/main_window.h"
#include "ui/profile_window.h"

namespace velmorane::ui {

void Main::ProfNouv_Click()
{
    if (!engine::settingsAreValid(state_.settings, state_.txtMess)) {
        dialogs_.show(engine::settingsRefusal(state_.txtMess));
        return;
    }
    state_.modeProfil = 1;
    openProfileEditor();
}

void Main::Efface_Click()
{
    state_.modeProfil = 2;
    openProfileEditor();
}

void Main::openProfileEditor()
{
    const platform::FileStamp shown = state_.tabProfils.fileStamp;
    // The editor works on the file as it is now, a change made by hand included.
    profiles::rereadProfilesWhenChanged(state_, dialogs_);
    bool changed = false;
    if (state_.modeProfil == 2 && state_.tabProfils.nbProfils() == 0) {
        dialogs_.show({"Aucun Profil à Supprimer"});
    } else {
        Profil editor(state_, dialogs_, this);
        editor.exec();
        changed = editor.changed();
    }
    // A file read again is a change too: the menu shows what it holds now.
    if (!changed && state_.tabProfils.fileStamp == shown) return;
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
