#include "tests/execution/execution_harness.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/mounted_volume.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

// Every kind of difference at once: new, changed and vanished files and folders, deep, hidden and
// read-only ones, links, and a changed file whose archive copy is read-only.
void makeWorkAndArchive(TempFolder& t)
{
    t.makeFile("outside/keep.txt", "hors de l'archive");
    t.makeFile("work/Docs/lettre.txt", "identique");
    t.makeFile("archive/Docs/lettre.txt", "identique");
    t.makeFile("work/Docs/changé.txt", "nouveau contenu", kTestTime + 60);
    t.makeFile("archive/Docs/changé.txt", "ancien", kTestTime);
    t.makeFile("work/Docs/verrou.txt", "neuf", kTestTime + 1);
    setMode(t.makeFile("archive/Docs/verrou.txt", "vieux", kTestTime), 0444);
    t.makeFile("work/Docs/.nouveau", "caché et nouveau");
    setMode(t.makeFile("work/Docs/lecture-seule.txt", "ro"), 0440);
    t.makeLink("work/Docs/lien", "lettre.txt", kTestTime - 50);
    t.makeLink("work/Docs/lien-change", "../outside/keep.txt", kTestTime + 5);
    t.makeLink("archive/Docs/lien-change", "lettre.txt", kTestTime);
    t.makeLink("archive/Docs/vers-dehors", t.path("outside"));
    setMode(t.makeFile("archive/Docs/perime.txt", "périmé"), 0444);

    t.makeFile("work/Neuf/Sous/Plus/Profond/fichier.bin", std::string(70000, 'x'), kTestTime - 3600);
    setMode(t.makeFile("work/Neuf/bloque/seul.txt", "lu seulement"), 0444);
    setMode(t.path("work/Neuf/bloque"), 0555);
    t.makeLink("work/Neuf/lien-dehors", "../../outside/keep.txt");
    t.setMtime("work/Neuf/Sous", kTestTime - 7);

    setMode(t.makeFile("archive/Vieux/Sous/bloque/f.txt", "x"), 0444);
    setMode(t.path("archive/Vieux/Sous/bloque"), 0555);
    t.makeLink("archive/Vieux/dehors", t.path("outside"));
}

TEST(Mirror, ActionOneMakesTheArchiveEqualToTheWorkFolderAndASecondRunFindsNothing)
{
    Mirror m;
    makeWorkAndArchive(m.tree);
    const auto outsideBefore = readTree(m.tree.path("outside"));
    // A trash the ordinary user may make, as in a home folder.
    const ScopedEnvironment dataHome({{"XDG_DATA_HOME", m.tree.path("share")}});

    const std::string outcome = asOrdinaryUser(m.tree, [&] {
        m.compare(Action::Update);
        const std::string built = counts(m.lists);
        m.execute();
        const std::string left = counts(m.lists);
        m.compare(Action::Update);
        return "built " + built + ", left " + left + ", second run " + counts(m.lists) + "\n" + m.messages();
    });

    EXPECT_EQ(outcome, "built 8 3 5, left 0 0 0, second run 0 0 0\n" + std::string(kReportOk));
    // Folders that received or lost entries get their source's time again once the execution passed.
    EXPECT_EQ(readTree(m.archive), readTree(m.work));
    EXPECT_EQ(readTree(m.tree.path("outside")), outsideBefore);
}

// One entry in each list: a new file, a changed file, a file found only in the archive.
void makeOneOfEach(TempFolder& t)
{
    t.makeFile("work/nouveau.txt", "nouveau");
    t.makeFile("work/change.txt", "après", kTestTime + 1);
    t.makeFile("archive/change.txt", "avant");
    t.makeFile("archive/vieux.txt", "vieux");
}

