#include "platform/volumes.h"

#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

namespace velmorane::platform {
namespace {

std::vector<std::string> mountPoints(const std::vector<Volume>& volumes)
{
    std::vector<std::string> points;
    for (const Volume& volume : volumes) points.push_back(volume.mountPoint);
    return points;
}

TEST(Volumes, OnlyRealFileSystemsAreDrivesAndTheDriveOfAFolderIsItsLongestMountPoint)
{
    const std::vector<Volume> volumes = parseMounts(
        "proc /proc proc rw,relatime 0 0\n"
        "sysfs /sys sysfs rw 0 0\n"
        "/dev/sda2 / ext4 rw 0 0\n"
        "tmpfs /run tmpfs rw 0 0\n"
        "devpts /dev/pts devpts rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "/dev/sda3 /home ext4 rw 0 0\n"
        "/dev/sdb1 /media/ana/CL\\303\\211\\040USB vfat rw 0 0\n"
        "/dev/sdc1 /home/ana/Disque xfs rw 0 0\n");
    EXPECT_EQ(mountPoints(volumes),
              (std::vector<std::string>{"/", "/home", "/home/ana/Disque", "/media/ana/CLÉ USB"}));
    EXPECT_EQ(volumes[1].device, "/dev/sda3");
    EXPECT_EQ(volumes[1].type, "ext4");

    // A pseudo file system such as /run is no drive.
    for (const auto& [folder, drive] : {std::pair{"/home/ana/Docs", "/home"}, {"/home", "/home"}, {"/homework/x", "/"},
                                        {"/home/ana/Disque/Photos", "/home/ana/Disque"}, {"/run/user/1000", "/"},
                                        {"/media/ana/CLÉ USB/", "/media/ana/CLÉ USB"}}) {
        EXPECT_EQ(volumeOf(folder, volumes), drive) << folder;
    }
}

TEST(Volumes, TheRootIsAlwaysADriveAndALaterMountHidesAnEarlierOne)
{
    EXPECT_EQ(mountPoints(parseMounts("proc /proc proc rw 0 0\n")), std::vector<std::string>{"/"});
    const auto volumes = parseMounts("/dev/sda1 /data ext4 rw 0 0\n/dev/sdb1 /data btrfs rw 0 0\n");
    ASSERT_EQ(mountPoints(volumes), (std::vector<std::string>{"/", "/data"}));
    EXPECT_EQ(volumes[1].type, "btrfs");

    const auto here = mountedVolumes();
    EXPECT_EQ(volumeOf("/", here), "/");
    for (const Volume& v : here) EXPECT_NE(v.type, "proc");
}

TEST(Volumes, EveryMountHoldsFoldersTheFixedMountsAreReadAndAnyPathFitsOneEscapedField)
{
    const auto all = parseMounts("/dev/sda1 / ext4 rw 0 0\ntmpfs /tmp/cl\303\251 tmpfs rw 0 0\n", MountKinds::All);
    EXPECT_EQ(mountPoints(all), (std::vector<std::string>{"/", "/tmp/clé"}));

    testing::TempFolder tree;
    const std::string fstab = tree.makeFile("fstab", "# /etc/fstab\n\nUUID=1 / ext4 defaults 0 1\n"
                                                     "LABEL=CLE /media/ana/Cl\\303\\251\\040USB/ vfat noauto,user 0 0\n"
                                                     "/swapfile none swap sw 0 0\n  #/dev/sdz9 /ancien ext4\n");
    EXPECT_EQ(fstabMountPoints(fstab), (std::vector<std::string>{"/", "/media/ana/Clé USB"}));
    EXPECT_TRUE(fstabMountPoints(tree.path("absent")).empty());

    const std::string odd = "/a b\tc\nd\\é";
    EXPECT_EQ(encodeOctalEscapes(odd), "/a\\040b\\011c\\012d\\134\\303\\251");
    EXPECT_EQ(decodeOctalEscapes(encodeOctalEscapes(odd)), odd);
}

// The kernel's folder of block devices is the test's own: a USB disk, a card reader's partition,
// an internal disk.
TEST(Volumes, KeysSharesAndWhatDesktopsMountUnderMediaComeAndGoUnlikeFixedDisks)
{
    testing::TempFolder sys;
    sys.makeFile("devices/pci0000:00/0000:00:14.0/usb2/2-1/block/sdb/sdb1/partition", "1");
    sys.makeFile("devices/pci0000:00/0000:00:1f.2/ata1/block/sdc/removable", "1\n");
    sys.makeFile("devices/pci0000:00/0000:00:1f.2/ata1/block/sdc/sdc1/partition", "1");
    sys.makeFile("devices/pci0000:00/0000:00:1f.2/ata2/block/sda/removable", "0\n");
    sys.makeFile("devices/pci0000:00/0000:00:1f.2/ata2/block/sda/sda1/partition", "1");
    sys.makeLink("class/block/sdb1", "../../devices/pci0000:00/0000:00:14.0/usb2/2-1/block/sdb/sdb1");
    sys.makeLink("class/block/sdc1", "../../devices/pci0000:00/0000:00:1f.2/ata1/block/sdc/sdc1");
    sys.makeLink("class/block/sda1", "../../devices/pci0000:00/0000:00:1f.2/ata2/block/sda/sda1");
    const std::string block = sys.path("class/block");
    const auto comesAndGoes = [&](const std::string& mountPoint, const std::string& device, const std::string& type) {
        return isRemovableOrNetwork({mountPoint, device, type}, block);
    };
    EXPECT_TRUE(comesAndGoes("/mnt/usb", "/dev/sdb1", "ext4"));
    EXPECT_TRUE(comesAndGoes("/mnt/carte", "/dev/sdc1", "ext4"));
    EXPECT_FALSE(comesAndGoes("/mnt/disque", "/dev/sda1", "ext4"));
    EXPECT_FALSE(comesAndGoes("/", "/dev/sda1", "ext4"));
    EXPECT_FALSE(comesAndGoes("/srv/memoire", "tmpfs", "tmpfs"));
    EXPECT_TRUE(comesAndGoes("/media/ana/CLE", "/dev/sda1", "ext4"));
    EXPECT_TRUE(comesAndGoes("/run/media/ana/CLE", "/dev/sda1", "xfs"));
    EXPECT_FALSE(comesAndGoes("/mediatheque", "/dev/sda1", "ext4"));
    for (const char* type : {"vfat", "exfat", "ntfs3", "fuseblk", "fuse.fusefat", "fuse.sshfs", "cifs", "nfs4"}) {
        EXPECT_TRUE(comesAndGoes("/mnt/x", "serveur:/x", type)) << type;
    }
}

TEST(Volumes, WhatAVolumeKeepsComesFromItsFileSystem)
{
    const auto describe = [](std::string_view type) {
        const VolumeTraits traits = traitsOfType(type);
        return std::to_string(static_cast<int>(traits.times)) + (traits.localTimes ? " local" : " utc") +
               (traits.keepsPermissions ? " bits" : " nobits");
    };
    for (const char* type : {"vfat", "msdos", "fuse.fusefat"}) EXPECT_EQ(describe(type), "2 local nobits") << type;
    for (const char* type : {"exfat", "fuse.exfat"}) EXPECT_EQ(describe(type), "1 local nobits") << type;
    for (const char* type : {"ntfs3", "fuse", "fuse.sshfs"}) EXPECT_EQ(describe(type), "1 utc nobits") << type;
    for (const char* type : {"ext4", "btrfs", "xfs", "tmpfs", "nfs4", ""}) {
        EXPECT_EQ(describe(type), "0 utc bits") << type;
    }
    EXPECT_EQ(volumeTraits("/tmp").times, TimePrecision::Nanoseconds);
}

}  // namespace
}  // namespace velmorane::platform
