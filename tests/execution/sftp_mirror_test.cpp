#include "tests/execution/execution_harness.h"
#include "platform/ssh_askpass.h"
#include "tests/support/latency_relay.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/private_ssh_server.h"
#include "tests/support/scoped_environment.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace velmorane::testing {
namespace {

#define SKIP_WITHOUT(server) \
    if (!(server).ready()) GTEST_SKIP() << (server).skipReason()

// The archive on a disk of its own behind the private server (a tmpfs, which needs root): its
// trash is at its top, never in the home of the server's user.
class SftpMirrorOnADisk : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = TemporaryMount::whyNotRoot(); !why.empty()) GTEST_SKIP() << why;
        SKIP_WITHOUT(server);
        ssh = server.sshOnPath();
        mounted.emplace(TemporaryMount::Kind::Tmpfs, disk);
    }

    PrivateSshServer server;
    std::unique_ptr<ScopedEnvironment> ssh;
    Mirror m;
    const std::string disk = m.tree.makeFolder("disque");
    const std::string archive = disk + "/archive";
    std::optional<TemporaryMount> mounted;
};

// A work folder of folders, files and a link, and an archive that is its exact copy.
void makeWorkAndItsCopy(Mirror& m)
{
    m.tree.makeFile("work/Docs/lettre.txt", "bonjour", kTestTime - 60);
    m.tree.makeFile("work/Docs/Sous/profond.bin", std::string(70000, 'p'), kTestTime + 2);
    m.tree.makeFile("work/change.txt", "avant", kTestTime);
    m.tree.makeFile("work/vieux.txt", "vieux", kTestTime);
    m.tree.makeLink("work/lien", "Docs/lettre.txt", kTestTime + 5);
    m.tree.makeFolder("work/Vide");
    ASSERT_EQ(runProgram("/bin/cp", {"-a", m.work + "/.", m.archive}, "/").exitCode, 0);
}

TEST(SftpMirror, ARunAgainstACopyOnAServerFindsNothingToDoThenOneChangeOfEachKindInEitherDirection)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    Mirror m;
    makeWorkAndItsCopy(m);
    const std::string local = m.archive;
    m.archive = PrivateSshServer::address(local);

    m.compare(Action::Update);
    EXPECT_EQ(m.run.outcome(), execution::RunOutcome::Compared) << m.messages();
    EXPECT_EQ(counts(m.lists), "0 0 0");

    m.tree.makeFile("work/nouveau.txt", "nouveau");
    m.tree.makeFile("work/change.txt", "après", kTestTime + 1);
    ASSERT_EQ(::unlink(m.tree.path("work/vieux.txt").c_str()), 0);
    m.compare(Action::Update);
    const std::string addedLine = " *-* 7 *-* 14/11/2023 22:13:20";
    EXPECT_EQ(texts(m.lists.addList()), Names{m.work + "/nouveau.txt" + addedLine});
    EXPECT_EQ(texts(m.lists.replaceList()), Names{m.archive + "/change.txt *-* 6 *-* 14/11/2023 22:13:21"});
    EXPECT_EQ(texts(m.lists.deleteList()), Names{m.archive + "/vieux.txt *-* 5 *-* 14/11/2023 22:13:20"});

    m.compare(Action::Update, Direction::ArchiveToWork);
    EXPECT_EQ(texts(m.lists.addList()), Names{m.archive + "/vieux.txt *-* 5 *-* 14/11/2023 22:13:20"});
    EXPECT_EQ(texts(m.lists.replaceList()), Names{m.work + "/change.txt *-* 5 *-* 14/11/2023 22:13:20"});
    EXPECT_EQ(texts(m.lists.deleteList()), Names{m.work + "/nouveau.txt" + addedLine});
}

