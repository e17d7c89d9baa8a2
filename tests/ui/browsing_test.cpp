#include "platform/system_error.h"
#include "tests/support/child_process.h"
#include "tests/support/desktop_share_session.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/private_ssh_server.h"
#include "tests/support/scoped_environment.h"
#include "tests/ui/main_window_fixture.h"

#include <QAbstractItemView>
#include <QTest>

#include <cerrno>

namespace velmorane::testing {
namespace {

class Browsing : public MainWindowTest {
protected:
    Browsing()
    {
        tree.makeFile("travail/lettre.txt", "a");
        tree.makeFile("travail/.cache", "b");
        tree.makeFolder("archive");
        tree.makeFile("notes.txt", "c");
    }

    std::vector<std::string> folderEntries() const
    {
        std::vector<std::string> paths;
        for (int row = 0; row < main->folderList->count(); ++row) paths.push_back(main->folderList->entryPath(row));
        return paths;
    }
};

TEST_F(Browsing, DoubleClicksChooseTheTargetedFolderAndSingleClicksReapplyTheOpenOne)
{
    ui::MainWindow& w = start();
    // Start-up opens the working directory without choosing it.
    EXPECT_EQ(w.driveList->drive(), "/");
    const std::vector<std::string> folders = folderEntries();
    ASSERT_GE(folders.size(), 3u);
    EXPECT_EQ(folders.front(), "/");
    EXPECT_EQ(std::vector<std::string>(folders.end() - 3, folders.end()),
              (std::vector<std::string>{tree.root(), tree.path("archive"), tree.path("travail")}));
    EXPECT_EQ(w.fileList->names(), QStringList{"notes.txt"});
    EXPECT_EQ(text(w.workLabel), "");

    doubleClickFolder(tree.path("travail"));
    EXPECT_EQ(w.folderList->path(), tree.path("travail"));
    EXPECT_EQ(w.fileList->names(), QStringList{"lettre.txt"});  // hidden files are not listed
    EXPECT_EQ(state.settings.source, tree.path("travail"));
    EXPECT_EQ(text(w.statusLabel), "Dossier de Travail :\n" + tree.path("travail") +
                                    "\n\nDossier d'Archive Inconnu\n\nSens de Transfert Inconnu\n\nType d'Action Inconnu");
    click(w.archiveHeading);
    openFolder(tree.path("archive"));
    EXPECT_EQ(text(w.archiveLabel), tree.path("archive"));
    EXPECT_EQ(text(w.workLabel), tree.path("travail"));

    click(w.workLabel);
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    clickFolder(0);
    EXPECT_EQ(w.folderList->path(), tree.path("archive"));
    EXPECT_EQ(text(w.workLabel), tree.path("archive"));

    // The labels and the folder commands switch the target.
    click(w.archiveLabel);
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingArchive);
    w.workFolderEntry->trigger();
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);
    w.archiveFolderEntry->trigger();
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingArchive);
    click(w.workHeading);
    EXPECT_EQ(w.screenState(), ui::ScreenState::ChoosingWork);

    // While neither folder is being chosen, a folder choice sets neither label.
    w.setScreenState(ui::ScreenState::NoChoice);
    openFolder(tree.path("travail"));
    EXPECT_EQ(text(w.workLabel), tree.path("archive"));
    EXPECT_EQ(text(w.archiveLabel), tree.path("archive"));

    // A drive opens the folder last opened on it.
    w.driveList->setCurrentIndex(w.driveList->findData(QStringLiteral("/")));
    w.driveChosen();
    EXPECT_EQ(w.folderList->path(), tree.path("travail"));
}

TEST_F(Browsing, ChoosingTheSameFolderInAnotherLetterCaseKeepsTheActiveProfile)
{
    std::string upper = tree.root();
    for (std::size_t i = upper.rfind('/') + 1; i < upper.size(); ++i) upper[i] = static_cast<char>(std::toupper(upper[i]));
    writeProfiles({profile("Maison", upper, tree.path("archive"))});
    ui::MainWindow& w = start("Maison");
    doubleClickFolder(tree.root());
    EXPECT_EQ(text(w.workLabel), upper);
    EXPECT_EQ(caption(&w), "Profil Maison");
    EXPECT_TRUE(w.profileEntries[1]->isChecked());

    doubleClickFolder(tree.path("travail"));
    EXPECT_EQ(caption(&w), "Pas de Profil Actif");
    EXPECT_FALSE(w.profileEntries[1]->isChecked());
}

