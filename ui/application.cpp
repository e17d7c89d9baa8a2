#include "ui/application.h"

#include "platform/headless_dialogs.h"
#include "profiles/command_line.h"
#include "profiles/shared_state.h"
#include "ui/main_window.h"
#include "ui/qt_dialogs.h"

#include <QApplication>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace velmorane::ui {
namespace {

// Nothing was executed: profile not found, settings refused, source missing or unreadable.
constexpr int kNothingExecuted = 2;

bool hasDisplay()
{
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

profiles::CommandWords commandWords(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return profiles::takeWords(profiles::joinArguments(arguments));
}

// Without a display the error stream carries the program's own messages only; Qt's notes about its
// offscreen platform (no runtime folder, no window manager) would read as failures there.
void keepQtNotesOffTheErrorStream(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << text.toStdString() << '\n';
}

}  // namespace

int runApplication(int argc, char** argv)
{
    const profiles::CommandWords words = commandWords(argc, argv);
    const bool headless = !hasDisplay();
    if (headless) {
        if (!profiles::asksUnattendedRun(words)) {
            std::cerr << "Aucun affichage disponible : Velmorane a besoin d'un affichage (DISPLAY ou "
                         "WAYLAND_DISPLAY) pour ouvrir ses fenêtres ; voir velmorane --help.\n";
            return kNothingExecuted;
        }
        // An unattended run needs no screen: its windows are drawn nowhere.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(keepQtNotesOffTheErrorStream);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(platform::kApplicationTitle));
    QApplication::setStyle(QStringLiteral("Fusion"));

    std::unique_ptr<platform::Dialogs> dialogs;
    if (headless) {
        dialogs = std::make_unique<platform::HeadlessDialogs>(std::cerr);
    } else {
        dialogs = std::make_unique<QtDialogs>();
    }
    profiles::SharedState state;
    Main main(state, *dialogs);
    main.Form_Load(words);
    if (const auto status = main.exitStatus()) return *status;
    if (headless) {
        if (state.profActif < 1) std::cerr << "Profil introuvable : " << words.first << '\n';
        return kNothingExecuted;
    }
    main.show();
    return QApplication::exec();
}

}  // namespace velmorane::ui
