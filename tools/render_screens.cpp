// Draws the screens of the main window, the unattended-run window, the menus and the help box into
// PNG files, so their captions and places can be looked at without a display. Fails when a window
// cuts one of its captions, puts a control outside itself or under another, or does not fit the
// screen.
// Usage: render_screens [FOLDER [WIDTHxHEIGHT]]   (default build/screens 1920x1080; the scale
// factor comes from QT_SCALE_FACTOR)

#include "tests/support/qt_scripted_dialogs.h"
#include "profiles/command_line.h"
#include "profiles/profile_file.h"
#include "profiles/shared_state.h"
#include "ui/progress_window.h"
#include "ui/control_places.h"
#include "ui/cut_text.h"
#include "ui/main_window.h"
#include "ui/profile_editor.h"
#include "ui/qt_dialogs.h"
#include "ui/application.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace velmorane;

namespace {

void writeFile(const QString& path, const std::string& content)
{
    QDir().mkpath(QFileInfo(path).path());
    std::ofstream(path.toStdString(), std::ios::binary) << content;
}

// A small work folder and an archive that differs from it in each of the three ways.
void makeSampleTrees(const QString& root)
{
    writeFile(root + "/Travail/Lettres/lettre à Anne.txt", "Bonjour");
    writeFile(root + "/Travail/Lettres/facture.txt", "42 euros");
    writeFile(root + "/Travail/Photos/Été 2026/plage.jpg", std::string(2048, 'p'));
    writeFile(root + "/Travail/Notes.txt", "version 2");
    writeFile(root + "/Travail/Budget.ods", "budget");
    writeFile(root + "/Archive/Notes.txt", "version 1");
    writeFile(root + "/Archive/Vieux/brouillon.txt", "ancien");
    writeFile(root + "/Archive/Lettres/relance.txt", "relance");
    // More entries to delete than the delete list shows at once.
    for (int i = 1; i <= 15; ++i) writeFile(root + QStringLiteral("/Archive/ancien %1.txt").arg(i, 2, 10, QLatin1Char('0')), "x");
}

// Problems of a window drawn: captions cut, controls misplaced, a window larger than its screen.
std::vector<std::string> faults(const QWidget* widget)
{
    std::vector<std::string> found = ui::cutCaptions(widget);
    for (const std::string& place : ui::misplacedControls(widget)) found.push_back(place);
    if (widget->isWindow() && !ui::fitsScreen(widget)) found.push_back("the window does not fit the screen");
    return found;
}

// Saves the picture, and fails on any fault of the window.
bool save(QWidget* widget, const QString& folder, const char* name)
{
    QCoreApplication::processEvents();
    const QString path = folder + "/" + name;
    if (!widget->grab().save(path)) {
        std::cerr << "cannot write " << path.toStdString() << '\n';
        return false;
    }
    std::cout << path.toStdString() << '\n';
    const std::vector<std::string> found = faults(widget);
    for (const std::string& fault : found) std::cerr << name << ": " << fault << '\n';
    return found.empty();
}

// The review must show whole, without scrolling, whatever the window's size.
bool saveReview(ui::MainWindow& main, const QString& folder, const char* name)
{
    bool ok = save(&main, folder, name);
    const auto* area = main.findChild<QScrollArea*>(QStringLiteral("FormArea"));
    if (area->verticalScrollBar()->isVisible() || area->horizontalScrollBar()->isVisible()) {
        std::cerr << name << ": the review scrolls\n";
        ok = false;
    }
    return ok;
}

bool saveMenu(QMenu* menu, QWidget* window, const QString& folder, const char* name)
{
    menu->popup(window->mapToGlobal(QPoint(0, 0)));
    const bool saved = save(menu, folder, name);
    menu->hide();
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    // Qt's offscreen screen is 800×600 by default; the screen is given its size here, so the window
    // is drawn as on such a desktop.
    const QString size = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("1920x1080");
    const QStringList sides = size.split(QLatin1Char('x'));
    if (sides.size() != 2 || sides[0].toInt() <= 0 || sides[1].toInt() <= 0) {
        std::cerr << "usage: render_screens [FOLDER [WIDTHxHEIGHT]]\n";
        return 2;
    }
    QTemporaryDir config;
    const QString screenFile = config.path() + "/screen.json";
    writeFile(screenFile, QStringLiteral(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": %1, "height": %2,)"
                                         R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                              .arg(sides[0], sides[1])
                              .toStdString());
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screenFile).toUtf8());
    QApplication application(argc, argv);
    ui::setUpApplication(application);
    const QString folder = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/screens")).absolutePath();
    QDir().mkpath(folder);

