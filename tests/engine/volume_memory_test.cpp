#include "engine/volume_memory.h"

#include "platform/volumes.h"
#include "tests/support/child_process.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace velmorane::engine {
namespace {

using testing::TempFolder;

// The volume that should hold a folder and does not, or "-".
std::string check(const std::string& folder, const VolumeSources& sources)
{
    return missingVolume(folder, sources).value_or("-");
}

class VolumeMemory : public ::testing::Test {
protected:
    VolumeMemory()
    {
        sources.stateFile = tree.path("etat/velmorane/volumes");
        sources.fstabPath = tree.path("fstab");
    }

    TempFolder tree;
    VolumeSources sources;
};

// A folder on an SSH server is held by no mount here: remembering one by the folder the program
// happened to run in would refuse the next run started elsewhere.
TEST_F(VolumeMemory, AFolderOnAnSshServerIsNeitherRememberedNorCheckedAgainstTheMountsHere)
{
    const std::string work = tree.makeFolder("travail");
    const std::string server = "sftp://nas/srv/archive";
    sources.mountsText = "/dev/velmorane-sda1 / ext4 rw 0 0\n";
    EXPECT_FALSE(recordExecution(work, server, sources));
    EXPECT_EQ(testing::readFileBytes(sources.stateFile),
              "velmorane volumes 2\r\nfolder " + work + " / /dev/velmorane-sda1\\040ext4\r\n");
    sources.mountsText = "/dev/velmorane-sda1 / ext4 rw 0 0\n/dev/velmorane-sdb1 " + tree.path("") + " vfat rw 0 0\n";
    EXPECT_EQ(check(server, sources), "-");
    EXPECT_FALSE(isNewVolumeRoot(work, server, sources));
}

TEST_F(VolumeMemory, AFolderNowHeldByAnotherMountPointOrUnderAnUnmountedFixedOneIsNamedWithThatVolume)
{
    const std::string key = tree.makeFolder("cle");
    const std::string docs = tree.makeFolder("cle/mes docs") + "/";
    const std::string plugged = "/dev/velmorane-sda1 / ext4 rw 0 0\n/dev/velmorane-sdb1 " + key + " vfat rw 0 0\n";
    sources.mountsText = plugged;
    EXPECT_EQ(check(docs, sources), "-");  // nothing known yet

    EXPECT_FALSE(recordExecution(docs, "/home", sources));
    EXPECT_FALSE(recordExecution("/home", tree.path("cle/./mes docs"), sources));
    EXPECT_EQ(testing::readFileBytes(sources.stateFile),
              "velmorane volumes 2\r\nfolder /home / /dev/velmorane-sda1\\040ext4\r\n"
              "folder " + key + "/mes\\040docs " + key + " /dev/velmorane-sdb1\\040vfat\r\n"
              "mirror /home " + key + "/mes\\040docs /dev/velmorane-sdb1\\040vfat\r\n"
              "mirror " + key + "/mes\\040docs /home /dev/velmorane-sda1\\040ext4\r\n");

    sources.mountsText = "/dev/velmorane-sda1 / ext4 rw 0 0\n";
    EXPECT_EQ(check(docs, sources), key);
    EXPECT_EQ(check(key + "/../cle/mes docs", sources), key);
    EXPECT_EQ(check("/home", sources), "-");
    sources.mountsText = plugged;
    EXPECT_EQ(check(docs, sources), "-");

    // A mount point that the file-system table names stops a folder on it even on a first run,
    // and only while it is not mounted.
    const std::string disk = tree.path("disque dur");
    tree.makeFile("fstab", "# <file system> <mount point>\nUUID=1 / ext4 defaults 0 1\n"
                           "/dev/sdc1 " + tree.path("disque\\040dur") + "/ ext4 noauto,user 0 0\n"
                           "/swapfile none swap sw 0 0\n");
    EXPECT_EQ(check(disk + "/photos", sources), disk);
    EXPECT_EQ(check(disk, sources), disk);
    EXPECT_EQ(check(tree.path("disque"), sources), "-");
    sources.mountsText = plugged + "/dev/sdc1 " + tree.path("disque\\040dur") + " ext4 rw 0 0\n";
    EXPECT_EQ(check(disk + "/photos", sources), "-");
}

TEST_F(VolumeMemory, AMemoryThatIsDamagedALinkOrAnotherUsersIsIgnoredAndOnlyTheUsersOwnIsReplaced)
{
    const std::string key = tree.makeFolder("cle");
    const std::string memory = "velmorane volumes 1\r\n" + key + " " + key + "\r\n";
    sources.mountsText = "";  // the key pulled: any usable memory would stop the folder

    for (const std::string& damaged : {"velmorane volumes 1\r\n" + key + "\r\n", "autre chose\r\n" + key + " " + key,
                                       "velmorane volumes 1\r\n" + key + " " + key + " en trop\r\n",
                                       std::string("velmorane volumes 1\r\nrelatif /\r\n"), std::string("\0\1\2", 3)}) {
        tree.makeFile("etat/velmorane/volumes", damaged);
        EXPECT_EQ(check(key, sources), "-") << damaged;
    }
    EXPECT_FALSE(recordExecution(key, "/", sources));
    EXPECT_EQ(testing::readFileBytes(sources.stateFile),
              "velmorane volumes 2\r\nfolder / / \\040\r\nfolder " + key + " / \\040\r\nmirror " + key + " / \\040\r\n");

    // A link to a memory of the user's own is not followed, and not written through.
    const std::string target = tree.makeFile("ailleurs", memory);
    ASSERT_EQ(::unlink(sources.stateFile.c_str()), 0);
    tree.makeLink("etat/velmorane/volumes", target);
    EXPECT_EQ(check(key, sources), "-");
    EXPECT_TRUE(recordExecution(key, "/", sources)) << "the failure is returned";
    EXPECT_EQ(testing::readFileBytes(target), memory);

    if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another user needs root";
    ASSERT_EQ(::unlink(sources.stateFile.c_str()), 0);
    tree.makeFile("etat/velmorane/volumes", memory);
    ASSERT_EQ(::chown(sources.stateFile.c_str(), testing::kNobody, testing::kNobody), 0);
    EXPECT_EQ(check(key, sources), "-");
    EXPECT_TRUE(recordExecution(key, "/", sources));
    EXPECT_EQ(testing::readFileBytes(sources.stateFile), memory);
}

TEST_F(VolumeMemory, AnotherVolumeAtTheRememberedMountPointIsNamedWithTheVolumeRemembered)
{
    const std::string key = tree.makeFolder("cle");
    const std::string share = "/dev/velmorane-sda1 / ext4 rw 0 0\n//serveur/photos " + key + " cifs rw 0 0\n";
    sources.mountsText = share;
    EXPECT_FALSE(recordExecution(key + "/docs", "/home", sources));
    EXPECT_EQ(check(key + "/docs", sources), "-");
    sources.mountsText = "/dev/velmorane-sda1 / ext4 rw 0 0\n//autre/photos " + key + " cifs rw 0 0\n";
    EXPECT_EQ(check(key + "/docs", sources), key + " (//serveur/photos cifs)");

    // What the first memories knew, the mount point, is still checked, and a run then records the rest.
    tree.makeFile("etat/velmorane/volumes", "velmorane volumes 1\r\n" + key + "/docs " + key + "\r\n");
    EXPECT_EQ(check(key + "/docs", sources), "-");
    sources.mountsText = "/dev/velmorane-sda1 / ext4 rw 0 0\n";
    EXPECT_EQ(check(key + "/docs", sources), key);
}

// Test machines may run no udev: its database is the test's own folder here.
TEST_F(VolumeMemory, AKeyIsKnownByTheUuidThatUdevOrElseItsSuperblockGives)
{
    if (const std::string why = testing::whyNotMountable(testing::VolumeKind::Ext4); !why.empty()) GTEST_SKIP() << why;
    testing::MountedVolume volume(testing::VolumeKind::Ext4, tree.makeFolder("cles"));
    const std::string key = volume.mountPoint();
    sources.mountsText = platform::mountsTableText();
    sources.devices = {tree.makeFolder("udev"), tree.makeFolder("par-uuid")};
    struct stat device{};
    const auto mounted = platform::parseMounts(sources.mountsText);
    const auto held = std::find_if(mounted.begin(), mounted.end(), [&](const auto& v) { return v.mountPoint == key; });
    ASSERT_NE(held, mounted.end());
    ASSERT_EQ(::stat(held->device.c_str(), &device), 0);
    std::string record = "udev/b";
    record += std::to_string(major(device.st_rdev));
    record += ':';
    record += std::to_string(minor(device.st_rdev));
    tree.makeFile(record, "E:ID_FS_UUID=1111-AAAA\n");
    EXPECT_FALSE(recordExecution(key, tree.makeFolder("copie"), sources));
    EXPECT_NE(testing::readFileBytes(sources.stateFile).find(key + " " + key + " UUID=1111-AAAA\r\n"), std::string::npos);
    EXPECT_EQ(check(key, sources), "-");

    tree.makeFile(record, "E:ID_FS_UUID=2222-BBBB\n");
    EXPECT_EQ(check(key, sources), key + " (UUID=1111-AAAA)");
    // Without udev, the superblock tells the same.
    std::filesystem::remove(tree.path(record));
    EXPECT_EQ(check(key, sources), key + " (UUID=1111-AAAA)");
}

TEST_F(VolumeMemory, TheTopOfAVolumeThatComesAndGoesIsNamedUntilThisSourceWasMirroredOntoThatVolume)
{
    const std::string key = tree.makeFolder("cle");
    const std::string work = tree.makeFolder("travail");
    const std::string plugged = "/dev/velmorane-sda1 / ext4 rw 0 0\n/dev/velmorane-cle " + key + " vfat rw 0 0\n";
    const auto root = [&](const std::string& source, const std::string& dest) {
        return isNewVolumeRoot(source, dest, sources) ? "root" : "-";
    };
    const std::string question = "root";
    sources.mountsText = plugged;
    EXPECT_EQ(root(work, key + "/"), question);
    EXPECT_EQ(root(work, tree.makeFolder("cle/sous")), "-");
    EXPECT_EQ(root(key, work), "-");
    sources.mountsText = "/dev/velmorane-sda1 / ext4 rw 0 0\n/dev/velmorane-disque " + key + " ext4 rw 0 0\n";
    EXPECT_EQ(root(work, key + "/"), "-");

    sources.mountsText = plugged;
    EXPECT_FALSE(recordExecution(work, key, sources));
    EXPECT_EQ(root(work, key + "/"), "-");
    EXPECT_EQ(root(tree.makeFolder("autre"), key + "/"), question);
    sources.mountsText = "/dev/velmorane-sda1 / ext4 rw 0 0\n/dev/velmorane-autre-cle " + key + " vfat rw 0 0\n";
    EXPECT_EQ(root(work, key + "/"), question);

    // A memory written before mirrors were remembered knows the folder as a start folder there.
    tree.makeFile("etat/velmorane/volumes", "velmorane volumes 1\r\n" + key + " " + key + "\r\n");
    EXPECT_EQ(root(work, key + "/"), "-");
}

TEST(VolumeMemoryPlace, TheStateFolderOfTheDesktopStandardOrItsDefaultUnderHome)
{
    const std::string places = testing::inChild([] {
        ::setenv("HOME", "/home/ana", 1);
        ::setenv("XDG_STATE_HOME", "/var/etat", 1);
        std::string out = VolumeSources().stateFile;
        ::setenv("XDG_STATE_HOME", "relatif", 1);
        out += " " + VolumeSources().stateFile;
        ::unsetenv("XDG_STATE_HOME");
        return out + " " + VolumeSources().stateFile;
    });
    EXPECT_EQ(places, "/var/etat/velmorane/volumes /home/ana/.local/state/velmorane/volumes "
                      "/home/ana/.local/state/velmorane/volumes");
}

// Runs that end together (a planned run and the window, two profiles) each keep what they add.
TEST_F(VolumeMemory, RunsEndingTogetherEachKeepTheirFolders)
{
    const std::string key = tree.makeFolder("cle");
    sources.mountsText = "/dev/velmorane-sda1 / ext4 rw 0 0\n/dev/velmorane-sdb1 " + key + " vfat rw 0 0\n";
    constexpr int kRuns = 8;
    std::vector<std::thread> runs;
    for (int run = 0; run < kRuns; ++run) {
        const std::string work = tree.makeFolder("travail " + std::to_string(run));
        const std::string archive = tree.makeFolder("cle/archive " + std::to_string(run));
        runs.emplace_back([this, work, archive] {
            for (int again = 0; again < 10; ++again) EXPECT_FALSE(recordExecution(work, archive, sources));
        });
    }
    for (std::thread& run : runs) run.join();
    sources.mountsText = "/dev/velmorane-sda1 / ext4 rw 0 0\n";
    for (int run = 0; run < kRuns; ++run) EXPECT_EQ(check(tree.path("cle/archive " + std::to_string(run)), sources), key);
}

TEST_F(VolumeMemory, AMountedTmpfsOrBoundFolderIsRememberedAndMissedOnceUnmounted)
{
    if (!testing::TemporaryMount::whyNotRoot().empty()) GTEST_SKIP() << testing::TemporaryMount::whyNotRoot();
    const std::string key = tree.makeFolder("cle");
    const std::string bound = tree.makeFolder("lie");
    tree.makeFolder("vrai/sous");
    testing::TemporaryMount tmpfs(testing::TemporaryMount::Kind::Tmpfs, key);
    testing::TemporaryMount bind(testing::TemporaryMount::Kind::Bind, bound, tree.path("vrai"));
    tree.makeFolder("cle/docs");
    sources.mountsText = platform::mountsTableText();
    EXPECT_FALSE(recordExecution(key, tree.path("cle/docs"), sources));
    EXPECT_FALSE(recordExecution(bound + "/sous", key, sources));
    for (const std::string& folder : {key, tree.path("cle/docs"), bound + "/sous"}) {
        EXPECT_EQ(check(folder, sources), "-") << folder;
    }

    tmpfs.unmount();
    bind.unmount();
    sources.mountsText = platform::mountsTableText();
    EXPECT_EQ(check(key, sources), key);
    EXPECT_EQ(check(tree.path("cle/docs"), sources), key);
    EXPECT_EQ(check(bound + "/sous", sources), bound);

    // Unmounted and named by the file-system table: stopped even without any memory.
    tree.makeFile("fstab", "tmpfs " + key + " tmpfs noauto 0 0\n");
    sources.stateFile = tree.path("neuf/volumes");
    EXPECT_EQ(check(key + "/", sources), key);
}

}  // namespace
}  // namespace velmorane::engine
