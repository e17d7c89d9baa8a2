#pragma once

#include "execution/run_driver.h"
#include "ui/dialogs.h"
#include "profiles/command_line.h"
#include "ui/progress_window.h"

namespace velmorane::ui {

// How `velmorane PROFIL X` ended under its progress window.
struct UnattendedWindowEnd {
    int exitStatus = execution::kExitNothingExecuted;
    // Nothing was executed, or a person answered "Non": the main window is left to them, and the
    // program exits with the status once it is closed.
    bool leavesMainWindow = false;
};

// `velmorane PROFIL X` with a display: the progress window observes the run of the profile, which
// works on a thread of its own; refusals and questions are boxes. A profile that is not there is
// journalled as not executed. The journal entry and the exit status are the run driver's.
UnattendedWindowEnd runUnderProgressWindow(ProgressWindow& window, const profiles::CommandWords& words, ui::Dialogs& dialogs);

// Asks whether to stop the execution in progress; true on Oui.
bool personStopsExecution(ui::Dialogs& dialogs);

}  // namespace velmorane::ui
