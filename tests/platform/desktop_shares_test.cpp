#include "platform/desktop_shares.h"
#include "platform/drives.h"

#include "tests/support/scoped_environment.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace velmorane::platform {
namespace {

std::vector<std::string> described(const std::vector<DesktopShare>& shares)
{
    std::vector<std::string> lines;
    for (const DesktopShare& share : shares) lines.push_back(share.folder + " → " + share.name);
    return lines;
}

TEST(DesktopShares, EachDesktopShareIsOneFolderUnderGvfsNamedForWhatItIsAndWhereItIs)
{
    EXPECT_EQ(gvfsShareName("smb-share:server=nas,share=docs"), "docs sur nas");
    EXPECT_EQ(gvfsShareName("smb-share:domain=MAISON,server=nas.local,share=photos%20de%20famille,user=ana"),
              "photos de famille sur nas.local");
    EXPECT_EQ(gvfsShareName("sftp:host=serveur,user=moi"), "moi sur serveur");
    EXPECT_EQ(gvfsShareName("sftp:host=serveur,port=2222"), "serveur");
    EXPECT_EQ(gvfsShareName("nfs:host=nas,prefix=%2Fexport%2Fdocs"), "docs sur nas");
    EXPECT_EQ(gvfsShareName("afp-volume:host=mac,user=ana,volume=Archives"), "Archives sur mac");
    EXPECT_EQ(gvfsShareName("dav:host=cloud.example,ssl=true,prefix=%2Fremote.php%2Fwebdav"), "webdav sur cloud.example");
    EXPECT_EQ(gvfsShareName("inconnu"), "inconnu");
    EXPECT_EQ(gvfsShareName("mtp:appareil=1"), "mtp:appareil=1");

    testing::TempFolder gvfs;
    gvfs.makeFolder("smb-share:server=nas,share=docs");
    gvfs.makeFolder("sftp:host=serveur,user=moi");
    gvfs.makeFile("pas-un-partage", "x");
    EXPECT_EQ(described(gvfsShares(gvfs.root())),
              (std::vector<std::string>{gvfs.path("smb-share:server=nas,share=docs") + " → docs sur nas",
                                        gvfs.path("sftp:host=serveur,user=moi") + " → moi sur serveur"}));
    EXPECT_TRUE(gvfsShares(gvfs.path("absent")).empty());
    EXPECT_EQ(gvfsFolderNames(gvfs.root()),
              (std::vector<std::string>{"pas-un-partage", "sftp:host=serveur,user=moi", "smb-share:server=nas,share=docs"}));
    EXPECT_TRUE(gvfsFolderNames(gvfs.path("absent")).empty());

    // GVfs mounts in the user's runtime folder.
    {
        const testing::ScopedEnvironment runtime{{{"XDG_RUNTIME_DIR", "/run/user/4242"}}};
        EXPECT_EQ(userGvfsFolder(), "/run/user/4242/gvfs");
    }
    const testing::ScopedEnvironment noRuntime{{{"XDG_RUNTIME_DIR", ""}}};
    EXPECT_EQ(userGvfsFolder(), "/run/user/" + std::to_string(::getuid()) + "/gvfs");
}

TEST(Drives, VolumesComeByTheirMountPointsThenSharesByTheirReadableNames)
{
    const std::vector<Volume> volumes = {{"/", "/dev/sda2", "ext4"},
                                         {"/home/ana/serveur", "ana@serveur:/srv", "fuse.sshfs"},
                                         {"/media/ana/CLE", "/dev/sdb1", "vfat"},
                                         {"/mnt/docs", "nas:/export/docs", "nfs4"},
                                         {"/mnt/tmp", "tmpfs", "tmpfs"}};
    const std::vector<DesktopShare> mounts = {{"/mnt/docs", "docs sur nas"},
                                              {"/home/ana/serveur", "srv sur serveur"},
                                              {"/mnt/illisible", "illisible sur nas"}};
    const std::vector<DesktopShare> desktop = {{"/run/user/1000/gvfs/smb-share:server=nas,share=photos", "photos sur nas"},
                                               {"/run/user/1000/gvfs/sftp:host=maison,user=ana", "ana sur maison"}};
    const std::vector<Drive> drives = drivesOf(volumes, mounts, desktop);
    std::vector<std::string> lines;
    for (const Drive& drive : drives) lines.push_back(drive.folder + " → " + drive.name);
    // A network mount that cannot be read is not among the volumes, so it is not offered either.
    EXPECT_EQ(lines, (std::vector<std::string>{"/ → /  [/dev/sda2]", "/media/ana/CLE → /media/ana/CLE  [/dev/sdb1]",
                                               "/mnt/tmp → /mnt/tmp",
                                               "/run/user/1000/gvfs/sftp:host=maison,user=ana → ana sur maison",
                                               "/mnt/docs → docs sur nas",
                                               "/run/user/1000/gvfs/smb-share:server=nas,share=photos → photos sur nas",
                                               "/home/ana/serveur → srv sur serveur"}));

    // A share is the drive of what lies in it, not the desktop's mount of every share.
    EXPECT_EQ(driveOf("/run/user/1000/gvfs/smb-share:server=nas,share=photos/2024/été", drives),
              "/run/user/1000/gvfs/smb-share:server=nas,share=photos");
    EXPECT_EQ(driveOf("/run/user/1000/gvfs/smb-share:server=nas,share=photos2", drives), "/");
    EXPECT_EQ(driveOf("/mnt/docs/a", drives), "/mnt/docs");
    EXPECT_EQ(driveOf("/media/ana/CLE", drives), "/media/ana/CLE");
    EXPECT_EQ(driveOf("/home/ana", drives), "/");
    const std::vector<Drive> servers = {{"/", "/"}, {"sftp://moi@nas/", "moi@nas (SSH)"}};
    EXPECT_EQ(driveOf("sftp://moi@nas/srv", servers), "sftp://moi@nas/");
    EXPECT_EQ(driveOf("sftp://moi@nas/", servers), "sftp://moi@nas/");
    EXPECT_EQ(driveOf("sftp://moi@nas2/srv", servers), "/");
}

TEST(DesktopShares, NfsCifsAndSshfsMountsAreRecognisedFromTheMountInformation)
{
    const std::string table =
        "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
        "27 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
        "80 27 0:50 / /mnt/docs rw,relatime shared:40 - nfs4 nas:/export/docs rw,vers=4.2\n"
        "81 27 0:51 / /mnt/racine rw,relatime - nfs [fe80::1]:/ rw\n"
        "82 27 0:52 / /mnt/Photos\\040de\\040famille rw master:3 - cifs //nas.local/photos rw,vers=3.1.1\n"
        "83 27 0:53 / /home/ana/serveur rw,nosuid,nodev - fuse.sshfs ana@serveur:/srv/Mes\\040archives rw,user_id=1000\n"
        "84 27 0:54 / /home/ana/maison rw - fuse.sshfs moi@maison: rw\n"
        "85 27 0:55 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
        "ligne illisible\n";
    EXPECT_EQ(described(networkMounts(table)),
              (std::vector<std::string>{"/mnt/docs → docs sur nas", "/mnt/racine → fe80::1",
                                        "/mnt/Photos de famille → photos sur nas.local",
                                        "/home/ana/serveur → Mes archives sur serveur", "/home/ana/maison → moi sur maison"}));
    EXPECT_NE(mountInfoText().find(" / / "), std::string::npos);
}

}  // namespace
}  // namespace velmorane::platform
