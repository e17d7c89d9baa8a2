#include "platform/trash.h"
#include "platform/trash_ledger.h"

#include "platform/date_text.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "tests/support/child_process.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <linux/fs.h>
#include <optional>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

using testing::kNobody;
using testing::MountedVolume;
using testing::readFileBytes;
using testing::TempFolder;
using testing::VolumeKind;

// Where the user's home and data folders are, for one test.
class DataHome {
public:
    DataHome(const std::string& home, const std::string& dataHome)
        : environment_({{"HOME", home}, {"XDG_DATA_HOME", dataHome}})
    {
    }

private:
    testing::ScopedEnvironment environment_;
};

// A .trashinfo's text, its deletion date written "<date>" once checked to be a time of the test.
std::string infoText(const std::string& file, std::int64_t from)
{
    std::string text = readFileBytes(file);
    const std::string key = "DeletionDate=";
    const auto start = text.find(key);
    if (start == std::string::npos) return text;
    const auto end = text.find('\n', start);
    const std::string date = text.substr(start + key.size(), end - start - key.size());
    bool ofTheTest = false;
    for (std::int64_t t = from; t <= currentTime(); ++t) ofTheTest = ofTheTest || date == isoDateText(t);
    text.replace(start + key.size(), date.size(), ofTheTest ? "<date>" : "<not now: " + date + ">");
    return text;
}

FolderHandle opened(const std::string& path)
{
    auto folder = FolderHandle::openStart(path);
    EXPECT_TRUE(folder.ok()) << path;
    return std::move(folder.value);
}

std::string outcomeText(const Result<Trashing>& trashing)
{
    if (!trashing.ok()) return "failed: " + trashing.error->reason;
    switch (trashing.value.outcome) {
    case TrashOutcome::Trashed: return "trashed as " + trashing.value.trashName;
    case TrashOutcome::NoTrash: return "no trash";
    case TrashOutcome::NoHardLinks: return "no hard links";
    }
    return "";
}

std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& line : testing::readTree(folder, testing::FolderTimes::Left)) {
        names.push_back(line.substr(0, line.find('|')));
    }
    return names;
}

// Puts a trashed entry back by hand, as a user without a file manager would.
void restoreByHand(const std::string& trash, const std::string& trashName, const std::string& original)
{
    ASSERT_EQ(::rename((trash + "/files/" + trashName).c_str(), original.c_str()), 0) << original;
    ASSERT_EQ(::unlink((trash + "/info/" + trashName + ".trashinfo").c_str()), 0) << trashName;
}

