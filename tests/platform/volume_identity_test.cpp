#include "platform/volume_identity.h"

#include "platform/folder_identity.h"
#include "platform/stored_names.h"
#include "tests/support/child_process.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace velmorane::platform {
namespace {

using testing::MountedVolume;
using testing::TempFolder;
using testing::VolumeKind;

// A volume as this process's mounts table lists it.
Volume mountedAt(const std::string& mountPoint)
{
    for (const Volume& volume : parseMounts(mountsTableText(), MountKinds::All)) {
        if (volume.mountPoint == mountPoint) return volume;
    }
    return {};
}

// What the system's own tool reads in the superblock.
std::string blkidUuid(const std::string& device)
{
    std::string uuid = testing::runProgram("/usr/sbin/blkid", {"-p", "-s", "UUID", "-o", "value", device}, "/").out;
    while (!uuid.empty() && uuid.back() == '\n') uuid.pop_back();
    return uuid;
}

std::string udevRecordName(const std::string& device)
{
    struct stat info{};
    if (::stat(device.c_str(), &info) != 0) return "absent";
    std::string name = "b";
    name += std::to_string(::major(info.st_rdev));
    name += ':';
    return name + std::to_string(::minor(info.st_rdev));
}

// Test machines may run no udev: its database and links are the test's own folders here.
TEST(VolumeIdentity, FromUdevsDatabaseElseItsLinksByUuidElseTheSuperblockElseTheMountSource)
{
    for (const VolumeKind kind : {VolumeKind::Ext4, VolumeKind::ExFat}) {
        if (const std::string why = testing::whyNotMountable(kind); !why.empty()) GTEST_SKIP() << why;
        SCOPED_TRACE(testing::volumeKindName(kind));
        TempFolder tree;
        MountedVolume key(kind, tree.root());
        const Volume volume = mountedAt(key.mountPoint());
        ASSERT_TRUE(volume.device.starts_with("/dev/loop")) << volume.device;
        DeviceDatabase database{tree.makeFolder("udev"), tree.makeFolder("par-uuid")};

        // Nothing in udev's folders: the superblock, read as root.
        const std::string uuid = blkidUuid(volume.device);
        ASSERT_FALSE(uuid.empty());
        EXPECT_EQ(volumeIdentity(volume, database), "UUID=" + uuid);

        tree.makeLink("par-uuid/1234-ABCD", volume.device);
        tree.makeLink("par-uuid/autre", "/dev/null");
        EXPECT_EQ(volumeIdentity(volume, database), "UUID=1234-ABCD");

        const std::string record = "udev/" + udevRecordName(volume.device);
        tree.makeFile(record, "S:disk/by-label/CLE\nE:ID_FS_LABEL=Cl__USB\nE:ID_FS_LABEL_ENC=Cl\\xc3\\xa9\\x20USB\n");
        EXPECT_EQ(volumeIdentity(volume, database), "LABEL=Clé USB");
        tree.makeFile(record, "E:ID_FS_UUID=5678-EF01\nE:ID_FS_LABEL_ENC=CLE\n");
        EXPECT_EQ(volumeIdentity(volume, database), "UUID=5678-EF01");

        // Another key at the same place, with nothing known of it but its superblock.
        key.mountAnother();
        std::filesystem::remove_all(database.udevData);
        std::filesystem::remove_all(database.byUuid);
        const std::string other = volumeIdentity(mountedAt(key.mountPoint()), database);
        EXPECT_TRUE(other.starts_with("UUID=")) << other;
        EXPECT_NE(other, "UUID=" + uuid);
    }
}

TEST(VolumeIdentity, WhatIsNoReadableDeviceIsKnownByItsMountSourceAndType)
{
    EXPECT_EQ(volumeIdentity({"/mnt/partage", "//serveur/partage", "cifs"}), "//serveur/partage cifs");
    EXPECT_EQ(volumeIdentity({"/media/cle", "fusefat", "fuse.fusefat"}), "fusefat fuse.fusefat");
    EXPECT_EQ(volumeIdentity({"/mnt/x", "/dev/null", "ext4"}), "/dev/null ext4");

    // Only identities of one kind tell two volumes apart.
    EXPECT_TRUE(comparableIdentities("UUID=1", "UUID=2"));
    EXPECT_TRUE(comparableIdentities("LABEL=A", "LABEL=B"));
    EXPECT_TRUE(comparableIdentities("fusefat fuse.fusefat", "/dev/sdb1 vfat"));
    EXPECT_FALSE(comparableIdentities("UUID=1", "LABEL=A"));
    EXPECT_FALSE(comparableIdentities("UUID=1", "/dev/sdb1 vfat"));
    EXPECT_FALSE(comparableIdentities("/dev/sdb1 vfat", "LABEL=A"));
}

TEST(StoredNames, OnAKeyEachSpellingIsTheStoredNameAndIsOneFolderWhileADiskKeepsBothFolders)
{
    TempFolder tree;
    tree.makeFolder("disque/Data");
    tree.makeFolder("disque/DATA");
    EXPECT_EQ(storedSpelling(tree.path("disque/DATA")), tree.path("disque/DATA"));
    EXPECT_FALSE(sameFolder(tree.path("disque/Data"), tree.path("disque/DATA")));

    for (const VolumeKind kind : {VolumeKind::Fat32, VolumeKind::ExFat}) {
        if (const std::string why = testing::whyNotMountable(kind); !why.empty()) GTEST_SKIP() << why;
        SCOPED_TRACE(testing::volumeKindName(kind));
        const MountedVolume key(kind, tree.makeFolder(std::string(testing::volumeKindName(kind))));
        const std::string top = key.mountPoint();
        const std::string onKey = top.substr(tree.root().size() + 1);
        tree.makeFolder(onKey + "/Data/Photos/Arch");
        EXPECT_EQ(storedSpelling(top + "/DATA/pHOTOS/arch"), top + "/Data/Photos/Arch");
        EXPECT_EQ(storedSpelling(top + "/data"), top + "/Data");
        EXPECT_TRUE(sameFolder(top + "/DATA/", top + "/data/./"));
        EXPECT_EQ(folderIdentity(top + "/DATA/PHOTOS"), folderIdentity(top + "/Data/Photos"));
        EXPECT_EQ(pathBelow(top + "/DATA", top + "/data/photos/ARCH"), "Photos/Arch");
        if (kind == VolumeKind::ExFat) {  // the FAT driver takes no accented name
            tree.makeFolder(onKey + "/Été");
            EXPECT_EQ(storedSpelling(top + "/éTÉ"), top + "/Été");
        }
        EXPECT_EQ(resolvedPath(top + "/DATA/absent/"), top + "/Data/absent");
    }
}

}  // namespace
}  // namespace velmorane::platform
