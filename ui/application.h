#pragma once

class QApplication;

namespace velmorane::ui {

// What every window and box of the program shares: its name, style, icon and Qt's French texts.
void setUpApplication(QApplication& application);

// ssh's one question, asked in a window when the program is started as ssh's SSH_ASKPASS: the
// answer and a line feed on standard output and 0, or nothing and 1 when the window is closed
// without an answer or no display can show it.
int askSshQuestion(int argc, char** argv);

// Starts the windows, or the unattended run of a profile; returns the exit status.
int runApplication(int argc, char** argv);

}  // namespace velmorane::ui