TEST(Trash, OnTheHomeVolumeEntriesGoToTheHomeTrashAndATrashingCanBeUndone)
{
    TempFolder tree;
    const DataHome home(tree.path("maison"), tree.path("maison/données/share"));
    tree.makeFile("archive/rapport final.txt", "ancien");
    tree.makeFile("archive/Dossier/a.txt", "a");
    const FolderHandle archive = opened(tree.path("archive"));
    const std::int64_t start = currentTime();

    const auto file = moveToTrash(archive, "rapport final.txt", tree.path("archive/rapport final.txt"));
    EXPECT_EQ(outcomeText(file), "trashed as rapport final.txt");
    const std::string trash = tree.path("maison/données/share/Trash");
    EXPECT_EQ(readFileBytes(trash + "/files/rapport final.txt"), "ancien");
    EXPECT_EQ(infoText(trash + "/info/rapport final.txt.trashinfo", start),
              "[Trash Info]\nPath=" + tree.root() + "/archive/rapport%20final.txt\nDeletionDate=<date>\n");
    struct stat made{};
    ASSERT_EQ(::stat(tree.path("maison/données").c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0700u);

    // A failed replacement puts the old file back; a kept link of a file still in place just goes.
    EXPECT_EQ(undoTrashing(file.value, archive, "rapport final.txt"), std::nullopt);
    EXPECT_EQ(readFileBytes(tree.path("archive/rapport final.txt")), "ancien");
    const auto kept = keepReplacedInTrash(archive, "rapport final.txt", tree.path("archive/rapport final.txt"));
    EXPECT_EQ(outcomeText(kept), "trashed as rapport final.txt");
    EXPECT_EQ(undoTrashing(kept.value, archive, "rapport final.txt"), std::nullopt);
    const auto folder = moveToTrash(archive, "Dossier", tree.path("archive/Dossier"));
    EXPECT_EQ(undoTrashing(folder.value, archive, "Dossier"), std::nullopt);
    EXPECT_EQ(namesIn(trash), (std::vector<std::string>{"files/", "info/"}));
    EXPECT_EQ(namesIn(tree.path("archive")),
              (std::vector<std::string>{"Dossier/", "Dossier/a.txt", "rapport final.txt"}));

    // A folder that holds the home trash cannot go into it, and must not be deleted with it.
    const DataHome inside(tree.path("maison"), tree.path("archive/Dossier/share"));
    EXPECT_EQ(outcomeText(moveToTrash(archive, "Dossier", tree.path("archive/Dossier"))),
              "failed: " + systemError(EINVAL).reason);
    EXPECT_EQ(readFileBytes(tree.path("archive/Dossier/a.txt")), "a");
}

TEST(Trash, TwinsAndTakenNamesGetNamesOfTheirOwnAndALongNameIsCutToFit)
{
    TempFolder tree;
    const DataHome home(tree.path("maison"), tree.path("share"));
    tree.makeFile("archive/a/rapport.txt", "a");
    tree.makeFile("archive/b/rapport.txt", "b");
    tree.makeFile("archive/c/rapport.txt", "c");
    // Left by another program: a .trashinfo without its file, and a file without its .trashinfo.
    tree.makeFile("share/Trash/info/rapport.txt 3.trashinfo", "[Trash Info]\n");
    tree.makeFile("share/Trash/files/rapport.txt 4", "autre");
    std::string longName;
    for (int i = 0; i < 125; ++i) longName += "é";
    tree.makeFile("archive/" + longName, "long");

    std::vector<std::string> outcomes;
    for (const std::string folder : {"archive/a", "archive/b", "archive/c"}) {
        const FolderHandle at = opened(tree.path(folder));
        outcomes.push_back(outcomeText(moveToTrash(at, "rapport.txt", tree.path(folder + "/rapport.txt"))));
    }
    EXPECT_EQ(outcomes, (std::vector<std::string>{"trashed as rapport.txt", "trashed as rapport.txt 2",
                                                  "trashed as rapport.txt 5"}));
    const std::string trash = tree.path("share/Trash");
    EXPECT_EQ(readFileBytes(trash + "/files/rapport.txt 2"), "b");
    EXPECT_EQ(readFileBytes(trash + "/files/rapport.txt 4"), "autre");
    EXPECT_EQ(readFileBytes(trash + "/files/rapport.txt 5"), "c");
    EXPECT_EQ(readFileBytes(trash + "/info/rapport.txt 3.trashinfo"), "[Trash Info]\n");
    EXPECT_EQ(namesIn(trash + "/info"), (std::vector<std::string>{"rapport.txt 2.trashinfo", "rapport.txt 3.trashinfo",
                                                                  "rapport.txt 5.trashinfo", "rapport.txt.trashinfo"}));

    // A file replaced run after run leaves a long line of twins: the next takes the number after.
    tree.makeFile("archive/notes.txt", "la 1001e");
    for (int number = 1; number <= 1000; ++number) {
        tree.makeFile("share/Trash/info/notes.txt" + (number == 1 ? "" : " " + std::to_string(number)) + ".trashinfo",
                      "[Trash Info]\n");
    }
    EXPECT_EQ(outcomeText(moveToTrash(opened(tree.path("archive")), "notes.txt", tree.path("archive/notes.txt"))),
              "trashed as notes.txt 1001");

    // 250 bytes and ".trashinfo" pass the 255 a name may have: cut between two characters.
    const FolderHandle archive = opened(tree.path("archive"));
    const std::int64_t start = currentTime();
    const auto trashed = moveToTrash(archive, longName, tree.path("archive/") + longName);
    const std::string cut = longName.substr(0, 244);
    EXPECT_EQ(outcomeText(trashed), "trashed as " + cut);
    EXPECT_EQ(readFileBytes(trash + "/files/" + cut), "long");
    std::string encoded;
    for (int i = 0; i < 125; ++i) encoded += "%C3%A9";
    EXPECT_EQ(infoText(trash + "/info/" + cut + ".trashinfo", start),
              "[Trash Info]\nPath=" + tree.root() + "/archive/" + encoded + "\nDeletionDate=<date>\n");
}

// An ext4 disk image mounted in the test's folder, which is also the home of a file manager that
// lists the trashes of the volumes below it.
class TrashOnVolume : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::string why = testing::whyNotMountable(VolumeKind::Ext4);
        if (!why.empty()) GTEST_SKIP() << why;
        volume_.emplace(VolumeKind::Ext4, tree_.root());
        top_ = volume_->mountPoint();
        home_.emplace(tree_.root(), tree_.path("share"));
    }

    std::string onVolume(const std::string& relative) const { return top_ + "/" + relative; }
    std::string makeFile(const std::string& relative, const std::string& content)
    {
        return tree_.makeFile(lastComponent(top_) + "/" + relative, content);
    }

    TempFolder tree_;
    std::optional<MountedVolume> volume_;
    std::optional<DataHome> home_;
    std::string top_;
};

