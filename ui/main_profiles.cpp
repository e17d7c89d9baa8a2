#include "engine/validation.h"
#include "execution/file_edit.h"
#include "execution/run_report.h"
#include "platform/systemd_units.h"
#include "profiles/planned_runs.h"
#include "profiles/profile_editing.h"
#include "profiles/profile_ordering.h"
#include "ui/main_window.h"
#include "ui/plan_dialog.h"
#include "ui/profile_window.h"
#include "ui/report_viewer.h"

#include <QCoreApplication>

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

void Main::Planifier_Click()
{
    if (state_.profActif < 1 || state_.profActif > state_.tabProfils.nbProfils()) {
        dialogs_.show({"Aucun Profil choisi"});
        return;
    }
    const profiles::Profile& profile = state_.tabProfils.at(state_.profActif);
    const std::string folder = profiles::profileFileFolder(state_.profileFilePath);
    const profiles::PlannedProfile planned{profile.name, folder,
                                           QCoreApplication::applicationFilePath().toStdString()};
    PlanDialog dialog(planned, profiles::readPlan(profile.name, folder),
                      profiles::profileVolume(profile.settings.source, profile.settings.archive, folder),
                      platform::userManagerRuns(), dialogs_, this);
    dialog.exec();
}

void Main::Rapport_Click()
{
    if (state_.profActif < 1 || state_.profActif > state_.tabProfils.nbProfils()) {
        dialogs_.show({"Aucun Profil choisi"});
        return;
    }
    const std::string name = state_.tabProfils.at(state_.profActif).name;
    const auto report =
        execution::lastRunReport(profiles::profileKey(name, profiles::profileFileFolder(state_.profileFilePath)));
    if (!report) {
        dialogs_.show({"Aucun rapport pour le Profil " + name});
        return;
    }
    ReportViewer viewer(name, *report, this);
    viewer.exec();
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
