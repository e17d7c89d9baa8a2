#include "platform/desktop_shares.h"

#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

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
    EXPECT_TRUE(userGvfsFolder().starts_with("/run/user/"));
    EXPECT_TRUE(userGvfsFolder().ends_with("/gvfs"));
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