    QTemporaryDir sample;
    makeSampleTrees(sample.path());
    const std::string work = (sample.path() + "/Travail").toStdString();
    const std::string archive = (sample.path() + "/Archive").toStdString();
    profiles::ProfileTable table;
    table.profiles.push_back({"Documents",
                              {work, archive, engine::Direction::WorkToArchive, engine::Action::Update,
                               "&Travail => Archive", "&Personnaliser la Mise à Jour"}});
    table.profiles.push_back({"Photos",
                              {work, archive, engine::Direction::ArchiveToWork, engine::Action::AddOnly,
                               "Archive => &Travail", "&Ajouter Seulement"}});
    if (const auto error = profiles::writeProfileFile((sample.path() + "/ArchProfils.vlr").toStdString(), table)) {
        std::cerr << "render_screens: the sample profiles cannot be written: " << error->reason << '\n';
        return 1;
    }
    QDir::setCurrent(sample.path());

    ui::ScriptedDialogs dialogs;
    profiles::SharedState state;
    ui::MainWindow main(state, dialogs);
    main.loadAtStart(profiles::takeWords("Documents"));
    main.show();
    bool ok = save(&main, folder, "home.png");
    main.chooseArchiveFolder();
    ok = save(&main, folder, "home_archive_targeted.png") && ok;
    main.chooseWorkFolder();
    ok = saveMenu(main.fileMenu, &main, folder, "menu_fichiers.png") && ok;
    ok = saveMenu(main.directionMenu, &main, folder, "menu_sens.png") && ok;
    ok = saveMenu(main.actionMenu, &main, folder, "menu_action.png") && ok;
    ok = saveMenu(main.profileMenu, &main, folder, "menu_profils.png") && ok;
    ok = saveMenu(main.editMenu, &main, folder, "menu_edition.png") && ok;

    main.setScreenState(ui::ScreenState::NoChoice);
    main.setScreenState(ui::ScreenState::Progress);
    main.progressFrame->setTitle(QStringLiteral("Parcours des Dossiers Communs"));
    main.stepLabel->setText(QString::fromStdString(work + "/Photos/Été 2026/"));
    main.counterLabel->setText(QStringLiteral("3"));
    ok = save(&main, folder, "progress.png") && ok;
    main.setScreenState(ui::ScreenState::LeavingReview);
    main.setScreenState(ui::ScreenState::ChoosingWork);

    main.startRun();
    main.addList->selectionModel()->select(main.addList->model()->index(1, 0), QItemSelectionModel::Select);
    main.addsBoxes[0]->click();
    // The widest counts the counters show.
    for (QLabel* counter : {main.addsCounter, main.replacementsCounter, main.deletionsCounter}) counter->setText(QStringLiteral("123456"));
    ok = saveReview(main, folder, "review.png") && ok;
    main.setProgress(1234, 20000, 1288490188, 10737418240);
    ok = saveReview(main, folder, "review_executing.png") && ok;
    main.deleteList->scrollToBottom();
    main.deleteList->setCurrentIndex(main.deleteList->model()->index(main.deleteList->model()->rowCount() - 1, 0));
    main.showMaximized();
    ok = saveReview(main, folder, "review_maximised.png") && ok;
    main.showNormal();
    main.setScreenState(ui::ScreenState::Review);

    main.resetSettings();
    main.actionChosen(0);
    main.directionChosen(0);
    main.chooseWorkFolder();
    main.folderList->setPath(work);
    main.chooseArchiveFolder();
    main.folderList->setPath(archive);
    main.startRun();
    ok = saveReview(main, folder, "review_comparer.png") && ok;
    main.backToSettings();

    const auto help = ui::makeMessageBox({profiles::helpText(), "Information", ui::Icon::Information}, &main);
    help->show();
    ok = save(help.get(), folder, "help.png") && ok;
    help->hide();

    const auto question = ui::makeMessageBox(
        ui::question("Erreur : 13 - Permission non accordée\r\nSur le fichier : /a/b.txt ou /c/b.txt\r\nFaut-il "
                           "continuer ?",
                           "Erreur grave", ui::Icon::Critical),
        &main);
    question->show();
    ok = save(question.get(), folder, "question.png") && ok;
    question->hide();

    state.editorMode = 1;
    ui::ProfileEditor adding(state, dialogs, &main);
    adding.nameEdit->setText(QStringLiteral("Documents 2026"));
    adding.show();
    ok = save(&adding, folder, "profile_add.png") && ok;
    adding.hide();
    state.editorMode = 2;
    ui::ProfileEditor deleting(state, dialogs, &main);
    deleting.show();
    ok = save(&deleting, folder, "profile_delete_nothing_chosen.png") && ok;
    deleting.profileList->setCurrentRow(0);
    ok = save(&deleting, folder, "profile_delete.png") && ok;
    deleting.hide();

    ui::ProgressWindow window;
    window.setWindowTitle(QStringLiteral("Profil Documents en cours d'exécution"));
    window.setMessage("Recherche\r\ndes\r\ndossiers");
    window.show();
    ok = save(&window, folder, "auto_recherche.png") && ok;
    window.setMessage("Exécution\r\ndes\r\ntâches");
    ok = save(&window, folder, "auto_execution.png") && ok;
    return ok ? 0 : 1;
}