TEST(SftpMirror, AnUnattendedRunAsksNothingWhileTheWindowLetsSshAskThroughThisProgram)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    Mirror m;
    const ScopedEnvironment window({{std::string("DISPLAY"), std::string(":97")},
                                    {std::string("XDG_RUNTIME_DIR"), m.tree.makeFolder("run")},
                                    {std::string("SSH_ASKPASS"), std::string()},
                                    {std::string("SSH_ASKPASS_REQUIRE"), std::string()},
                                    {std::string("VELMORANE_ASKPASS"), std::string()}});
    platform::askSshQuestionsThroughThisProgram();
    makeWorkAndItsCopy(m);
    m.archive = PrivateSshServer::address(m.archive);
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 0 0");
    // One connection kept a minute serves the run's next ones: a password is asked once.
    const std::string shared = "-o ControlMaster=auto -o ControlPath=" + m.tree.path("run/velmorane-ssh") +
                               "/%C -o ControlPersist=60 -s -- velmorane-test sftp";
    EXPECT_EQ(server.sshStarts(), Names{shared + "|force|1"});
    struct stat folder{};
    ASSERT_EQ(::lstat(m.tree.path("run/velmorane-ssh").c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700u);

    EXPECT_EQ(m.runUnattended(Action::Update).exitStatus, execution::kExitDone);
    // Its check, its execution and its records each reach the server: none may ask.
    const Names starts = server.sshStarts();
    ASSERT_GE(starts.size(), 2u);
    for (std::size_t i = 1; i < starts.size(); ++i) EXPECT_EQ(starts[i], "-o BatchMode=yes " + shared + "|force|1");
}

// ssh fails a connection whose socket path is too long rather than make it unshared.
TEST(SftpMirror, ARuntimeFolderTooDeepForASocketStillLetsTheRunConnect)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    Mirror m;
    const ScopedEnvironment deep({{std::string("XDG_RUNTIME_DIR"), m.tree.makeFolder(std::string(60, 'r'))}});
    makeWorkAndItsCopy(m);
    m.archive = PrivateSshServer::address(m.archive);
    m.compare(Action::Update);
    EXPECT_EQ(m.messages(), "");
    EXPECT_EQ(counts(m.lists), "0 0 0");
    const Names starts = server.sshStarts();
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_NE(starts[0].find("ControlPath=/tmp/velmorane-ssh-" + std::to_string(::getuid()) + "/%C"), std::string::npos);
}

TEST(SftpMirror, AServerOutOfReachIsNotExecutedAndNothingIsTouched)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath(SshClientKnowledge::UnknownHost);
    Mirror m;
    makeWorkAndItsCopy(m);
    m.tree.makeFile("archive/seulement ici.txt", "gardé");
    const auto before = readTree(m.archive);
    m.archive = PrivateSshServer::address(m.archive);

    const execution::UnattendedEnd end = m.runUnattended(Action::Update);
    EXPECT_EQ(end.exitStatus, execution::kExitNothingExecuted);
    EXPECT_EQ(m.journalOutcomes(),
              "Exécution du Profil Essai : Non exécuté (Impossible de lire le dossier " + m.archive +
                  "/ : connexion SSH impossible : No ED25519 host key is known for velmorane-test and you have "
                  "requested strict checking. Host key verification failed.)\n");
    EXPECT_EQ(readTree(m.tree.path("archive")), before);
}

// What rsync would still change to make `to` equal to `from`: nothing once a mirror is done.
std::string rsyncChanges(const std::string& from, const std::string& to, FolderTimes folderTimes = FolderTimes::Included)
{
    std::vector<std::string> arguments{"-a", "-n", "-i", "--delete", from + "/", to + "/"};
    if (folderTimes == FolderTimes::Left) arguments.insert(arguments.begin(), "--omit-dir-times");
    const ProgramRun run = runProgram("/usr/bin/rsync", arguments, "/");
    return run.out + run.err;
}

