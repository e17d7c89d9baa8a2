#include "engine/validation.h"
#include "execution/outcome_texts.h"
#include "execution/run_report.h"
#include "platform/systemd_units.h"
#include "profiles/planned_runs.h"
#include "ui/file_edit_dialogs.h"
#include "ui/main_window.h"
#include "ui/outcome_boxes.h"
#include "ui/plan_dialog.h"
#include "ui/profile_dialogs.h"
#include "ui/profile_editor.h"
#include "ui/report_viewer.h"

#include <QCoreApplication>

namespace velmorane::ui {

void MainWindow::askProfileToAdd()
{
    if (const auto fault = engine::settingsFault(state_.settings)) {
        state_.statusText = execution::settingsFaultText(*fault);
        dialogs_.show(settingsFaultBox(*fault));
        return;
    }
    state_.editorMode = 1;
    openProfileEditor();
}

void MainWindow::askProfileToDelete()
{
    state_.editorMode = 2;
    openProfileEditor();
}

void MainWindow::openProfileEditor()
{
    const platform::FileStamp shown = state_.profileTable.fileStamp;
    // The editor works on the file as it is now, a change made by hand included.
    rereadProfilesShowing(state_, dialogs_);
    bool changed = false;
    if (state_.editorMode == 2 && state_.profileTable.count() == 0) {
        dialogs_.show({"Aucun Profil à Supprimer"});
    } else {
        ProfileEditor editor(state_, dialogs_, this);
        editor.exec();
        changed = editor.changed();
    }
    // A file read again is a change too: the menu shows what it holds now.
    if (!changed && state_.profileTable.fileStamp == shown) return;
    loadProfileMenu();
    markProfile(state_.activeProfile);
    refreshBrowsing();
}

void MainWindow::sortProfiles()
{
    if (!orderProfilesShowing(state_, dialogs_)) return;
    loadProfileMenu();
    markProfile(state_.activeProfile);
    refreshBrowsing();
}

void MainWindow::planProfile()
{
    if (state_.activeProfile < 1 || state_.activeProfile > state_.profileTable.count()) {
        dialogs_.show({"Aucun Profil choisi"});
        return;
    }
    const profiles::Profile& profile = state_.profileTable.at(state_.activeProfile);
    const std::string folder = profiles::profileFileFolder(state_.profileFilePath);
    const profiles::PlannedProfile planned{profile.name, folder,
                                           QCoreApplication::applicationFilePath().toStdString()};
    PlanDialog dialog(planned, profiles::readPlan(profile.name, folder),
                      profiles::profileVolume(profile.settings.source, profile.settings.archive, folder),
                      platform::userManagerRuns(), dialogs_, this);
    dialog.exec();
}

void MainWindow::showLastReport()
{
    if (state_.activeProfile < 1 || state_.activeProfile > state_.profileTable.count()) {
        dialogs_.show({"Aucun Profil choisi"});
        return;
    }
    const std::string name = state_.profileTable.at(state_.activeProfile).name;
    const auto report =
        execution::lastRunReport(profiles::profileKey(name, profiles::profileFileFolder(state_.profileFilePath)));
    if (!report) {
        dialogs_.show({"Aucun rapport pour le Profil " + name});
        return;
    }
    ReportViewer viewer(name, *report, this);
    viewer.exec();
}

void MainWindow::editChosenFile(int index)
{
    const std::string folder = fileList->path();
    const std::string name = fileList->chosenName();
    bool refresh = true;
    if (index == 0) refresh = askToRenameChosenFile(folder, name, dialogs_);
    if (index == 1) refresh = askToDeleteChosenFile(folder, name, dialogs_);
    if (refresh) refreshBrowsing();
}

void MainWindow::fileClicked()
{
    hintPicture->show();
}

}  // namespace velmorane::ui