TEST_F(Browsing, ThePictureShowsOverTheFolderListAndHidesOverTheBackgroundOrTheStatusText)
{
    ui::MainWindow& w = start();
    QTest::mouseMove(w.folderList->viewport(), QPoint(20, 20));
    EXPECT_TRUE(w.hintPicture->isVisible());
    QTest::mouseMove(w.browsingFrame, QPoint(3, 200));  // the frame is not the window's background
    EXPECT_TRUE(w.hintPicture->isVisible());
    QTest::mouseMove(w.findChild<QWidget*>(QStringLiteral("Form")), QPoint(690, 500));
    EXPECT_FALSE(w.hintPicture->isVisible());
    QTest::mouseMove(w.folderList->viewport(), QPoint(20, 40));
    ASSERT_TRUE(w.hintPicture->isVisible());
    QTest::mouseMove(w.statusLabel, QPoint(20, 20));
    EXPECT_FALSE(w.hintPicture->isVisible());
}

TEST_F(Browsing, NamesThatAreNotUtf8OpenAndTheEditCommandsActOnTheRealFile)
{
    const std::string folder = tree.path("r\xE9sum\xE9");  // Latin-1 bytes
    const std::string file = folder + "/\xE9t\xE9.txt";
    tree.makeFile("r\xE9sum\xE9/\xE9t\xE9.txt", "e");
    ui::MainWindow& w = start();
    doubleClickFolder(folder);
    EXPECT_EQ(w.folderList->path(), folder);
    EXPECT_EQ(state.settings.source, folder);
    ASSERT_EQ(w.fileList->names().size(), 1);

    QTest::mouseClick(w.fileList->viewport(), Qt::LeftButton, {},
                      w.fileList->visualRect(w.fileList->model()->index(0, 0)).center());
    dialogs.queueAnswer(ui::Answer::Yes);
    w.editChosenFile(1);
    EXPECT_EQ(shown(), std::vector<std::string>{"Supprimer un Fichier: Voulez-vous Supprimer le Fichier " + file});
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_TRUE(w.fileList->names().isEmpty());
}

TEST_F(Browsing, TheListsShowTheDiskAsItIsWhenTheHomeScreenComesBack)
{
    tree.makeFile("archive/Vieux/v.txt", "v");
    tree.makeFile("archive/vieux.txt", "vv");
    writeProfiles({profile("Maison", tree.path("travail"), tree.path("archive"))});
    ui::MainWindow& w = start("Maison");
    click(w.archiveHeading);
    ASSERT_TRUE(w.folderList->setPath(tree.path("archive")));
    ASSERT_GE(w.folderList->rowOf(tree.path("archive/Vieux")), 0);
    ASSERT_EQ(w.fileList->names(), QStringList{"vieux.txt"});

    w.startRun();
    w.executeChosenEntries();
    ASSERT_FALSE(std::filesystem::exists(tree.path("archive/Vieux")));
    w.leaveReview();
    EXPECT_EQ(w.folderList->rowOf(tree.path("archive/Vieux")), -1);
    EXPECT_EQ(w.fileList->names(), QStringList{"lettre.txt"});
    EXPECT_EQ(caption(&w), "Profil Maison");
}

TEST_F(Browsing, AFolderGoneByTheTimeItIsDoubleClickedIsReportedAndChangesNoSetting)
{
    tree.makeFolder("parti");
    writeProfiles({profile("Maison", tree.path("travail"), tree.path("archive"))});
    ui::MainWindow& w = start("Maison");
    ASSERT_GE(w.folderList->rowOf(tree.path("parti")), 0);
    std::filesystem::remove(tree.path("parti"));

    // The first click of the double-click applies the open folder, as a single click does; the
    // double-click then finds its folder gone and takes that back.
    doubleClickFolder(tree.path("parti"));
    EXPECT_EQ(shown(), std::vector<std::string>{"Velmorane: Impossible d'ouvrir le dossier " + tree.path("parti") +
                                                "\n" + platform::systemError(ENOENT).reason});
    EXPECT_EQ(text(w.workLabel), tree.path("travail"));
    EXPECT_EQ(text(w.archiveLabel), tree.path("archive"));
    EXPECT_EQ(caption(&w), "Profil Maison");
    EXPECT_TRUE(w.profileEntries[1]->isChecked());
    EXPECT_EQ(w.folderList->path(), tree.root());
    EXPECT_EQ(w.folderList->rowOf(tree.path("parti")), -1);
}