// Every kind of difference: new, changed and vanished files and folders, deep and read-only ones,
// links, a folder the user may not write to.
void makeDifferences(TempFolder& t, const std::string& archive)
{
    t.makeFile("work/Docs/lettre.txt", "identique");
    t.makeFile(archive + "/Docs/lettre.txt", "identique");
    t.makeFile("work/Docs/changé.txt", "nouveau contenu", kTestTime + 60);
    t.makeFile(archive + "/Docs/changé.txt", "ancien", kTestTime);
    setMode(t.makeFile("work/Docs/lecture-seule.txt", "ro"), 0440);
    t.makeLink("work/Docs/lien", "lettre.txt", kTestTime - 50);
    t.makeLink("work/Docs/lien-change", "lecture-seule.txt", kTestTime + 5);
    t.makeLink(archive + "/Docs/lien-change", "lettre.txt", kTestTime);
    setMode(t.makeFile(archive + "/Docs/perime.txt", "périmé"), 0444);
    t.makeFile("work/Neuf/Sous/Plus/fichier.bin", std::string(300000, 'x'), kTestTime - 3600);
    setMode(t.makeFile("work/Neuf/bloque/seul.txt", "lu seulement"), 0444);
    t.makeFolder("work/Neuf/Vide");
    setMode(t.makeFile(archive + "/Vieux/Sous/f.txt", "x"), 0444);
    t.makeLink(archive + "/Vieux/dehors", "/");
    for (const std::string folder : {"work/Neuf/Vide", "work/Neuf/Sous/Plus", "work/Neuf/Sous", "work/Neuf/bloque",
                                     "work/Neuf", "work/Docs", "work"}) {
        t.setMtime(folder, kTestTime - 7);
    }
    setMode(t.path("work/Neuf/bloque"), 0555);
    t.setMtime(archive + "/Docs", kTestTime - 7);
    t.setMtime(archive, kTestTime - 7);
}

TEST_F(SftpMirrorOnADisk, AMirrorToTheServerAndBackLeavesNothingForRsyncAndTheServersTrashKeepsWhatWent)
{
    makeDifferences(m.tree, "disque/archive");
    m.archive = PrivateSshServer::address(archive);
    // What the server cannot keep is said once, however many files have it.
    for (const char* file : {"work/Docs/lettre.txt", "work/Neuf/Sous/Plus/fichier.bin"}) {
        EXPECT_EQ(tool("setfattr", {"-n", "user.note", "-v", "gardée ici", m.tree.path(file)}), "");
    }

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "7 2 3");
    m.execute();
    EXPECT_EQ(m.messages(), "Rapport d'activité|Exécution terminée correctement !\nPas d'ACL ni d'attribut étendu sur " +
                                m.archive + " : ceux des fichiers de la source n'y sont pas copiés\n");
    EXPECT_EQ(rsyncChanges(m.work, archive), "");
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 0 0");

    const std::string trash = disk + "/.Trash-0";
    EXPECT_EQ(namesIn(trash + "/files"), (Names{"Vieux", "changé.txt", "lien-change", "perime.txt"}));
    EXPECT_EQ(readFileBytes(trash + "/files/changé.txt"), "ancien");
    EXPECT_EQ(readFileBytes(trash + "/files/Vieux/Sous/f.txt"), "x");
    const std::string info = readFileBytes(trash + "/info/changé.txt.trashinfo");
    EXPECT_TRUE(info.starts_with("[Trash Info]\nPath=archive/Docs/chang%C3%A9.txt\nDeletionDate=")) << info;

    // Restoring from the server: what changed there comes back.
    m.tree.makeFile("disque/archive/Docs/ajout serveur.txt", "du serveur", kTestTime + 9);
    m.tree.makeFile("disque/archive/Docs/lettre.txt", "modifiée sur le serveur", kTestTime + 10);
    ASSERT_EQ(::unlink((archive + "/Docs/lien").c_str()), 0);
    m.tree.setMtime("disque/archive/Docs", kTestTime - 7);
    m.compare(Action::Update, Direction::ArchiveToWork);
    EXPECT_EQ(counts(m.lists), "1 1 1");
    m.dialogs.clear();
    m.execute();
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(rsyncChanges(archive, m.work), "");
    EXPECT_EQ(readFileBytes(m.tree.path("work/Docs/lettre.txt")), "modifiée sur le serveur");
}

