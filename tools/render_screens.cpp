// Draws the screens of the main window, the unattended-run window, the menus and the help box into
// PNG files, so their captions and places can be looked at without a display. Fails when a window
// cuts one of its captions.
// Usage: render_screens [FOLDER]   (default build/screens)

#include "tests/support/scripted_dialogs.h"
#include "profiles/command_line.h"
#include "profiles/profile_file.h"
#include "profiles/shared_state.h"
#include "ui/cut_text.h"
#include "ui/main_window.h"
#include "ui/profile_window.h"
#include "ui/qt_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
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
}

// Saves the picture, and fails on any caption that the window cuts.
bool save(QWidget* widget, const QString& folder, const char* name)
{
    QCoreApplication::processEvents();
    const QString path = folder + "/" + name;
    if (!widget->grab().save(path)) {
        std::cerr << "cannot write " << path.toStdString() << '\n';
        return false;
    }
    std::cout << path.toStdString() << '\n';
    const std::vector<std::string> cut = ui::cutCaptions(widget);
    for (const std::string& caption : cut) std::cerr << name << ": cut text: " << caption << '\n';
    return cut.empty();
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
    // Qt's offscreen screen is 800×600 by default, and message boxes wrap their lines to fit such a
    // screen; a screen of a usual desktop's size shows them as a desktop would.
    QTemporaryDir config;
    const QString screenFile = config.path() + "/screen.json";
    writeFile(screenFile, R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
                          R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screenFile).toUtf8());
    QApplication application(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QString folder = QDir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("build/screens")).absolutePath();
    QDir().mkpath(folder);

    QTemporaryDir sample;
    makeSampleTrees(sample.path());
    const std::string work = (sample.path() + "/Travail").toStdString();
    const std::string archive = (sample.path() + "/Archive").toStdString();
    profiles::ProfileTable table;
    table.profiles.push_back(profiles::Profile{{"Documents", work, archive, "0", "&Travail => Archive", "1",
                                                "&Personnaliser la Mise à Jour"}});
    table.profiles.push_back(profiles::Profile{{"Photos", work, archive, "1", "Archive => &Travail", "2",
                                                "&Ajouter Seulement"}});
    profiles::writeProfileFile((sample.path() + "/ArchProfils.vlr").toStdString(), table);
    QDir::setCurrent(sample.path());

    platform::ScriptedDialogs dialogs;
    profiles::SharedState state;
    ui::Main main(state, dialogs);
    main.Form_Load(profiles::takeWords("Documents"));
    main.show();
    bool ok = save(&main, folder, "home.png");
    main.But_Click();
    ok = save(&main, folder, "home_archive_targeted.png") && ok;
    main.Source_Click();
    ok = saveMenu(main.menFich, &main, folder, "menu_fichiers.png") && ok;
    ok = saveMenu(main.menSens, &main, folder, "menu_sens.png") && ok;
    ok = saveMenu(main.menAction, &main, folder, "menu_action.png") && ok;
    ok = saveMenu(main.menProf, &main, folder, "menu_profils.png") && ok;
    ok = saveMenu(main.menEdit, &main, folder, "menu_edition.png") && ok;

    main.Environ(3);
    main.Environ(0);
    main.Panneau->setTitle(QStringLiteral("Parcours des Dossiers Communs"));
    main.Etape->setText(QString::fromStdString(work + "/Photos/Été 2026/"));
    main.Compteur->setText(QStringLiteral("3"));
    ok = save(&main, folder, "progress.png") && ok;
    main.Environ(5);
    main.Environ(1);

    main.Lance_Click();
    main.fichAjout->selectionModel()->select(main.fichAjout->model()->index(1, 0), QItemSelectionModel::Select);
    main.Ajout[0]->click();
    ok = save(&main, folder, "review.png") && ok;

    main.Init_Click();
    main.Action_Click(0);
    main.Sens_Click(0);
    main.Source_Click();
    main.Dossier->setPath(work);
    main.But_Click();
    main.Dossier->setPath(archive);
    main.Lance_Click();
    ok = save(&main, folder, "review_comparer.png") && ok;
    main.Retour_Click();

    const auto help = ui::makeMessageBox({profiles::helpText(), "Information", platform::Icon::Information}, &main);
    help->show();
    ok = save(help.get(), folder, "help.png") && ok;
    help->hide();

    const auto question = ui::makeMessageBox(
        platform::question("Erreur : 13 - Permission non accordée\r\nSur le fichier : /a/b.txt ou /c/b.txt\r\nFaut-il "
                           "continuer ?",
                           "Erreur grave", platform::Icon::Critical),
        &main);
    question->show();
    ok = save(question.get(), folder, "question.png") && ok;
    question->hide();

    state.modeProfil = 1;
    ui::Profil adding(state, dialogs, &main);
    adding.infProf->setText(QStringLiteral("Documents 2026"));
    adding.show();
    ok = save(&adding, folder, "profile_add.png") && ok;
    adding.hide();
    state.modeProfil = 2;
    ui::Profil deleting(state, dialogs, &main);
    deleting.show();
    ok = save(&deleting, folder, "profile_delete_nothing_chosen.png") && ok;
    deleting.listProf->setCurrentRow(0);
    ok = save(&deleting, folder, "profile_delete.png") && ok;
    deleting.hide();

    ui::Auto window;
    window.setWindowTitle(QStringLiteral("Profil Documents en cours d'exécution"));
    window.setAffiche("Recherche\r\ndes\r\ndossiers");
    window.show();
    ok = save(&window, folder, "auto_recherche.png") && ok;
    window.setAffiche("Exécution\r\ndes\r\ntâches");
    ok = save(&window, folder, "auto_execution.png") && ok;
    return ok ? 0 : 1;
}