TEST_F(Browsing, TheListsSortAsAFrenchReaderAndOpeningTheOpenFolderAgainReadsIt)
{
    for (const char* folder : {"tri/Vide", "tri/Été", "tri/abc"}) tree.makeFolder(folder);
    for (const char* file : {"tri/Zèbre.txt", "tri/école.txt", "tri/Eau.txt"}) tree.makeFile(file, "x");
    ui::MainWindow& w = start();
    openFolder(tree.path("tri"));
    const auto subFolders = [this] {
        const std::vector<std::string> all = folderEntries();
        return std::vector<std::string>(std::find(all.begin(), all.end(), tree.path("tri")) + 1, all.end());
    };
    EXPECT_EQ(subFolders(), (std::vector<std::string>{tree.path("tri/abc"), tree.path("tri/Été"), tree.path("tri/Vide")}));
    EXPECT_EQ(w.fileList->names(), (QStringList{"Eau.txt", "école.txt", "Zèbre.txt"}));

    // Made outside the program: shown once the open folder is double-clicked again.
    tree.makeFolder("tri/Neuf");
    tree.makeFile("tri/neuf.txt", "x");
    doubleClickFolder(tree.path("tri"));
    EXPECT_EQ(subFolders(), (std::vector<std::string>{tree.path("tri/abc"), tree.path("tri/Été"), tree.path("tri/Neuf"),
                                                      tree.path("tri/Vide")}));
    EXPECT_EQ(w.fileList->names(), (QStringList{"Eau.txt", "école.txt", "neuf.txt", "Zèbre.txt"}));
    EXPECT_EQ(state.settings.source, tree.path("tri"));
}

// As root: a key plugged in once the window is open is offered among the drives, and leaves them
// when it is pulled.
TEST_F(Browsing, TheDrivesFollowTheVolumesAsTheyAreMountedAndUnmounted)
{
    if (const std::string why = whyNotMountable(VolumeKind::Fat32); !why.empty()) GTEST_SKIP() << why;
    ui::MainWindow& w = start();
    const auto offered = [&w](const std::string& mountPoint) {
        const auto& drives = w.driveList->drives();
        return std::any_of(drives.begin(), drives.end(),
                           [&](const platform::Drive& drive) { return drive.folder == mountPoint; });
    };
    std::string mountPoint;
    {
        const MountedVolume key(VolumeKind::Fat32, tree.makeFolder("cles"));
        mountPoint = key.mountPoint();
        EXPECT_TRUE(QTest::qWaitFor([&] { return offered(mountPoint); }, 10000));
        EXPECT_EQ(w.driveList->drive(), w.driveList->driveOf(tree.root()));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return !offered(mountPoint); }, 10000));
}

// The desktop mounts each share as one folder of its own mount, in the user's runtime folder: here
// plain folders stand for them.
TEST_F(Browsing, TheDesktopsSharesAreDrivesUnderTheirNamesAndComeAndGoWithIt)
{
    const ScopedEnvironment runtime{{{"XDG_RUNTIME_DIR", tree.makeFolder("run")}}};
    const std::string docs = tree.makeFolder("run/gvfs/smb-share:server=nas,share=docs");
    tree.makeFolder("run/gvfs/smb-share:server=nas,share=docs/Rapports");
    tree.makeFile("run/gvfs/smb-share:server=nas,share=docs/budget.ods", "b");
    ui::MainWindow& w = start();
    const int row = w.driveList->findText(QStringLiteral("docs sur nas"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(row, w.driveList->count() - 2);  // after the volumes, before "Serveur SSH…"

    w.driveList->setCurrentIndex(row);
    w.driveChosen();
    EXPECT_EQ(w.folderList->path(), docs);
    EXPECT_EQ(folderEntries().back(), docs + "/Rapports");
    EXPECT_EQ(w.fileList->names(), QStringList{"budget.ods"});
    EXPECT_EQ(state.settings.source, docs);
    EXPECT_EQ(w.driveList->driveOf(docs + "/Rapports"), docs);

    // A share mounted once the window is open is offered; the drive shown stays.
    const std::string longName = "Photos de famille de 1990 à aujourd'hui sur nas.maison.example";
    const std::string photos =
        tree.makeFolder("run/gvfs/smb-share:server=nas.maison.example,share=Photos%20de%20famille%20de%201990%20%C3%A0%20aujourd'hui");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.driveList->findText(QString::fromStdString(longName)) >= 0; }, 10000));
    EXPECT_EQ(w.driveList->drive(), docs);
    EXPECT_EQ(w.folderList->path(), docs);

    // A name too long for the box is cut at its end, never in its middle, and shown whole in the
    // open list and in the tooltip.
    w.driveList->setCurrentIndex(w.driveList->findText(QString::fromStdString(longName)));
    const QString shown = w.driveList->shownText();
    ASSERT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_TRUE(QString::fromStdString(longName).startsWith(shown.chopped(1))) << shown.toStdString();
    EXPECT_EQ(w.driveList->toolTip().toStdString(), longName);
    w.driveList->showPopup();
    EXPECT_GE(w.driveList->view()->viewport()->width(), w.driveList->view()->sizeHintForColumn(0));
    w.driveList->hidePopup();

    // An unmounted share leaves the list.
    std::filesystem::remove(photos);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.driveList->findText(QString::fromStdString(longName)) < 0; }, 10000));
}