TEST(ActionType, EachTypeExecutesOnlyItsOwnListsAndComparerChangesNothing)
{
    struct Case {
        Action action;
        const char* listsLeft;
        const char* archive;  // its names, then the content of change.txt
    };
    for (const Case c : {Case{Action::Compare, "1 1 1", "change.txt vieux.txt : avant"},
                         Case{Action::Update, "0 0 0", "change.txt nouveau.txt : après"},
                         Case{Action::AddOnly, "0 1 1", "change.txt nouveau.txt vieux.txt : avant"},
                         Case{Action::DeleteOnly, "1 1 0", "change.txt : avant"},
                         Case{Action::ReplaceOnly, "1 0 1", "change.txt vieux.txt : après"}}) {
        SCOPED_TRACE(static_cast<int>(c.action));
        Mirror m;
        makeOneOfEach(m.tree);
        const auto before = readTree(m.tree.root());
        m.compare(c.action);
        ASSERT_EQ(counts(m.lists), "1 1 1");

        m.execute();

        std::string archive;
        for (const auto& name : namesIn(m.archive)) archive += name + " ";
        EXPECT_EQ(archive + ": " + readFileBytes(m.archive + "/change.txt"), c.archive);
        EXPECT_EQ(counts(m.lists), c.listsLeft);
        EXPECT_EQ(m.messages(), c.action == Action::Compare ? "" : kReportOk);
        if (c.action == Action::Compare) {
            EXPECT_EQ(readTree(m.tree.root()), before);
        }
    }
}

TEST(Direction, ArchiveToWorkMirrorsTheWorkFolderFromTheArchive)
{
    Mirror m;
    makeOneOfEach(m.tree);
    m.compare(Action::Update, Direction::ArchiveToWork);
    m.execute();

    EXPECT_EQ(readTree(m.work, FolderTimes::Left), readTree(m.archive, FolderTimes::Left));
    EXPECT_EQ(namesIn(m.work), (Names{"change.txt", "vieux.txt"}));
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

// A system tool's output, or what it said when it failed.
void setTime(const std::string& path, timespec time)
{
    const timespec times[2] = {time, time};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) throw std::runtime_error(path);
}

void setOwner(const std::string& path, unsigned uid, unsigned gid, unsigned mode)
{
    if (::lchown(path.c_str(), uid, gid) != 0) throw std::runtime_error(path);
    if (mode != 0) setMode(path, mode);
}

struct stat statusOf(const std::string& path)
{
    struct stat info{};
    if (::lstat(path.c_str(), &info) != 0) throw std::runtime_error(path);
    return info;
}

constexpr unsigned kUnknownUser = 12345;  // no such user or group on this machine