// gio writes the bytes of a path beyond ASCII as \xNN.
std::string withoutEscapes(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\\x") == 0 && i + 3 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 2, 2), nullptr, 16));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The original paths that a file manager lists in the trashes it knows.
std::vector<std::string> listedByFileManager(const std::string& home)
{
    const auto run = testing::runProgram("/usr/bin/dbus-run-session", {"--", "gio", "trash", "--list"}, "/",
                                         {{"HOME", home}, {"XDG_DATA_HOME", home + "/share"}});
    std::vector<std::string> paths;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        // Trashes of other volumes mounted meanwhile, by tests running beside this one, are not ours.
        std::string path = withoutEscapes(line.substr(line.find('\t') + 1));
        if (path.starts_with(home + "/")) paths.push_back(std::move(path));
    }
    std::sort(paths.begin(), paths.end());
    if (run.exitCode != 0) paths.push_back("gio failed: " + run.err);
    return paths;
}

TEST_F(TrashOnVolume, ADeletedFolderAndAReplacedFileGoToTheVolumeTrashAndComeBackByHand)
{
    for (const char* tool : {"/usr/bin/gio", "/usr/bin/dbus-run-session", "/usr/libexec/gvfsd-trash"}) {
        if (::access(tool, X_OK) != 0) {
            GTEST_SKIP() << tool << " is missing: scripts/install-deps installs libglib2.0-bin, dbus-daemon and gvfs";
        }
    }
    makeFile("archive/Photos été/a.jpg", "photo");
    makeFile("archive/Photos été/sous/b.txt", "b");
    makeFile("archive/notes #1.txt", "ancien");
    tree_.makeLink(lastComponent(top_) + "/archive/lien", "Photos été");
    const std::string archive = onVolume("archive");
    const auto before = testing::readTree(archive, testing::FolderTimes::Left);
    const FolderHandle folder = opened(archive);
    const std::int64_t start = currentTime();

    EXPECT_EQ(outcomeText(moveToTrash(folder, "Photos été", archive + "/Photos été")), "trashed as Photos été");
    EXPECT_EQ(outcomeText(moveToTrash(folder, "lien", archive + "/lien")), "trashed as lien");
    EXPECT_EQ(outcomeText(keepReplacedInTrash(folder, "notes #1.txt", archive + "/notes #1.txt")),
              "trashed as notes #1.txt");
    // The replacement renamed over the old name, as a copy puts its finished file in place.
    makeFile("nouveau", "nouveau");
    ASSERT_EQ(::rename(onVolume("nouveau").c_str(), (archive + "/notes #1.txt").c_str()), 0);

    const std::string trash = onVolume(".Trash-0");
    EXPECT_EQ(namesIn(archive), std::vector<std::string>{"notes #1.txt"});
    EXPECT_EQ(readFileBytes(trash + "/files/notes #1.txt"), "ancien");
    EXPECT_EQ(readFileBytes(trash + "/files/Photos été/sous/b.txt"), "b");
    EXPECT_EQ(infoText(trash + "/info/Photos été.trashinfo", start),
              "[Trash Info]\nPath=archive/Photos%20%C3%A9t%C3%A9\nDeletionDate=<date>\n");
    EXPECT_EQ(infoText(trash + "/info/notes #1.txt.trashinfo", start),
              "[Trash Info]\nPath=archive/notes%20%231.txt\nDeletionDate=<date>\n");
    EXPECT_EQ(listedByFileManager(tree_.root()),
              (std::vector<std::string>{archive + "/Photos été", archive + "/lien", archive + "/notes #1.txt"}));

    restoreByHand(trash, "Photos été", archive + "/Photos été");
    restoreByHand(trash, "lien", archive + "/lien");
    restoreByHand(trash, "notes #1.txt", archive + "/notes #1.txt");
    EXPECT_EQ(testing::readTree(archive, testing::FolderTimes::Left), before);
}