// A share unmounted leaves no folder behind in the desktop's mount: the run stops as for a pulled
// key, in either direction, and writes nothing in the share's place.
TEST_F(Browsing, AShareNoLongerMountedStopsTheRunAndNothingIsWrittenInItsPlace)
{
    const ScopedEnvironment runtime{{{"XDG_RUNTIME_DIR", tree.makeFolder("run")}}};
    const std::string share = tree.makeFolder("run/gvfs/smb-share:server=nas,share=docs");
    const std::string archive = tree.makeFolder("run/gvfs/smb-share:server=nas,share=docs/Archive");
    writeProfiles({profile("Nas", tree.path("travail"), archive),
                   {"Retour", tree.path("travail"), archive, "1", "Archive => &Travail", "1",
                    "&Personnaliser la Mise à Jour"}});
    ui::MainWindow& w = start("Nas");
    w.startRun();
    w.executeChosenEntries();
    ASSERT_EQ(readFileBytes(archive + "/lettre.txt"), "a");
    w.leaveReview();
    dialogs.clear();

    std::filesystem::remove_all(share);
    w.startRun();
    EXPECT_EQ(shown(), std::vector<std::string>{"Velmorane: Impossible de lire le dossier " + archive + "/\n" +
                                                platform::systemError(ENOENT).reason});
    EXPECT_FALSE(w.reviewShown());
    EXPECT_FALSE(std::filesystem::exists(share));

    dialogs.clear();
    w.openProfile(2);
    w.startRun();
    EXPECT_EQ(shown(), std::vector<std::string>{"Velmorane: " + archive + " est vide ou n'existe pas"});
    EXPECT_EQ(readFileBytes(tree.path("travail/lettre.txt")), "a");
    EXPECT_FALSE(std::filesystem::exists(share));
}

// As root, for the private sshd: the file manager's way of reaching a server, a GVfs mount of
// sftp://, is offered under the share's name and browsed as a drive.
TEST_F(Browsing, AServerMountedByTheDesktopIsADriveUnderItsName)
{
    PrivateSshServer server;
    if (!server.ready()) GTEST_SKIP() << server.skipReason();
    if (const std::string why = DesktopShareSession::whyNotAvailable(); !why.empty()) GTEST_SKIP() << why;
    tree.makeFolder("serveur/Photos");
    DesktopShareSession desktop(tree.makeFolder("run"), server.userKey());
    ASSERT_EQ(desktop.problem(), "");
    ui::MainWindow& w = start();

    // ssh trusts the loopback server's key as GVfs asks it to, and the agent offers the user's key.
    std::string user = tool("id", {"-un"});
    user.pop_back();
    const std::string port = std::to_string(server.port());
    ASSERT_EQ(desktop.mount("sftp://" + user + "@127.0.0.1:" + port + "/"), "");
    const QString name = QString::fromStdString(user + " sur 127.0.0.1");
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.driveList->findText(name) >= 0; }, 10000));
    const std::string share = tree.path("run/gvfs/sftp:host=127.0.0.1,port=" + port + ",user=" + user);
    w.driveList->setCurrentIndex(w.driveList->findText(name));
    w.driveChosen();
    EXPECT_EQ(w.folderList->path(), share);
    ASSERT_TRUE(w.folderList->setPath(share + tree.path("serveur")));
    EXPECT_EQ(folderEntries().back(), share + tree.path("serveur/Photos"));
    EXPECT_EQ(w.driveList->drive(), share);
}

}  // namespace
}  // namespace velmorane::testing