TEST_F(SftpMirrorOnADisk, AFolderAndAFileRenamedInTheWorkFolderAreRenamedOnTheServer)
{
    for (const std::string side : {"work", "disque/archive"}) {
        m.tree.makeFile(side + "/Photos/2025/Sous/photo.jpg", std::string(5000, 'p'), kTestTime + 1);
        m.tree.makeFile(side + "/Photos/2025/notes.txt", "notes", kTestTime + 2);
        m.tree.makeFile(side + "/brouillon.odt", "texte", kTestTime + 3);
        m.tree.setMtime(side + "/Photos/2025/Sous", kTestTime);
        m.tree.setMtime(side + "/Photos/2025", kTestTime);
    }
    setMode(m.tree.path("work/Photos/2025/notes.txt"), 0600);  // a copy would bring the new bits too
    const ino_t photo = inodeOf(archive + "/Photos/2025/Sous/photo.jpg");
    const ino_t draft = inodeOf(archive + "/brouillon.odt");
    ASSERT_EQ(::rename(m.tree.path("work/Photos/2025").c_str(), m.tree.path("work/Photos/Voyages 2025").c_str()), 0);
    ASSERT_EQ(::rename(m.tree.path("work/brouillon.odt").c_str(), m.tree.path("work/rapport.odt").c_str()), 0);
    for (const std::string folder : {"work/Photos", "work", "disque/archive/Photos", "disque/archive"}) {
        m.tree.setMtime(folder, kTestTime);
    }
    m.archive = PrivateSshServer::address(archive);

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "3 0 3");  // the folder, its sub-folder and the file
    const Names adds = texts(m.lists.addList());
    const auto report = m.execute();
    EXPECT_EQ(m.messages(), kReportOk);
    Names moved;
    for (std::size_t i = 0; i < adds.size(); ++i) {
        if (report.results[0][i].moved) moved.push_back(adds[i].substr(0, adds[i].find(" *-*")));
    }
    EXPECT_EQ(moved, (Names{m.work + "/Photos/Voyages 2025/ **Dossier", m.work + "/rapport.odt"}));
    EXPECT_EQ(inodeOf(archive + "/Photos/Voyages 2025/Sous/photo.jpg"), photo);
    EXPECT_EQ(inodeOf(archive + "/rapport.odt"), draft);
    EXPECT_EQ(rsyncChanges(m.work, archive), "");
}

TEST_F(SftpMirrorOnADisk, AConnectionDroppedMidRunLeavesEachFileOldOrNewAndTheNextRunFinishes)
{
    for (int i = 0; i < 30; ++i) {
        const std::string name = "/f" + std::to_string(10 + i) + ".bin";
        m.tree.makeFile("work" + name, std::string(200000, static_cast<char>('a' + i % 26)), kTestTime + 1);
        m.tree.makeFile("disque/archive" + name, "ancien " + std::to_string(i));
    }
    m.tree.setMtime("work", kTestTime);
    m.archive = PrivateSshServer::address(archive);
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 30 0");
    int shown = 0;
    m.counters.onShow = [&](const std::string&) {
        if (++shown == 5) server.dropConnections();
    };
    m.choice.onFailure = execution::FailurePolicy::GoOn;
    m.execute();
    m.counters.onShow = nullptr;
    EXPECT_NE(m.messages(), kReportOk);
    for (int i = 0; i < 30; ++i) {
        const std::string name = "/f" + std::to_string(10 + i) + ".bin";
        const std::string now = readFileBytes(archive + name);
        EXPECT_TRUE(now == "ancien " + std::to_string(i) || now == readFileBytes(m.work + name)) << name;
    }

    // A run cut short may leave a folder's time as its last change made it, as on any volume.
    m.dialogs.clear();
    m.compare(Action::Update);
    m.execute();
    EXPECT_EQ(rsyncChanges(m.work, archive, FolderTimes::Left), "");
    for (const std::string& name : namesIn(archive)) EXPECT_FALSE(name.starts_with(".~velmorane.")) << name;
}

TEST(SftpMirror, OnAServerWithoutTheReplacingRenameAReplacementFailsClearlyAndTheOldFileStays)
{
    if (const std::string why = TemporaryMount::whyNotRoot(); !why.empty()) GTEST_SKIP() << why;
    PrivateSshServer server("-P posix-rename");
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    Mirror m;
    const std::string disk = m.tree.makeFolder("disque");
    const TemporaryMount mounted(TemporaryMount::Kind::Tmpfs, disk);
    m.tree.makeFile("work/change.txt", "après", kTestTime + 1);
    m.tree.makeFile("work/nouveau.txt", "nouveau");
    m.tree.makeFile("disque/archive/change.txt", "avant");
    m.archive = PrivateSshServer::address(disk + "/archive");
    m.compare(Action::Update);
    m.execute();
    EXPECT_EQ(m.messages(), question(std::to_string(EOPNOTSUPP) +
                                         " - le serveur SSH ne sait pas remplacer un fichier d'un seul coup (il "
                                         "n'offre pas posix-rename@openssh.com)",
                                     m.work + "/change.txt", m.archive + "/change.txt") +
                                reportFailures(1));
    EXPECT_EQ(readFileBytes(disk + "/archive/change.txt"), "avant");
    EXPECT_EQ(readFileBytes(disk + "/archive/nouveau.txt"), "nouveau");
    EXPECT_EQ(namesIn(disk + "/.Trash-0/files"), Names{});
}

