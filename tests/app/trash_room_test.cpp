#include "tests/support/child_process.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <tuple>

namespace velmorane::testing {
namespace {

// About 40 % of the 64 MiB key: two versions and a third being copied do not fit on it together.
constexpr std::size_t kBigFile = 25'000'000;

// The binary run unattended on the profile "Cle", from the work folder to an archive that is a
// volume of its own; the home trash and the program's state live in a folder of the test's own.
class TrashRoom : public ::testing::Test {
protected:
    void useArchive(const std::string& archivePath)
    {
        archive = archivePath;
        tree.makeFile("ArchProfils.vlr", " 1 \r\n" + profileRecord("Cle", work, archive));
    }

    ProgramRun velmorane()
    {
        return runProgram(VELMORANE_BINARY, {"Cle", "X"}, tree.root(),
                          {{"XDG_DATA_HOME", home.path("data")}, {"XDG_STATE_HOME", home.path("state")}});
    }

    // The journal's last entry, without its date line.
    std::string lastEntry() const
    {
        const std::string text = readFileBytes(tree.path("ArchJournal.vlr"));
        return text.substr(text.rfind("\r\n\t") + 2);
    }

    TempFolder home;
    TempFolder tree;
    std::string work = tree.path("travail");
    std::string archive;
};

class TrashRoomOnKey : public TrashRoom, public ::testing::WithParamInterface<VolumeKind> {
protected:
    void SetUp() override
    {
        if (const std::string why = whyNotMountable(GetParam()); !why.empty()) GTEST_SKIP() << why;
        key.emplace(GetParam(), tree.root());
        // A folder on the key, as people are told to use: the key's top folder is refused for itself.
        tree.makeFolder(std::string(volumeKindName(GetParam())) + "/Archive");
        useArchive(key->mountPoint() + "/Archive");
    }

