#include "platform/sftp_volume.h"

#include "platform/awaited_answer.h"
#include "platform/local_volume.h"
#include "platform/temporary_name.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/private_ssh_server.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <thread>

namespace velmorane::testing {
namespace {

using namespace platform;

#define SKIP_WITHOUT(server) \
    if (!(server).ready()) GTEST_SKIP() << (server).skipReason()

std::string outcome(const MaybeError& failure)
{
    return failure ? std::to_string(failure->number) + " " + failure->reason : "ok";
}

FolderRef openedStart(VolumeAccess& volume)
{
    auto start = awaited<Result<FolderRef>>([&](auto done) { volume.openStart(done); });
    if (!start.ok()) throw std::runtime_error("open " + volume.startFolder() + ": " + start.error->reason);
    return start.value;
}

// What a listing says of each entry, as both kinds of volume must say it.
Names linesOf(const FolderContent& content)
{
    Names lines;
    for (const std::string& name : content.subFolders) lines.push_back(name + "/");
    for (const FileRecord& file : content.files) {
        lines.push_back(file.name.str() + (file.isLink ? " -> " : " ") + std::to_string(file.size) + " " +
                        std::to_string(file.modified) + " " + std::to_string(file.permissions.mode) + " " +
                        std::to_string(file.permissions.uid) + ":" + std::to_string(file.permissions.gid));
    }
    for (const FileRecord& special : content.specialFiles) lines.push_back(special.name.str() + " (spécial)");
    lines.push_back("dossier " + std::to_string(content.permissions.mode) + (content.holdsTemporaries ? " temporaires" : ""));
    return lines;
}

TEST(SftpVolume, ListsAFolderAsALocalVolumeDoesToTheSecondAndNeverEntersALink)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    TempFolder tree;
    setMode(tree.makeFile("racine/lettre.txt", "bonjour", kTestTime - 60), 0640);
    tree.makeFile("racine/Zèbre.txt", std::string(70000, 'z'), kTestTime + 3);
    tree.makeFile("racine/abeille.txt", "a", kTestTime + 4);
    tree.makeLink("racine/lien", "sous", kTestTime + 5);
    tree.makeFile("racine/sous/note.txt", "n");
    tree.makeFile("racine/" + newTemporaryName(), "moitié");
    ASSERT_EQ(::mkfifo(tree.path("racine/tube").c_str(), 0600), 0);
    setMode(tree.path("racine"), 0750);
    const std::unique_ptr<VolumeAccess> volume = openVolume(PrivateSshServer::address(tree.path("racine")), 4);
    LocalVolume local(tree.path("racine"), 0);