// The files of an execution go through several sessions of one connection; a server that allows
// one session per connection gets them all the same.
TEST(SftpMirror, OnAServerAllowingOneSessionPerConnectionEveryFileArrives)
{
    PrivateSshServer server("", "MaxSessions 1");
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    Mirror m;
    const std::string archive = m.tree.makeFolder("archive-locale");
    for (int i = 0; i < 12; ++i) m.tree.makeFile("work/f" + std::to_string(i) + ".txt", "contenu " + std::to_string(i));
    m.archive = PrivateSshServer::address(archive);
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "12 0 0");
    m.execute();
    EXPECT_EQ(m.messages(), kReportOk);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(readFileBytes(archive + "/f" + std::to_string(i) + ".txt"), "contenu " + std::to_string(i));
    }
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

TEST(SftpMirror, OnAFullServerDiskEachFileIsWholeOrAbsentAndTheFailuresAreSaid)
{
    if (const std::string why = TemporaryMount::whyNotRoot(); !why.empty()) GTEST_SKIP() << why;
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    Mirror m;
    const std::string disk = m.tree.makeFolder("disque");
    const TemporaryMount mounted(TemporaryMount::Kind::Tmpfs, disk, "1m");
    const std::string archive = m.tree.makeFolder("disque/archive");
    for (int i = 0; i < 8; ++i) m.tree.makeFile("work/f" + std::to_string(i) + ".bin", std::string(300000, 'z'));
    m.archive = PrivateSshServer::address(archive);
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "8 0 0");
    m.choice.onFailure = execution::FailurePolicy::GoOn;
    m.execute();
    EXPECT_NE(m.messages(), kReportOk);
    const Names landed = namesIn(archive);
    EXPECT_FALSE(landed.empty());
    EXPECT_LT(landed.size(), 8u);
    for (const std::string& name : landed) {
        EXPECT_FALSE(name.starts_with(".~velmorane.")) << name;
        EXPECT_EQ(readFileBytes(archive + "/" + name), std::string(300000, 'z')) << name;
    }
}

// Every chunk held on its way, as on a distant link: nothing waits on a clock of its own, so a
// run is slow but exact. A run makes about a hundred round trips one after another: held 300 ms
// each way, this one took 78 s and was as exact; 40 ms keeps the test short.
TEST(SftpMirror, ThroughASlowLinkARunWithChangesOfEachKindCompletesExactly)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const LatencyRelay relay(server.port(), std::chrono::milliseconds(40));
    const auto ssh = server.sshOnPath(SshClientKnowledge::Everything, relay.port());
    Mirror m;
    makeWorkAndItsCopy(m);
    const std::string local = m.archive;
    m.archive = PrivateSshServer::address(local);
    m.tree.makeFile("work/nouveau.txt", "nouveau");
    m.tree.makeFile("work/Neuf/dedans.txt", "dedans");
    m.tree.makeFile("work/change.txt", "après", kTestTime + 1);
    ASSERT_EQ(::unlink(m.tree.path("work/vieux.txt").c_str()), 0);
    ASSERT_EQ(::rmdir(m.tree.path("work/Vide").c_str()), 0);
    m.tree.setMtime("work", kTestTime);

    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "2 1 2");
    m.execute();
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(rsyncChanges(m.work, local), "");
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

