#include "tests/support/private_ssh_server.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/ssh_server_dialog.h"

#include <QTest>
#include <QTimer>

#include <pwd.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

using Lines = std::vector<std::string>;

// A private sshd stands for the server; its HOME holds the user's SSH configuration and known hosts.
class SshServers : public MainWindowTest {
protected:
    ui::MainWindow& startWithServer()
    {
        ui::MainWindow& w = start();
        w.folderList->browsedFolders().setSshConfigFile(server.configFile());
        return w;
    }

    // Chooses "Serveur SSH…" in the drive list and runs `inside` while its dialog is open.
    bool askServer(ui::MainWindow& w, const std::function<void(ui::SshServerDialog&)>& inside)
    {
        const int entry = w.driveList->count() - 1;
        return whileOpen<ui::SshServerDialog>(
            [&] {
                w.driveList->setCurrentIndex(entry);
                emit w.driveList->activated(entry);
            },
            inside);
    }

    Lines folderEntries() const
    {
        Lines entries;
        for (int row = 0; row < main->folderList->count(); ++row) {
            entries.push_back(main->folderList->item(row)->text().toStdString() + " = " + main->folderList->entryPath(row));
        }
        return entries;
    }

    PrivateSshServer server;
};

TEST_F(SshServers, AServerChosenInTheDialogIsBrowsedAsADriveAndItsFoldersAreChosenByTheirAddresses)
{
    if (!server.ready()) GTEST_SKIP() << server.skipReason();
    for (const char* folder : {"serveur/Photos", "serveur/Été", "serveur/100%", "serveur/.cache"}) tree.makeFolder(folder);
    tree.makeFile("serveur/lettre.txt", "x");
    ui::MainWindow& w = startWithServer();
    EXPECT_EQ(w.driveList->itemText(w.driveList->count() - 1).toStdString(), "Serveur SSH…");

    // Cancelled: nothing changes, and the list shows the open folder's drive again.
    const std::string drive = w.driveList->drive();
    EXPECT_TRUE(askServer(w, [](ui::SshServerDialog& dialog) { dialog.cancelButton->click(); }));
    EXPECT_EQ(w.driveList->drive(), drive);
    EXPECT_EQ(w.folderList->path(), tree.root());

    // While ssh connects (and may ask in a window of its own) the window answers its events, and
    // nothing that browses or runs can start.
    bool answeredWhileConnecting = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (w.busy() && !w.browsingFrame->isEnabled() && !w.startButton->isEnabled()) answeredWhileConnecting = true;
    });
    watch.start(1);
    Lines offered;
    EXPECT_TRUE(askServer(w, [&](ui::SshServerDialog& dialog) {
        for (int row = 0; row < dialog.servers->count(); ++row) offered.push_back(dialog.servers->item(row)->text().toStdString());
        EXPECT_FALSE(dialog.connectButton->isEnabled());
        const QRect place = dialog.servers->visualItemRect(dialog.servers->item(0));
        QTest::mouseClick(dialog.servers->viewport(), Qt::LeftButton, {}, place.center());
        EXPECT_EQ(dialog.server->text().toStdString(), PrivateSshServer::kHostAlias);
        EXPECT_TRUE(dialog.connectButton->isEnabled());
        dialog.connectButton->click();
    }));
    EXPECT_EQ(offered, Lines{PrivateSshServer::kHostAlias});
    watch.stop();
    EXPECT_TRUE(answeredWhileConnecting);
    EXPECT_FALSE(w.busy());
    EXPECT_TRUE(w.browsingFrame->isEnabled());

    // The server's user's home is opened, and chosen as a drive's folder is.
    const std::string server = "sftp://velmorane-test";
    const std::string home = server + ::getpwuid(::geteuid())->pw_dir;
    EXPECT_EQ(w.driveList->drive(), server + "/");
    EXPECT_EQ(w.driveList->currentText().toStdString(), "velmorane-test (SSH)");
    EXPECT_EQ(w.folderList->path(), home);
    EXPECT_EQ(w.folderList->entryPath(0), server + "/");
    EXPECT_EQ(state.settings.source, home);
    EXPECT_TRUE(w.fileList->names().isEmpty());

    // Its folders alone, sorted as this machine's, each kept by an address that reads back to it.
    ASSERT_TRUE(w.folderList->setPath(server + tree.path("serveur")));
    const Lines entries = folderEntries();
    EXPECT_EQ(Lines(entries.end() - 5, entries.end()),
              (Lines{"serveur = " + server + tree.path("serveur"), ".cache = " + server + tree.path("serveur/.cache"),
                     "100% = " + server + tree.path("serveur/100%25"), "Été = " + server + tree.path("serveur/Été"),
                     "Photos = " + server + tree.path("serveur/Photos")}));
    doubleClickFolder(server + tree.path("serveur/100%25"));
    EXPECT_EQ(state.settings.source, server + tree.path("serveur/100%25"));
    EXPECT_EQ(text(w.workLabel), server + tree.path("serveur/100%25"));
    click(w.archiveHeading);
    doubleClickFolder(server + tree.path("serveur"));
    EXPECT_EQ(state.settings.archive, server + tree.path("serveur"));

    // Another drive, then the server's again: its last folder.
    w.driveList->setCurrentIndex(w.driveList->findData(QStringLiteral("/")));
    w.driveChosen();
    EXPECT_EQ(w.folderList->path(), tree.root());
    w.driveList->setCurrentIndex(w.driveList->findData(QString::fromStdString(server + "/")));
    w.driveChosen();
    EXPECT_EQ(w.folderList->path(), server + tree.path("serveur"));
    EXPECT_EQ(shown(), Lines{});
}

TEST_F(SshServers, AServerThatCannotBeReachedIsToldInTheWordsOfSshAndNothingChanges)
{
    if (!server.ready()) GTEST_SKIP() << server.skipReason();
    ui::MainWindow& w = startWithServer();
    const int drives = w.driveList->count();
    const unsigned port = server.port() == 65535 ? 1 : server.port() + 1;
    const std::string nowhere = "127.0.0.1:" + std::to_string(port);
    EXPECT_TRUE(askServer(w, [&](ui::SshServerDialog& dialog) {
        dialog.server->setText(QString::fromStdString(" " + nowhere + " "));
        dialog.connectButton->click();
    }));
    w.connectToServer("moi@");
    EXPECT_EQ(shown(), (Lines{"Velmorane: Connexion impossible au serveur " + nowhere + "\nssh: connect to host 127.0.0.1 port " +
                                  std::to_string(port) + ": Connection refused",
                              "Velmorane: Serveur SSH incorrect : moi@\nle nom du serveur manque"}));
    EXPECT_EQ(dialogs.shown()[0].icon, ui::Icon::Critical);
    EXPECT_EQ(w.driveList->count(), drives);
    EXPECT_EQ(w.folderList->path(), tree.root());
    EXPECT_EQ(w.driveList->drive(), w.driveList->driveOf(tree.root()));
    EXPECT_EQ(text(w.workLabel), "");
}

}  // namespace
}  // namespace velmorane::testing