    const auto start = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume->readStart(done); });
    ASSERT_TRUE(start.ok()) << start.error->reason;
    EXPECT_EQ(start.value.folder->path(), "sftp://velmorane-test" + tree.path("racine") + "/");
    const auto here = awaited<Result<ReadFolderAnswer>>([&](auto done) { local.readStart(done); });
    EXPECT_EQ(linesOf(start.value.content), linesOf(here.value.content));
    EXPECT_EQ(linesOf(start.value.content).back(), "dossier " + std::to_string(0750) + " temporaires");
    EXPECT_EQ(start.value.content.files[0].name, "abeille.txt");

    const FolderRef folder = start.value.folder;
    const auto below = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume->readFolder(folder, "sous", done); });
    ASSERT_TRUE(below.ok()) << below.error->reason;
    EXPECT_EQ(below.value.folder->path(), "sftp://velmorane-test" + tree.path("racine/sous") + "/");
    ASSERT_EQ(below.value.content.files.size(), 1u);
    for (const std::string name : {"lien", "lettre.txt"}) {
        const auto opened = awaited<Result<FolderRef>>([&](auto done) { volume->openFolder(folder, name, done); });
        ASSERT_FALSE(opened.ok()) << name;
        EXPECT_EQ(opened.error->number, name == std::string("lien") ? ELOOP : ENOTDIR);
        const auto read = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume->readFolder(folder, name, done); });
        ASSERT_FALSE(read.ok()) << name;
        EXPECT_EQ(read.error->number, name == std::string("lien") ? ELOOP : ENOTDIR);
    }
    const auto missing = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume->readFolder(folder, "absent", done); });
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error->number, ENOENT);
    EXPECT_EQ(missing.error->reason, systemError(ENOENT).reason);

    EXPECT_EQ(awaited<Result<std::string>>([&](auto done) { volume->readLink(folder, "lien", done); }).value, "sous");
    EXPECT_EQ(awaited<Result<std::string>>([&](auto done) { volume->readFile(folder, "lettre.txt", 3, 100, done); }).value,
              "jour");
    const auto large = awaited<Result<std::string>>([&](auto done) { volume->readFile(folder, "Zèbre.txt", 5, 69000, done); });
    EXPECT_EQ(large.value, std::string(69000, 'z'));
    const auto status = awaited<Result<EntryStatus>>([&](auto done) { volume->entryStatus(folder, "Zèbre.txt", done); });
    EXPECT_EQ(status.value.kind, EntryKind::File);
    EXPECT_EQ(status.value.size, 70000);
    EXPECT_EQ(status.value.modified, (kTestTime + 3) * 1'000'000'000);
    EXPECT_EQ(awaited<Result<EntryStatus>>([&](auto done) { volume->entryStatus(folder, "absent", done); }).value.kind,
              EntryKind::Missing);
    EXPECT_EQ(awaited<Result<EntryStatus>>([&](auto done) { volume->entryStatus(folder, "lien", done); }).value.kind,
              EntryKind::Link);
}

TEST(SftpVolume, AStartFolderThatIsAFileALinkOrMissingOrAServerOutOfReachIsRefusedWithItsReason)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    TempFolder tree;
    tree.makeFile("fichier", "x");
    tree.makeFolder("dossier");
    tree.makeLink("lien", "dossier");
    // First: a connection kept from a trusted start would serve it.
    {
        const auto unknownHost = server.sshOnPath(SshClientKnowledge::UnknownHost);
        const auto volume = openVolume(PrivateSshServer::address(tree.path("dossier")), 0);
        const auto start = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume->readStart(done); });
        ASSERT_FALSE(start.ok());
        EXPECT_EQ(start.error->number, EHOSTUNREACH);
        EXPECT_EQ(start.error->reason, "connexion SSH impossible : No ED25519 host key is known for velmorane-test and you "
                                       "have requested strict checking. Host key verification failed.");
    }
    {
        const auto ssh = server.sshOnPath();
        for (const auto& [name, number] : std::vector<std::pair<std::string, int>>{{"fichier", ENOTDIR}, {"lien", ELOOP},
                                                                                  {"absent", ENOENT}}) {
            const auto volume = openVolume(PrivateSshServer::address(tree.path(name)), 0);
            const auto start = awaited<Result<FolderRef>>([&](auto done) { volume->openStart(done); });
            ASSERT_FALSE(start.ok()) << name;
            EXPECT_EQ(start.error->number, number) << name;
        }
        const auto volume = openVolume(PrivateSshServer::address(tree.path("dossier")), 0);
        EXPECT_TRUE(awaited<Result<FolderRef>>([&](auto done) { volume->openStart(done); }).ok());
    }
}