// A folder of 10 000 files comes from the server in many READDIR answers: each is listed once,
// with the server as either side. Every seventh file is missing on one side: exactly those go.
TEST_F(SftpMirrorOnADisk, AFolderOfTenThousandFilesIsListedWholeFromTheServerEitherWay)
{
    for (int i = 0; i < 10000; ++i) m.tree.makeFile("work/grand/f" + std::to_string(i), std::to_string(i));
    ASSERT_EQ(runProgram("/bin/cp", {"-a", m.work, archive}, "/").exitCode, 0);
    m.archive = PrivateSshServer::address(archive);
    // The files whose number leaves `remainder` divided by 7, taken from `side`.
    const auto takeEverySeventh = [&](const std::string& side, int remainder, const std::string& listedFrom) {
        Names lines;
        for (int i = remainder; i < 10000; i += 7) {
            const std::string name = "/grand/f" + std::to_string(i);
            EXPECT_EQ(::unlink((side + name).c_str()), 0) << name;
            lines.push_back(listedFrom + name + " *-* " + std::to_string(std::to_string(i).size()) +
                            " *-* 14/11/2023 22:13:20");
        }
        std::sort(lines.begin(), lines.end());
        m.tree.setMtime(side.substr(m.tree.root().size() + 1) + "/grand", kTestTime);
        return lines;
    };
    const auto sortedAdds = [&] {
        Names adds = texts(m.lists.addList());
        std::sort(adds.begin(), adds.end());
        return adds;
    };

    Names gone = takeEverySeventh(archive, 0, m.work);
    m.tree.setMtime("work/grand", kTestTime);
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "1429 0 0");
    EXPECT_EQ(sortedAdds(), gone);
    m.execute();
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(rsyncChanges(m.work, archive), "");
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 0 0");

    gone = takeEverySeventh(m.work, 3, m.archive);
    m.tree.setMtime("disque/archive/grand", kTestTime);
    m.compare(Action::Update, Direction::ArchiveToWork);
    EXPECT_EQ(counts(m.lists), "1429 0 0");
    EXPECT_EQ(sortedAdds(), gone);
    m.dialogs.clear();
    m.execute();
    EXPECT_EQ(m.messages(), kReportOk);
    EXPECT_EQ(rsyncChanges(archive, m.work), "");
    m.compare(Action::Update, Direction::ArchiveToWork);
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

// A key's file system on the server refuses some names, keeps no permission bits and dates files to
// two seconds: the refused entry fails alone, with the reason the server gives, and the others stay
// done from one run to the next.
TEST(SftpMirror, ANameTheServersFileSystemRefusesFailsItsEntryAloneAndIsListedAgain)
{
    if (const std::string why = whyNotMountable(VolumeKind::Fat32); !why.empty()) GTEST_SKIP() << why;
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    Mirror m;
    const MountedVolume key(VolumeKind::Fat32, m.tree.root());
    m.tree.makeFile("work/a:b.txt", "refusé");
    m.tree.makeFile("work/ok.txt", "accepté", kTestTime + 1);
    m.tree.makeFile("work/Dossier/dedans.txt", "dedans");
    m.archive = PrivateSshServer::address(key.mountPoint());
    const std::string refused = m.work + "/a:b.txt *-* 7 *-* 14/11/2023 22:13:20";

    m.compare(Action::Update);
    EXPECT_EQ(texts(m.lists.addList()),
              (Names{m.work + "/Dossier/ **Dossier", refused, m.work + "/ok.txt *-* 8 *-* 14/11/2023 22:13:21"}));
    for (int run = 0; run < 2; ++run) {
        m.execute();
        EXPECT_EQ(m.messages(), question("13 - Permission non accordée", m.work + "/a:b.txt", m.archive + "/a:b.txt") +
                                    reportFailures(1))
            << run;
        EXPECT_EQ(namesIn(key.mountPoint()), (Names{"Dossier", "ok.txt"})) << run;
        m.dialogs.clear();
        m.compare(Action::Update);
        EXPECT_EQ(texts(m.lists.addList()), Names{refused}) << run;
        EXPECT_EQ(counts(m.lists), "1 0 0") << run;
    }
    EXPECT_EQ(readFileBytes(key.mountPoint() + "/ok.txt"), "accepté");
    EXPECT_EQ(readFileBytes(key.mountPoint() + "/Dossier/dedans.txt"), "dedans");
}

}  // namespace
}  // namespace velmorane::testing