TEST(ExactMirror, AsRootOwnersBitsAclsAttributesHolesAndASameSecondEditLeaveNothingForRsync)
{
    if (::geteuid() != 0) GTEST_SKIP() << "owners and a tmpfs need root (CI runs the tests as root)";
    Mirror m;
    // A tmpfs keeps attribute values of 64 KiB, which the usual disks refuse.
    MountedVolume volume(VolumeKind::Tmpfs, m.tree.root());
    m.work = m.tree.makeFolder("tmpfs/work");
    m.archive = m.tree.makeFolder("tmpfs/archive");
    const auto at = [](const std::string& relative) { return "tmpfs/" + relative; };
    TempFolder& t = m.tree;

    setOwner(t.makeFile(at("work/commun/personne.txt"), "à nobody"), kNobody, kNobody, 0);
    setOwner(t.makeFile(at("work/commun/inconnu.txt"), "à personne"), kUnknownUser, kUnknownUser, 0);
    setOwner(t.makeFile(at("work/Neuf/outil"), "#!/bin/sh\n"), kNobody, kUnknownUser, 06755);
    setOwner(t.makeFile(at("work/Neuf/inconnu.txt"), "à personne"), kUnknownUser, kUnknownUser, 0640);
    setOwner(t.makeLink(at("work/Neuf/lien"), "outil"), kNobody, kNobody, 0);
    const std::string acl = t.makeFile(at("work/commun/acl.txt"), "droits fins");
    EXPECT_EQ(tool("setfacl", {"-m", "u:nobody:rw,g:12345:r,u:12345:r,m::rw", acl}), "");
    const std::string notes = t.makeFile(at("work/Neuf/notes.txt"), "annotée");
    EXPECT_EQ(tool("setfattr", {"-n", "user.long", "-v", "0s" + std::string(87380, 'A') + "AA==", notes}), "");
    EXPECT_EQ(tool("setfattr", {"-n", "trusted.marque", "-v", "oui", notes}), "");
    setMode(m.work + "/Neuf", 01777);
    EXPECT_EQ(tool("setfacl", {"-d", "-m", "u:nobody:rwx", m.work + "/Neuf"}), "");
    // A gigabyte with one piece of data in its middle.
    const std::string sparse = t.makeFile(at("work/creux.img"), std::int64_t{1} << 30);
    const int fd = ::open(sparse.c_str(), O_WRONLY);
    ASSERT_EQ(::pwrite(fd, "milieu", 6, std::int64_t{1} << 29), 6);
    ::close(fd);
    // Found on both sides: an edit in the same second, a narrower mode, another owner, folder bits.
    setTime(t.makeFile(at("work/commun/c.txt"), "2222"), {kTestTime, 700'000'000});
    setTime(t.makeFile(at("archive/commun/c.txt"), "1111"), {kTestTime, 200'000'000});
    setMode(t.makeFile(at("work/commun/secret.txt"), "secret"), 0600);
    const std::string secretCopy = t.makeFile(at("archive/commun/secret.txt"), "secret");
    setOwner(t.makeFile(at("work/commun/proprio.txt"), "a nobody"), kNobody, kNobody, 0);
    t.makeFile(at("archive/commun/proprio.txt"), "a nobody");
    setMode(m.work + "/commun", 0750);
    const ino_t secretInode = statusOf(secretCopy).st_ino;

    m.compare(Action::Update);
    EXPECT_EQ(texts(m.lists.replaceList()),
              (Names{fileEntry(m.archive + "/commun/c.txt", 4), fileEntry(m.archive + "/commun/proprio.txt", 8),
                     fileEntry(m.archive + "/commun/secret.txt", 6)}));
    m.execute();
    EXPECT_EQ(m.messages(), kReportOk);

    EXPECT_EQ(tool("rsync", {"-aAXS", "-n", "-i", "--delete", m.work + "/", m.archive + "/"}), "");
    EXPECT_EQ(readFileBytes(m.archive + "/commun/c.txt"), "2222");
    EXPECT_EQ(statusOf(secretCopy).st_ino, secretInode) << "only its mode changed";
    EXPECT_LE(statusOf(m.archive + "/creux.img").st_blocks, statusOf(sparse).st_blocks);
    m.compare(Action::Update);
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

TEST(ExactMirror, AsAPlainUserAnotherUsersSetuidFileArrivesWithoutItsSetuidBit)
{
    if (::geteuid() != 0) GTEST_SKIP() << "another user's file needs root to be made (CI runs the tests as root)";
    Mirror m;
    m.tree.makeFile("work/mien.txt", "à moi");
    const std::string mine = m.tree.makeFile("work/mien-setgid", "x");
    m.tree.chownAll(kNobody, kNobody);
    setMode(mine, 02755);
    setOwner(m.tree.makeFile("work/outil", "#!/bin/sh\n"), kUnknownUser, kUnknownUser, 06755);

    const std::string outcome = inChild([&] {
        if (!becomeNobody()) return std::string("could not become nobody");
        m.compare(Action::Update);
        m.execute();
        m.compare(Action::Update);
        return counts(m.lists) + "\n" + m.messages();
    });

    EXPECT_EQ(outcome, "0 0 0\n" + std::string(kReportOk));
    EXPECT_EQ(statusOf(m.archive + "/outil").st_mode & 07777, 0755u);
    EXPECT_EQ(statusOf(m.archive + "/outil").st_uid, kNobody);
    EXPECT_EQ(statusOf(m.archive + "/mien-setgid").st_mode & 07777, 02755u);
}

}  // namespace
}  // namespace velmorane::testing