TEST(SftpVolume, SaysWhatTheServerKeepsAndTellsOneFolderFromAnother)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    TempFolder tree;
    tree.makeFolder("un");
    tree.makeFolder("deux");
    tree.makeLink("autre nom", "un");
    const auto one = openVolume(PrivateSshServer::address(tree.path("un")), 0);
    const auto two = openVolume(PrivateSshServer::address(tree.path("deux")), 0);
    const auto sameAsOne = openVolume(PrivateSshServer::address(tree.path("un/")), 0);
    EXPECT_NE(one->identity(), two->identity());
    EXPECT_EQ(one->identity(), sameAsOne->identity());
    EXPECT_TRUE(one->identity().starts_with("sftp:@velmorane-test:" + tree.path("un") + ":")) << one->identity();

    const VolumeCapabilities kept = one->capabilities();
    EXPECT_EQ(kept.times, TimePrecision::Seconds);
    EXPECT_TRUE(kept.keepsPermissions && kept.keepsOwners);
    EXPECT_EQ(kept.setsAnyOwner, ::geteuid() == 0);
    EXPECT_FALSE(kept.keepsAcls || kept.keepsExtendedAttributes || kept.keepsHardLinks || kept.keepsFileIdentity);
    const VolumeGuarantees guarantees = one->guarantees();
    EXPECT_TRUE(guarantees.addsNeverReplace);
    EXPECT_FALSE(guarantees.neverEntersLinks || guarantees.resolvesRelativeToOpenFolders);

    // A key's file system on the server keeps neither bits nor owners, and local times to two seconds.
    if (!whyNotMountable(VolumeKind::Fat32).empty()) return;
    const MountedVolume key(VolumeKind::Fat32, tree.root());
    const VolumeCapabilities onKey = openVolume(PrivateSshServer::address(key.mountPoint()), 0)->capabilities();
    EXPECT_EQ(onKey.times, TimePrecision::TwoSeconds);
    EXPECT_TRUE(onKey.localTimes);
    EXPECT_FALSE(onKey.keepsPermissions || onKey.keepsOwners || onKey.setsAnyOwner);
}

TEST(SftpVolume, ManyFolderReadsFromManyThreadsStayInFlightOnOneConnection)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    TempFolder tree;
    for (int i = 0; i < 40; ++i) {
        for (int j = 0; j < 30; ++j) tree.makeFile("racine/d" + std::to_string(i) + "/f" + std::to_string(j), "x");
    }
    const auto volume = openVolume(PrivateSshServer::address(tree.path("racine")), 8);
    const FolderRef start = openedStart(*volume);
    std::vector<std::thread> readers;
    std::vector<std::size_t> counts(40);
    for (int i = 0; i < 40; ++i) {
        readers.emplace_back([&, i] {
            const auto read = awaited<Result<ReadFolderAnswer>>(
                [&](auto done) { volume->readFolder(start, "d" + std::to_string(i), done); });
            counts[static_cast<std::size_t>(i)] = read.ok() ? read.value.content.files.size() : 0;
        });
    }
    for (std::thread& reader : readers) reader.join();
    EXPECT_EQ(counts, std::vector<std::size_t>(40, 30));

    // A folder of 10 000 entries comes in many READDIR answers, every one of them kept.
    for (int i = 0; i < 10000; ++i) tree.makeFile("racine/grand/f" + std::to_string(i), "");
    const auto large = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume->readFolder(start, "grand", done); });
    ASSERT_TRUE(large.ok());
    EXPECT_EQ(large.value.content.files.size(), 10000u);
    EXPECT_EQ(large.value.content.files.front().name, "f0");
    EXPECT_EQ(large.value.content.files.back().name, "f9999");
}