    std::optional<MountedVolume> key;
};

std::string trashFolder()
{
    return ".Trash-" + std::to_string(::getuid());
}

TEST_P(TrashRoomOnKey, ReplacementsOnANearlyFullKeyFreeTheOldVersionsThisProgramTrashedAndNeverTheUsers)
{
    const std::string trash = key->mountPoint() + "/" + trashFolder();
    // The user's own trashed files, one of them under the name the program's trashings take.
    const std::string usersInfo = "[Trash Info]\nPath=Autre/big.bin\nDeletionDate=2026-01-02T10:00:00\n";
    tree.makeFile(std::string(volumeKindName(GetParam())) + "/" + trashFolder() + "/files/big.bin",
                  std::string(4'000'000, 'u'));
    tree.makeFile(std::string(volumeKindName(GetParam())) + "/" + trashFolder() + "/info/big.bin.trashinfo",
                  usersInfo);
    tree.makeFile("travail/petit.txt", "petit");

    // Each run replaces the big file; from the third on, the version the run before kept in the
    // trash must go to make room for the new one.
    for (int version = 1; version <= 4; ++version) {
        const std::string content(kBigFile, static_cast<char>('a' + version));
        tree.makeFile("travail/big.bin", content, kTestTime + 60 * version);
        const auto run = velmorane();
        const std::string freed = version >= 3 ? "Corbeille du volume : 24 Mo libérés\n" : "";
        EXPECT_EQ(std::make_tuple(run.exitCode, run.err), std::make_tuple(0, freed)) << "version " << version;
        EXPECT_EQ(lastEntry(), "\tExécution du Profil Cle : OK\r\n") << "version " << version;
        EXPECT_EQ(namesIn(archive), (Names{"big.bin", "petit.txt"}));
        EXPECT_EQ(readFileBytes(archive + "/big.bin") == content, true) << "version " << version;
        EXPECT_EQ(readFileBytes(archive + "/petit.txt"), "petit");
    }

    // The user's files are as they were; of the program's, the last old version is left.
    EXPECT_EQ(namesIn(trash + "/files"), (Names{"big.bin", "big.bin 2"}));
    EXPECT_EQ(readFileBytes(trash + "/files/big.bin"), std::string(4'000'000, 'u'));
    EXPECT_EQ(readFileBytes(trash + "/info/big.bin.trashinfo"), usersInfo);
    EXPECT_EQ(readFileBytes(trash + "/files/big.bin 2") == std::string(kBigFile, 'd'), true);
    const std::string journal = readFileBytes(tree.path("ArchJournal.vlr"));
    EXPECT_EQ(std::count(journal.begin(), journal.end(), '\n'), 8) << journal;

    // A new folder is copied whole: exFAT says how much room is left, so room is made before;
    // fusefat does not, and the file that found no room is copied, with room made, by the next run.
    const std::string folderContent(kBigFile, 'n');
    tree.makeFile("travail/Nouveau/gros.bin", folderContent);
    const auto folderRun = velmorane();
    if (GetParam() == VolumeKind::ExFat) {
        EXPECT_EQ(std::make_tuple(folderRun.exitCode, folderRun.err),
                  std::make_tuple(0, std::string("Corbeille du volume : 24 Mo libérés\n")));
    } else {
        EXPECT_EQ(folderRun.exitCode, 1) << folderRun.err;
        EXPECT_EQ(lastEntry(), "\tExécution du Profil Cle : 1 erreur(s)\r\n");
        const auto next = velmorane();
        EXPECT_EQ(std::make_tuple(next.exitCode, next.err),
                  std::make_tuple(0, std::string("Corbeille du volume : 24 Mo libérés\n")));
    }
    EXPECT_EQ(lastEntry(), "\tExécution du Profil Cle : OK\r\n");
    EXPECT_EQ(readFileBytes(archive + "/Nouveau/gros.bin") == folderContent, true);
    EXPECT_EQ(namesIn(trash + "/files"), Names{"big.bin"});
    EXPECT_EQ(readFileBytes(trash + "/files/big.bin"), std::string(4'000'000, 'u'));
}

INSTANTIATE_TEST_SUITE_P(Images, TrashRoomOnKey, ::testing::Values(VolumeKind::Fat32, VolumeKind::ExFat),
                         [](const ::testing::TestParamInfo<VolumeKind>& info) {
                             return std::string(volumeKindName(info.param));
                         });

TEST_F(TrashRoom, AFolderTheTrashRefusesFailsItsEntryAndNothingIsDeletedForGood)
{
    if (const std::string why = whyNotMountable(VolumeKind::Ext4); !why.empty()) GTEST_SKIP() << why;
    const MountedVolume disk(VolumeKind::Ext4, tree.root());
    useArchive(disk.mountPoint() + "/archive");
    tree.makeFile("travail/doc.txt", "doc");
    tree.makeFolder("travail/Verrou");
    tree.makeFile("ext4/archive/doc.txt", "doc");
    tree.makeFile("ext4/archive/ancien.txt", "ancien");
    tree.makeFile("ext4/archive/Verrou/Vieux/a.txt", "a");
    tree.makeFile("ext4/archive/Verrou/Vieux/Sous/b.txt", "b");
    tree.setMtime("travail/Verrou", kTestTime);
    tree.setMtime("ext4/archive/Verrou", kTestTime);
    const std::string locked = archive + "/Verrou";
    ASSERT_TRUE(setImmutable(locked, true));

    const auto refused = velmorane();
    EXPECT_TRUE(setImmutable(locked, false));
    EXPECT_EQ(refused.exitCode, 1) << refused.err;
    EXPECT_NE(refused.err.find("Erreur : 1 - Opération non permise\nSur le fichier : "), std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find(" ou " + locked + "/Vieux/\nFaut-il continuer ?"), std::string::npos) << refused.err;
    EXPECT_EQ(lastEntry(), "\tExécution du Profil Cle : 1 erreur(s)\r\n");
    // The folders below it, which the trash takes, went there one by one; the rest stayed.
    EXPECT_EQ(readFileBytes(locked + "/Vieux/a.txt"), "a");
    const std::string trash = disk.mountPoint() + "/" + trashFolder();
    EXPECT_EQ(namesIn(trash + "/files"), (Names{"Sous", "ancien.txt"}));
    EXPECT_EQ(namesIn(trash + "/info"), (Names{"Sous.trashinfo", "ancien.txt.trashinfo"}));
    EXPECT_EQ(readFileBytes(trash + "/files/Sous/b.txt"), "b");

    // Once the folder may change, the next run takes the rest to the trash too.
    const auto next = velmorane();
    EXPECT_EQ(std::make_tuple(next.exitCode, next.err), std::make_tuple(0, std::string()));
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(work, FolderTimes::Left));
    EXPECT_EQ(namesIn(trash + "/files"), (Names{"Sous", "Vieux", "ancien.txt"}));
    EXPECT_EQ(readFileBytes(trash + "/files/Vieux/a.txt"), "a");
}

TEST_F(TrashRoom, AVolumeWithoutAUsableTrashLosesItsEntriesForGoodAndTheRunSaysSoOnce)
{
    if (const std::string why = whyNotMountable(VolumeKind::Tmpfs); !why.empty()) GTEST_SKIP() << why;
    const MountedVolume volume(VolumeKind::Tmpfs, tree.root());
    useArchive(volume.mountPoint() + "/archive");
    tree.makeFile("travail/doc.txt", "nouveau", kTestTime + 60);
    tree.makeFile("tmpfs/archive/doc.txt", "ancien");
    tree.makeFile("tmpfs/archive/vieux.txt", "vieux");
    tree.makeFile("tmpfs/archive/Vieux/v.txt", "v");
    // Alike on both sides: an unattended run never deletes every file of its archive.
    tree.makeFile("travail/garde.txt", "gardé");
    tree.makeFile("tmpfs/archive/garde.txt", "gardé");
    // A trash folder that is a link could send the entries anywhere: it is never used.
    tree.makeFolder("ailleurs");
    tree.makeLink("tmpfs/" + trashFolder(), tree.path("ailleurs"));

    const auto run = velmorane();
    EXPECT_EQ(std::make_tuple(run.exitCode, run.err),
              std::make_tuple(0, "Pas de corbeille sur le volume " + volume.mountPoint() +
                                     " : suppressions et remplacements définitifs\n"));
    EXPECT_EQ(lastEntry(), "\tExécution du Profil Cle : OK\r\n");
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(work, FolderTimes::Left));
    EXPECT_EQ(namesIn(tree.path("ailleurs")), Names{});
    EXPECT_FALSE(std::filesystem::exists(home.path("data/Trash")));
}

}  // namespace
}  // namespace velmorane::testing