TEST_F(TrashOnVolume, ATrashFolderThatIsALinkOrAnotherUsersIsNeverUsedAndSharedOneNeedsTheStickyBit)
{
    const std::string archive = onVolume("archive");
    makeFile("archive/a.txt", "a");
    makeFile("ailleurs/.garde", "");
    const FolderHandle folder = opened(archive);
    const auto trashA = [&] { return outcomeText(moveToTrash(folder, "a.txt", archive + "/a.txt")); };

    // A volume mounted in the entry's place is neither trashed nor to be emptied.
    EXPECT_EQ(outcomeText(moveToTrash(opened(tree_.root()), "ext4", top_)), "failed: " + systemError(EBUSY).reason);

    ASSERT_EQ(::symlink("ailleurs", onVolume(".Trash-0").c_str()), 0);
    EXPECT_EQ(usableTrash(folder, archive), std::nullopt);
    EXPECT_EQ(trashA(), "no trash");
    EXPECT_EQ(namesIn(onVolume("ailleurs")), std::vector<std::string>{".garde"});
    ASSERT_EQ(::unlink(onVolume(".Trash-0").c_str()), 0);

    ASSERT_EQ(::mkdir(onVolume(".Trash-0").c_str(), 0700), 0);
    ASSERT_EQ(::chown(onVolume(".Trash-0").c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(usableTrash(folder, archive), std::nullopt);
    EXPECT_EQ(trashA(), "no trash");
    EXPECT_EQ(namesIn(onVolume(".Trash-0")), std::vector<std::string>{});
    EXPECT_EQ(readFileBytes(archive + "/a.txt"), "a");
    ASSERT_EQ(::rmdir(onVolume(".Trash-0").c_str()), 0);

    // Without the sticky bit, any user could swap another's folder in .Trash: it is passed over.
    ASSERT_EQ(::mkdir(onVolume(".Trash").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(onVolume(".Trash").c_str(), 0777), 0);
    EXPECT_EQ(usableTrash(folder, archive), onVolume(".Trash-0"));
    EXPECT_EQ(trashA(), "trashed as a.txt");
    EXPECT_EQ(namesIn(onVolume(".Trash")), std::vector<std::string>{});
    EXPECT_EQ(readFileBytes(onVolume(".Trash-0/files/a.txt")), "a");

    makeFile("archive/a.txt", "a2");
    ASSERT_EQ(::chmod(onVolume(".Trash").c_str(), 01777), 0);
    const std::int64_t start = currentTime();
    EXPECT_EQ(trashA(), "trashed as a.txt");
    EXPECT_EQ(readFileBytes(onVolume(".Trash/0/files/a.txt")), "a2");
    EXPECT_EQ(infoText(onVolume(".Trash/0/info/a.txt.trashinfo"), start),
              "[Trash Info]\nPath=archive/a.txt\nDeletionDate=<date>\n");

    // An entry at the very top of the volume, as when the destination is the volume itself.
    makeFile("haut.txt", "haut");
    EXPECT_EQ(outcomeText(moveToTrash(opened(top_), "haut.txt", top_ + "/haut.txt")), "trashed as haut.txt");
    EXPECT_EQ(infoText(onVolume(".Trash/0/info/haut.txt.trashinfo"), start),
              "[Trash Info]\nPath=haut.txt\nDeletionDate=<date>\n");
}

TEST_F(TrashOnVolume, WithoutPermissionRoomOrWritesNothingIsTrashedAndAReadOnlyFolderKeepsItsBits)
{
    // The user may write in the archive but not at the top of the volume, where the trash goes.
    ASSERT_EQ(::chmod(tree_.root().c_str(), 0755), 0);
    makeFile("archive/a.txt", "a");
    ASSERT_EQ(::mkdir(onVolume("archive/lecture seule").c_str(), 0555), 0);
    for (const char* path : {"archive", "archive/a.txt", "archive/lecture seule"}) {
        ASSERT_EQ(::chown(onVolume(path).c_str(), kNobody, kNobody), 0) << path;
    }
    const std::string archive = onVolume("archive");
    const auto asNobody = [&] {
        return testing::inChild([&] {
            if (!testing::becomeNobody()) return std::string("could not become nobody");
            const FolderHandle folder = opened(archive);
            return outcomeText(moveToTrash(folder, "a.txt", archive + "/a.txt")) + ", " +
                   outcomeText(moveToTrash(folder, "lecture seule", archive + "/lecture seule"));
        });
    };
    EXPECT_EQ(asNobody(), "no trash, no trash");
    EXPECT_EQ(namesIn(archive), (std::vector<std::string>{"a.txt", "lecture seule/"}));

    // Given a trash of its own, the user's read-only folder goes there with its bits.
    ASSERT_EQ(::mkdir(onVolume(".Trash-65534").c_str(), 0700), 0);
    ASSERT_EQ(::chown(onVolume(".Trash-65534").c_str(), kNobody, kNobody), 0);
    EXPECT_EQ(asNobody(), "trashed as a.txt, trashed as lecture seule");
    struct stat moved{};
    ASSERT_EQ(::stat(onVolume(".Trash-65534/files/lecture seule").c_str(), &moved), 0);
    EXPECT_EQ(moved.st_mode & 07777, 0555u);

    // A full volume has no room for the .trashinfo: that entry fails, and stays.
    makeFile("archive/b.txt", "b");
    const FolderHandle folder = opened(archive);
    const int filler = ::open(onVolume("plein").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    for (const std::size_t piece : {std::size_t{1} << 20, std::size_t{512}}) {
        const std::string bytes(piece, 'x');
        while (::write(filler, bytes.data(), piece) > 0) {}
    }
    ::close(filler);
    EXPECT_EQ(outcomeText(moveToTrash(folder, "b.txt", archive + "/b.txt")), "failed: " + systemError(ENOSPC).reason);
    EXPECT_EQ(readFileBytes(archive + "/b.txt"), "b");

    ASSERT_EQ(::mount(nullptr, top_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    EXPECT_EQ(outcomeText(moveToTrash(folder, "b.txt", archive + "/b.txt")), "no trash");
    EXPECT_EQ(readFileBytes(archive + "/b.txt"), "b");
}

TEST_F(TrashOnVolume, AnEntryTheTrashRefusesFailsAndOnlyWhatTheProgramTrashedIsFreedOldestFirst)
{
    makeFile("archive/Verrou/f.txt", "f");
    ASSERT_TRUE(testing::setImmutable(onVolume("archive/Verrou"), true));
    const auto refused = moveToTrash(opened(onVolume("archive/Verrou")), "f.txt", onVolume("archive/Verrou/f.txt"));
    EXPECT_TRUE(testing::setImmutable(onVolume("archive/Verrou"), false));
    EXPECT_EQ(outcomeText(refused), "failed: " + systemError(EPERM).reason);
    EXPECT_EQ(readFileBytes(onVolume("archive/Verrou/f.txt")), "f");
    EXPECT_EQ(namesIn(onVolume(".Trash-0")), (std::vector<std::string>{"files/", "info/"}));

    const std::string archive = onVolume("archive");
    const FolderHandle folder = opened(archive);
    const std::string ledgerFile = tree_.path("state/trashed");
    TrashLedger ledger(ledgerFile);
    std::vector<Trashing> trashings;
    for (const auto& [name, size] : {std::pair{"a.txt", 1000}, {"b.txt", 2000}, {"c.txt", 3000}, {"d.txt", 4000}}) {
        makeFile(std::string("archive/") + name, std::string(static_cast<std::size_t>(size), 'x'));
        auto trashing = moveToTrash(folder, name, archive + "/" + name);
        ASSERT_EQ(outcomeText(trashing), std::string("trashed as ") + name);
        ledger.add(trashing.value);
        trashings.push_back(std::move(trashing.value));
    }
    // The user put b.txt back and trashed another file of that name: it is the user's now.
    const std::string trash = onVolume(".Trash-0");
    const std::string usersInfo = "[Trash Info]\nPath=ailleurs/b.txt\nDeletionDate=2026-01-02T10:00:00\n";
    makeFile(".Trash-0/info/b.txt.trashinfo", usersInfo);
    makeFile("archive/autre.txt", "autre");

    // c.txt is being replaced: it stays whatever room is wanted.
    EXPECT_EQ(ledger.free(trash, 2500, &trashings[2]), 5000u);
    EXPECT_EQ(namesIn(trash + "/files"), (std::vector<std::string>{"b.txt", "c.txt"}));
    EXPECT_EQ(namesIn(trash + "/info"), (std::vector<std::string>{"b.txt.trashinfo", "c.txt.trashinfo"}));
    EXPECT_EQ(readFileBytes(trash + "/info/b.txt.trashinfo"), usersInfo);
    EXPECT_EQ(ledger.save(), std::nullopt);

    // The list kept in the state folder knows c.txt alone; gone, it frees nothing more.
    EXPECT_EQ(TrashLedger(ledgerFile).free(trash, 1), 3000u);
    EXPECT_EQ(namesIn(trash + "/files"), (std::vector<std::string>{"b.txt"}));
    EXPECT_EQ(TrashLedger(ledgerFile).free(trash, 1), 0u);
    EXPECT_EQ(readFileBytes(trash + "/files/b.txt"), std::string(2000, 'x'));
}

TEST(TrashOnFat, WithoutHardLinksTheReplacedFileIsMovedToTheTrashAndPutBackWhenTheReplacementFailsAndNoFolderMoves)
{
    const std::string why = testing::whyNotMountable(VolumeKind::Fat32);
    if (!why.empty()) GTEST_SKIP() << why;
    TempFolder tree;
    const MountedVolume volume(VolumeKind::Fat32, tree.root());
    const DataHome home(tree.root(), tree.path("share"));
    const std::string archive = volume.mountPoint() + "/archive";
    tree.makeFile("FAT32/archive/notes.txt", "ancien");
    tree.makeFile("FAT32/archive/dossier/x.txt", "x");
    tree.makeFile("source/notes.txt", "nouveau");
    const FolderHandle folder = opened(archive);

    // The driver would leave a renamed folder empty: the folder stays where it is.
    EXPECT_EQ(outcomeText(moveToTrash(folder, "dossier", archive + "/dossier")), "no trash");
    EXPECT_EQ(readFileBytes(archive + "/dossier/x.txt"), "x");

    const auto kept = keepReplacedInTrash(folder, "notes.txt", archive + "/notes.txt");
    EXPECT_EQ(outcomeText(kept), "no hard links");
    const std::string trash = volume.mountPoint() + "/.Trash-0";
    EXPECT_EQ(namesIn(trash), (std::vector<std::string>{"files/", "info/"}));

    // The replacement fails (its source is gone): the old file comes back.
    const auto moved = moveToTrash(folder, "notes.txt", archive + "/notes.txt");
    EXPECT_EQ(outcomeText(moved), "trashed as notes.txt");
    RunControl control;
    const FolderHandle source = opened(tree.path("source"));
    EXPECT_NE(copyFile(source, "absent.txt", folder, "notes.txt", CopyMode::Add, control), std::nullopt);
    EXPECT_EQ(undoTrashing(moved.value, folder, "notes.txt"), std::nullopt);
    EXPECT_EQ(readFileBytes(archive + "/notes.txt"), "ancien");
    EXPECT_EQ(namesIn(trash), (std::vector<std::string>{"files/", "info/"}));

    const std::int64_t start = currentTime();
    EXPECT_EQ(outcomeText(moveToTrash(folder, "notes.txt", archive + "/notes.txt")), "trashed as notes.txt");
    EXPECT_EQ(copyFile(source, "notes.txt", folder, "notes.txt", CopyMode::Add, control), std::nullopt);
    EXPECT_EQ(readFileBytes(archive + "/notes.txt"), "nouveau");
    EXPECT_EQ(readFileBytes(trash + "/files/notes.txt"), "ancien");
    EXPECT_EQ(infoText(trash + "/info/notes.txt.trashinfo", start),
              "[Trash Info]\nPath=archive/notes.txt\nDeletionDate=<date>\n");
}

}  // namespace
}  // namespace velmorane::platform