TEST(SftpVolume, WritesLandUnderATemporaryNameAnAddNeverReplacesAndWhatIsRemovedIsWhatWasNamed)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    TempFolder tree;
    tree.makeFile("archive/garde.txt", "ancien");
    tree.makeFile("archive/Dossier/a.txt", "a");
    tree.makeFile("archive/Dossier/Sous/garde-moi.txt", "g");
    tree.makeFile("archive/Dossier/Sous/b.txt", "b");
    tree.makeFile("archive/cible/c.txt", "c");
    tree.makeLink("archive/lien-dossier", "cible");
    tree.makeFile("archive/" + newTemporaryName(), "reste d'une copie tuée");
    setMode(tree.makeFile("archive/lecture.txt", "ro"), 0444);
    const auto volume = openVolume(PrivateSshServer::address(tree.path("archive")), 2);
    const FolderRef folder = openedStart(*volume);

    const auto temporary = awaited<Result<std::string>>([&](auto done) { volume->createTemporary(folder, done); });
    ASSERT_TRUE(temporary.ok()) << temporary.error->reason;
    EXPECT_TRUE(isTemporaryName(temporary.value));
    const std::string name = temporary.value;
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->writeTemporary(folder, name, 0, "nouveau", done); })), "ok");
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->writeTemporary(folder, name, 7, " texte", done); })), "ok");
    EXPECT_EQ(awaited<MaybeError>([&](auto done) { volume->writeTemporary(folder, "garde.txt", 0, "x", done); })->number, EINVAL);
    const auto taken = awaited<MaybeError>(
        [&](auto done) { volume->rename(folder, name, folder, "garde.txt", RenameMode::NoReplace, done); });
    EXPECT_EQ(outcome(taken), "17 " + systemError(EEXIST).reason);
    EXPECT_EQ(readFileBytes(tree.path("archive/garde.txt")), "ancien");
    EXPECT_EQ(outcome(awaited<MaybeError>(
                  [&](auto done) { volume->rename(folder, name, folder, "neuf.txt", RenameMode::NoReplace, done); })),
              "ok");
    EXPECT_EQ(outcome(awaited<MaybeError>(
                  [&](auto done) { volume->rename(folder, "neuf.txt", folder, "garde.txt", RenameMode::Replace, done); })),
              "ok");
    EXPECT_EQ(readFileBytes(tree.path("archive/garde.txt")), "nouveau texte");

    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->makeFolder(folder, "Dossier", 0755, done); })),
              "17 " + systemError(EEXIST).reason);
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->makeFolder(folder, "Neuf", 0750, done); })), "ok");
    EXPECT_EQ(awaited<MaybeError>([&](auto done) { volume->remove(folder, "Dossier", done); })->number, EISDIR);
    const auto through = awaited<Result<FolderRef>>([&](auto done) { volume->openBelow(folder, "lien-dossier/", done); });
    ASSERT_FALSE(through.ok());
    EXPECT_EQ(through.error->number, ELOOP);
    const auto below = awaited<Result<FolderRef>>([&](auto done) { volume->openBelow(folder, "Dossier/Sous/", done); });
    ASSERT_TRUE(below.ok());
    EXPECT_EQ(below.value->path(), volume->startFolder() + "/Dossier/Sous/");
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) {
                  volume->removeFolder(folder, "Dossier", [](const std::string& inside, bool) { return inside == "Sous/garde-moi.txt"; },
                                       done);
              })),
              "ok");
    EXPECT_EQ(readTree(tree.path("archive/Dossier"), FolderTimes::Left), (Names{"Sous/|||0755|", "Sous/garde-moi.txt|1|1700000000|0644|#af63da4c8601e926"}));
    EXPECT_EQ(awaited<MaybeError>([&](auto done) { volume->removeFolder(folder, "lien-dossier", {}, done); })->number,
              ENOTDIR);
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->remove(folder, "lien-dossier", done); })), "ok");
    EXPECT_EQ(namesIn(tree.path("archive/cible")), Names{"c.txt"});

    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->clearReadOnly(folder, "lecture.txt", done); })), "ok");
    struct stat info{};
    ASSERT_EQ(::stat(tree.path("archive/lecture.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
    EntryAttributes wanted;
    wanted.mode = 0604;
    wanted.modified = FileTime{kTestTime + 42, 0};
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->setAttributes(folder, "lecture.txt", wanted, done); })),
              "ok");
    ASSERT_EQ(::stat(tree.path("archive/lecture.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(info.st_mtime, kTestTime + 42);
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->removeLeftoverTemporaries(folder, done); })), "ok");
    EXPECT_EQ(namesIn(tree.path("archive")), (Names{"Dossier", "Neuf", "cible", "garde.txt", "lecture.txt"}));
}

