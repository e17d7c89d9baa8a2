#include "platform/browsed_folders.h"

#include "platform/awaited_answer.h"
#include "platform/sftp_folders.h"
#include "platform/volume.h"
#include "tests/support/private_ssh_server.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <pwd.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

using testing::PrivateSshServer;
using testing::SshClientKnowledge;
using Names = std::vector<std::string>;

Names sorted(Names names)
{
    std::sort(names.begin(), names.end());
    return names;
}

TEST(BrowsedFolders, AServersFoldersAreWalkedByTheirAddressesAsThoseOfThisMachineByTheirPaths)
{
    EXPECT_EQ(plainFolder("/home/ana/"), "/home/ana");
    EXPECT_EQ(plainFolder("/"), "/");
    EXPECT_EQ(plainFolder("sftp://moi@nas:2222/srv/docs/"), "sftp://moi@nas:2222/srv/docs");
    EXPECT_EQ(plainFolder("sftp://moi@nas:2222/"), "sftp://moi@nas:2222/");
    EXPECT_EQ(plainFolder("sftp://nas"), "sftp://nas/");

    EXPECT_EQ(parentOf("/home/ana"), "/home");
    EXPECT_EQ(parentOf("/home"), "/");
    EXPECT_EQ(parentOf("/"), "");
    EXPECT_EQ(parentOf("sftp://moi@nas/srv/docs"), "sftp://moi@nas/srv");
    EXPECT_EQ(parentOf("sftp://moi@nas/srv"), "sftp://moi@nas/");
    EXPECT_EQ(parentOf("sftp://moi@nas/"), "");

    EXPECT_EQ(nameOf("/home/ana"), "ana");
    EXPECT_EQ(nameOf("/"), "/");
    EXPECT_EQ(nameOf("sftp://moi@nas/srv/100%25 s%C3%BBr"), "100% sûr");
    EXPECT_EQ(nameOf("sftp://moi@nas/"), "sftp://moi@nas/");

    EXPECT_EQ(folderIn("/home", "ana"), "/home/ana");
    EXPECT_EQ(folderIn("sftp://moi@nas/srv", "100% sûr"), "sftp://moi@nas/srv/100%25 sûr");
    EXPECT_EQ(folderIn("sftp://moi@nas/", "srv"), "sftp://moi@nas/srv");

    SftpAddress address{"moi", "fe80::1", 2222, "/srv/100%"};
    EXPECT_EQ(sftpServerRoot(address), "sftp://moi@[fe80::1]:2222/");
    EXPECT_EQ(sftpFolderText(address), "sftp://moi@[fe80::1]:2222/srv/100%25");
}

TEST(BrowsedFolders, ConnectedToAServerTheHomeAndTheSubFoldersAreReadOverItsSession)
{
    PrivateSshServer server;
    if (!server.ready()) GTEST_SKIP() << server.skipReason();
    testing::TempFolder tree;
    for (const char* folder : {"abc", "Été", "Vide", "100%/dedans", ".cache"}) tree.makeFolder(folder);
    tree.makeFile("lettre.txt", "x");
    tree.makeLink("lien", "abc");
    tree.makeFolder("saut\nde ligne");
    const std::string root = "sftp://velmorane-test" + addressEscaped(tree.root());

    BrowsedFolders folders;
    const Result<Names> before = folders.subFolders(root);
    ASSERT_FALSE(before.ok());
    EXPECT_EQ(before.error->reason, "pas de connexion au serveur");

    const SftpResult<std::string> home = folders.connect(server.connection());
    ASSERT_TRUE(home.ok()) << home.error->message;
    EXPECT_EQ(home.value, std::string("sftp://velmorane-test") + ::getpwuid(::geteuid())->pw_dir);

    const Result<Names> names = folders.subFolders(root);
    ASSERT_TRUE(names.ok()) << names.error->reason;
    EXPECT_EQ(sorted(names.value), (Names{".cache", "100%", "Vide", "abc", "Été"}));
    const Result<Names> inside = folders.subFolders(folderIn(root, "100%"));
    ASSERT_TRUE(inside.ok()) << inside.error->reason;
    EXPECT_EQ(inside.value, Names{"dedans"});
    EXPECT_EQ(folders.subFolders(root + "/absent").error->number, ENOENT);
    EXPECT_EQ(folders.subFolders(tree.path("abc")).value, Names{});

    // A connection that fails says what ssh said and leaves the session that works.
    const SftpResult<std::string> refused = folders.connect(server.connection(SshClientKnowledge::UnknownHost));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error->message,
              "No ED25519 host key is known for velmorane-test and you have requested strict checking.\n"
              "Host key verification failed.");
    EXPECT_TRUE(folders.subFolders(root).ok());

    // A server gone: reading its folders fails, with ssh's words.
    server.dropConnections();
    const Result<Names> lost = folders.subFolders(root);
    ASSERT_FALSE(lost.ok());
    EXPECT_EQ(lost.error->number, ENOTCONN);
    EXPECT_TRUE(lost.error->reason.starts_with("connexion SSH perdue")) << lost.error->reason;
}

// A password typed to browse a server is not asked again by the run that follows: the run shares
// the connection the browsing keeps.
TEST(BrowsedFolders, ARunAfterBrowsingAServerSharesTheBrowsingConnection)
{
    PrivateSshServer server;
    if (!server.ready()) GTEST_SKIP() << server.skipReason();
    const auto ssh = server.sshOnPath();
    testing::TempFolder tree;
    tree.makeFolder("archive/docs");
    BrowsedFolders folders;
    folders.setSshConfigFile(server.configFile());
    SftpAddress address;
    address.host = PrivateSshServer::kHostAlias;
    const SftpResult<std::string> home = folders.connectAsked(address);
    ASSERT_TRUE(home.ok()) << home.error->message;

    // From here a new login fails: only the connection the browsing keeps gets in.
    const std::string key = server.userKey();
    ASSERT_EQ(std::rename(key.c_str(), (key + ".ailleurs").c_str()), 0);
    const auto volume = openVolume(PrivateSshServer::address(tree.path("archive")), 0, Questions::Refused);
    const auto start = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume->readStart(done); });
    ASSERT_EQ(std::rename((key + ".ailleurs").c_str(), key.c_str()), 0);
    ASSERT_TRUE(start.ok()) << start.error->reason;
    EXPECT_EQ(start.value.content.subFolders, Names{"docs"});
}

}  // namespace
}  // namespace velmorane::platform
