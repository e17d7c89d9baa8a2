#include "ui/application.h"

#include "execution/run_driver.h"
#include "profiles/command_line.h"
#include "profiles/shared_state.h"
#include "cli/unattended_run.h"
#include "platform/ssh_askpass.h"
#include "ui/unattended_window_run.h"
#include "ui/main_window.h"
#include "ui/pictures.h"
#include "ui/qt_dialogs.h"
#include "ui/ssh_question.h"
#include "ui/translations.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmorane::ui {
namespace {

constexpr const char* kOffscreen = "offscreen";
// ssh takes any other status of its SSH_ASKPASS program for a question left unanswered.
constexpr int kNoAnswer = 1;

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool hasDisplay()
{
    return !variable("DISPLAY").empty() || !variable("WAYLAND_DISPLAY").empty();
}

// The displays named by the environment, as the line on a failed start names them.
std::string namedDisplays()
{
    std::string names;
    for (const char* name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        if (variable(name).empty()) continue;
        if (!names.empty()) names += ", ";
        names += variable(name) + " (" + name + ")";
    }
    return names;
}

// The platforms Qt tries in turn: the one chosen for it, or those of the displays named, then none.
// A display that cannot be opened (a scheduled job with a stale DISPLAY) then leaves the program
// without a display instead of aborting it.
QByteArray platformsToTry()
{
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    if (platforms.isEmpty()) {
        if (!variable("WAYLAND_DISPLAY").empty()) platforms += "wayland;";
        if (!variable("DISPLAY").empty()) platforms += "xcb;";
    } else {
        platforms += ';';
    }
    return platforms + kOffscreen;
}

void printNoDisplay(const std::string& reason)
{
    std::cerr << "Aucun affichage disponible : " << reason << " ; voir velmorane --help.\n";
}

profiles::CommandWords commandWords(int argc, char** argv)
{
    return profiles::takeWords(std::vector<std::string>(argv + 1, argv + argc));
}

// Without a display the error stream carries the program's own messages only; Qt's notes about its
// offscreen platform (no runtime folder, no window manager) would read as failures there.
void keepQtNotesOffTheErrorStream(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
}

// An unattended run shows its progress window only; the main window is built when the run leaves
// it to the person, and the run's status is the program's once it is closed.
int runWindows(const profiles::CommandWords& words)
{
    QtDialogs dialogs;
    std::optional<int> unattendedStatus;
    if (profiles::asksUnattendedRun(words)) {
        ProgressWindow progress;
        const UnattendedWindowEnd end = runUnderProgressWindow(progress, words, dialogs);
        if (!end.leavesMainWindow) return end.exitStatus;
        unattendedStatus = end.exitStatus;
    }
    // The window's connections to SSH servers ask their questions here, not in a terminal.
    platform::askSshQuestionsThroughThisProgram();
    profiles::SharedState state;
    MainWindow main(state, dialogs);
    main.loadAtStart(words);
    main.show();
    const int closed = QApplication::exec();
    return unattendedStatus.value_or(closed);
}

}  // namespace

void setUpApplication(QApplication& application)
{
    installFrenchTranslations(application);
    QApplication::setApplicationName(QString::fromUtf8(execution::kApplicationTitle));
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Windows and boxes without an icon of their own show the application's.
    QApplication::setWindowIcon(windowIcon());
}

int askSshQuestion(int argc, char** argv)
{
    const std::string asked = argv[1];
    if (!hasDisplay()) return kNoAnswer;
    qputenv("QT_QPA_PLATFORM", platformsToTry());
    const QtMessageHandler previousHandler = qInstallMessageHandler(keepQtNotesOffTheErrorStream);
    QApplication application(argc, argv);
    setUpApplication(application);
    if (QGuiApplication::platformName() == QLatin1String(kOffscreen)) return kNoAnswer;
    qInstallMessageHandler(previousHandler);
    SshQuestionDialog dialog(asked);
    dialog.exec();
    if (!dialog.answer()) return kNoAnswer;
    std::cout << *dialog.answer() << '\n' << std::flush;
    return 0;
}

int runApplication(int argc, char** argv)
{
    const profiles::CommandWords words = commandWords(argc, argv);
    const bool unattended = profiles::asksUnattendedRun(words);
    if (!hasDisplay()) {
        // An unattended run needs no screen: it builds no window and loads no display plugin.
        if (unattended) return cli::runUnattended(words, std::cerr);
        printNoDisplay("Velmorane a besoin d'un affichage (DISPLAY ou WAYLAND_DISPLAY) pour ouvrir ses fenêtres");
        return execution::kExitNothingExecuted;
    }
    qputenv("QT_QPA_PLATFORM", platformsToTry());
    // Qt's notes on the displays it could not open are no business of the error stream.
    const QtMessageHandler previousHandler = qInstallMessageHandler(keepQtNotesOffTheErrorStream);

    QApplication application(argc, argv);
    setUpApplication(application);
    const bool headless = QGuiApplication::platformName() == QLatin1String(kOffscreen);
    if (headless) {
        if (unattended) return cli::runUnattended(words, std::cerr);
        printNoDisplay("impossible d'ouvrir l'affichage " + namedDisplays());
        return execution::kExitNothingExecuted;
    }
    qInstallMessageHandler(previousHandler);
    return runWindows(words);
}

}  // namespace velmorane::ui
