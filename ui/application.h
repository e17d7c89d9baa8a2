#pragma once

class QApplication;

namespace velmorane::ui {

// What every window and box of the program shares: its name, style, icon and Qt's French texts.
void setUpApplication(QApplication& application);

// Starts the windows, or the unattended run of a profile; returns the exit status.
int runApplication(int argc, char** argv);

}  // namespace velmorane::ui
