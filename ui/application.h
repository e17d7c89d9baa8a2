#pragma once

namespace velmorane::ui {

// Starts the windows, or the unattended run of a profile; returns the exit status.
int runApplication(int argc, char** argv);

}  // namespace velmorane::ui