TEST(SftpVolume, WithoutTheReplacingRenameAReplacementFailsClearlyAndNothingIsLost)
{
    PrivateSshServer server("-P posix-rename");
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    TempFolder tree;
    tree.makeFile("archive/garde.txt", "ancien");
    tree.makeFile("archive/neuf.txt", "nouveau");
    const auto volume = openVolume(PrivateSshServer::address(tree.path("archive")), 0);
    const FolderRef folder = openedStart(*volume);
    EXPECT_EQ(outcome(awaited<MaybeError>(
                  [&](auto done) { volume->rename(folder, "neuf.txt", folder, "garde.txt", RenameMode::Replace, done); })),
              std::to_string(EOPNOTSUPP) +
                  " le serveur SSH ne sait pas remplacer un fichier d'un seul coup (il n'offre pas "
                  "posix-rename@openssh.com)");
    EXPECT_EQ(readFileBytes(tree.path("archive/garde.txt")), "ancien");
    EXPECT_EQ(readFileBytes(tree.path("archive/neuf.txt")), "nouveau");
}

TEST(SftpVolume, AReplacedFileIsLinkedIntoTheServersTrashAndTakenBackWhenTheReplacementFails)
{
    if (const std::string why = TemporaryMount::whyNotRoot(); !why.empty()) GTEST_SKIP() << why;
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    TempFolder tree;
    const std::string disk = tree.makeFolder("disque");
    const TemporaryMount mounted(TemporaryMount::Kind::Tmpfs, disk);
    tree.makeFile("disque/archive/été.txt", "ancien");
    tree.makeFile("disque/archive/vieux.txt", "vieux");
    tree.makeFile("travail/été.txt", "même taille");
    const auto volume = openVolume(PrivateSshServer::address(disk + "/archive"), 0);
    const FolderRef folder = openedStart(*volume);

    const auto kept = awaited<Result<Trashing>>([&](auto done) { volume->keepReplacedInTrash(folder, "été.txt", done); });
    ASSERT_TRUE(kept.ok()) << kept.error->reason;
    EXPECT_EQ(kept.value.outcome, TrashOutcome::Trashed);
    EXPECT_EQ(kept.value.trash, disk + "/.Trash-0");
    EXPECT_EQ(readFileBytes(disk + "/archive/été.txt"), "ancien");
    EXPECT_EQ(readFileBytes(disk + "/.Trash-0/files/été.txt"), "ancien");
    EXPECT_TRUE(readFileBytes(disk + "/.Trash-0/info/été.txt.trashinfo")
                    .starts_with("[Trash Info]\nPath=archive/%C3%A9t%C3%A9.txt\nDeletionDate="));
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->undoTrashing(kept.value, folder, "été.txt", done); })),
              "ok");
    EXPECT_EQ(readTree(disk + "/.Trash-0", FolderTimes::Left), (Names{"files/|||0700|", "info/|||0700|"}));
    EXPECT_EQ(readFileBytes(disk + "/archive/été.txt"), "ancien");

    const auto trashed = awaited<Result<Trashing>>([&](auto done) { volume->moveToTrash(folder, "vieux.txt", done); });
    ASSERT_TRUE(trashed.ok());
    EXPECT_EQ(namesIn(disk + "/archive"), Names{"été.txt"});
    EXPECT_EQ(readFileBytes(disk + "/.Trash-0/files/vieux.txt"), "vieux");
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume->undoTrashing(trashed.value, folder, "vieux.txt", done); })),
              "ok");
    EXPECT_EQ(readFileBytes(disk + "/archive/vieux.txt"), "vieux");

    // Bytes compared across a local volume and the server's, either way round.
    LocalVolume local(tree.path("travail"), 0);
    const FolderRef here = openedStart(local);
    const auto same = [&](VolumeAccess& one, const FolderRef& oneFolder, VolumeAccess& other, const FolderRef& otherFolder) {
        return awaited<Result<bool>>(
                   [&](auto done) { one.sameBytes(oneFolder, "été.txt", other, otherFolder, "été.txt", done); })
            .value;
    };
    EXPECT_FALSE(same(local, here, *volume, folder));
    tree.makeFile("travail/été.txt", "ancien");
    EXPECT_TRUE(same(local, here, *volume, folder));
    EXPECT_TRUE(same(*volume, folder, local, here));
}

}  // namespace
}  // namespace velmorane::testing
