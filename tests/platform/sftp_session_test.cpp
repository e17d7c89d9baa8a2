#include "platform/sftp_download.h"
#include "platform/sftp_session.h"
#include "platform/sftp_tree_walk.h"
#include "platform/sftp_upload.h"

#include "tests/support/child_process.h"
#include "tests/support/latency_relay.h"
#include "tests/support/private_ssh_server.h"
#include "tests/support/test_tree.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

namespace velmorane::platform {
namespace {

using testing::PrivateSshServer;
using testing::SshClientKnowledge;
using testing::TempFolder;

#define SKIP_WITHOUT(server) \
    if (!(server).ready()) GTEST_SKIP() << (server).skipReason()

std::unique_ptr<SftpSession> connect(PrivateSshServer& server)
{
    SftpResult<std::unique_ptr<SftpSession>> session = SftpSession::open(server.connection());
    EXPECT_TRUE(session.ok()) << session.error->message;
    return std::move(session.value);
}

std::string line(const std::string& path, const SftpAttributes& a)
{
    const bool folder = a.isFolder();
    return path + (folder ? "/" : "") + "|" + (folder ? "" : std::to_string(a.size.value_or(0))) + "|" +
           std::to_string(a.modificationTime.value_or(0)) + "|" + std::to_string(a.permissions.value_or(0)) + "|" +
           std::to_string(a.uid.value_or(99)) + ":" + std::to_string(a.gid.value_or(99));
}

std::vector<std::string> localListing(const std::string& root)
{
    std::vector<std::string> lines;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        struct stat status {};
        ::lstat(entry.path().c_str(), &status);
        SftpAttributes a;
        a.size = static_cast<std::uint64_t>(status.st_size);
        a.modificationTime = static_cast<std::uint32_t>(status.st_mtime);
        a.permissions = status.st_mode;
        a.uid = status.st_uid;
        a.gid = status.st_gid;
        lines.push_back(line(entry.path().lexically_relative(root).string(), a));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> remoteListing(const std::vector<SftpTreeEntry>& entries)
{
    std::vector<std::string> lines;
    for (const SftpTreeEntry& entry : entries) lines.push_back(line(entry.path, entry.attributes));
    std::sort(lines.begin(), lines.end());
    return lines;
}

void makeTreeOfSomeHundredFiles(TempFolder& tree)
{
    for (int folder = 0; folder < 12; ++folder) {
        for (int sub = 0; sub < 3; ++sub) {
            const std::string base = "dossier " + std::to_string(folder) + "/sous-dossier " + std::to_string(sub) + "/";
            for (int file = 0; file < 9; ++file) {
                tree.makeFile(base + "fichier é" + std::to_string(file) + ".txt", std::string(static_cast<std::size_t>(file * 100 + folder), 'x'),
                              testing::kTestTime + folder * 1000 + file);
            }
        }
        tree.makeFile("dossier " + std::to_string(folder) + "/seul.txt", "seul");
    }
    tree.makeLink("lien", "dossier 1/seul.txt");
    tree.makeFolder("vide");
}

TEST(SftpSession, AWalkWithManyFoldersInFlightListsWhatIsOnTheServerWithItsAttributes)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    TempFolder tree;
    makeTreeOfSomeHundredFiles(tree);
    const std::unique_ptr<SftpSession> session = connect(server);
    ASSERT_TRUE(session);
    for (const char* extension : {kPosixRename, kFsync, kStatvfs, kLinkSetStat, kHardLink}) {
        EXPECT_TRUE(session->offers(extension)) << extension;
    }
    const SftpResult<std::vector<SftpTreeEntry>> walked = walkTree(*session, tree.root());
    ASSERT_TRUE(walked.ok()) << walked.error->message;
    EXPECT_EQ(walked.value.size(), 12u * 3 * 9 + 12 + 12 + 36 + 2);
    EXPECT_EQ(remoteListing(walked.value), localListing(tree.root()));
    EXPECT_EQ(session->pending(), 0u);

    // The same through a link that holds every chunk 10 ms each way.
    const testing::LatencyRelay relay(server.port(), std::chrono::milliseconds(10));
    SshConnection distant = server.connection();
    distant.configFile = server.configFile(SshClientKnowledge::Everything, relay.port());
    const SftpResult<std::unique_ptr<SftpSession>> far = SftpSession::open(distant);
    ASSERT_TRUE(far.ok()) << far.error->message;
    const SftpResult<std::vector<SftpTreeEntry>> farWalk = walkTree(*far.value, tree.root());
    ASSERT_TRUE(farWalk.ok());
    EXPECT_EQ(remoteListing(farWalk.value), localListing(tree.root()));

    const SftpResult<std::vector<SftpTreeEntry>> missing = walkTree(*session, tree.path("absent"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error->kind, SftpFailure::ServerStatus);
    EXPECT_EQ(missing.error->status, SftpStatus::NoSuchFile);
    EXPECT_EQ(missing.error->message, "No such file");
    EXPECT_TRUE(session->connected());
}

TEST(SftpSession, FilesGoUpUnderATemporaryNameThenRenamedComeBackWholeAndOnlyTheReplacingRenameReplaces)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    TempFolder tree;
    std::string content;
    for (int i = 0; i < 300'000; ++i) content.push_back(static_cast<char>('a' + i % 23));
    const std::string source = tree.makeFile("source/grand.bin", content);
    tree.makeFolder("archive");
    tree.makeFile("archive/ancien.txt", "ancien");
    const std::unique_ptr<SftpSession> session = connect(server);
    ASSERT_TRUE(session);

    ASSERT_TRUE(uploadFile(*session, source, tree.path("archive/.grand.bin.tmp")).ok());
    ASSERT_TRUE(session->rename(tree.path("archive/.grand.bin.tmp"), tree.path("archive/grand.bin")).ok());
    EXPECT_EQ(testing::readFileBytes(tree.path("archive/grand.bin")), content);
    EXPECT_EQ(testing::namesIn(tree.path("archive")), (testing::Names{"ancien.txt", "grand.bin"}));

    // A new file never lands on one already there, and the plain rename never replaces.
    const SftpResult<bool> overwrite = uploadFile(*session, source, tree.path("archive/ancien.txt"));
    ASSERT_FALSE(overwrite.ok());
    EXPECT_EQ(overwrite.error->status, SftpStatus::Failure);
    const SftpResult<bool> refused = session->rename(tree.path("archive/grand.bin"), tree.path("archive/ancien.txt"));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error->kind, SftpFailure::ServerStatus);
    EXPECT_EQ(refused.error->status, SftpStatus::Failure);
    EXPECT_EQ(testing::readFileBytes(tree.path("archive/ancien.txt")), "ancien");

    ASSERT_TRUE(session->replacingRename(tree.path("archive/grand.bin"), tree.path("archive/ancien.txt")).ok());
    EXPECT_EQ(testing::readFileBytes(tree.path("archive/ancien.txt")), content);
    EXPECT_EQ(testing::namesIn(tree.path("archive")), testing::Names{"ancien.txt"});

    // Back from the server, whole, to a new local file only.
    ASSERT_TRUE(downloadFile(*session, tree.path("archive/ancien.txt"), tree.path("source/retour.bin")).ok());
    EXPECT_EQ(testing::readFileBytes(tree.path("source/retour.bin")), content);
    const SftpResult<bool> overLocal = downloadFile(*session, tree.path("archive/ancien.txt"), source);
    ASSERT_FALSE(overLocal.ok());
    EXPECT_EQ(overLocal.error->kind, SftpFailure::LocalFile);
    EXPECT_EQ(overLocal.error->message, "Le fichier existe");
    EXPECT_EQ(testing::readFileBytes(source), content);
    const SftpResult<bool> missing = downloadFile(*session, tree.path("archive/absent"), tree.path("source/absent"));
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error->status, SftpStatus::NoSuchFile);
    EXPECT_EQ(testing::namesIn(tree.path("source")), (testing::Names{"grand.bin", "retour.bin"}));

    // Many files at once: each renamed to its final name, and one whose name is taken leaves no
    // trace, the file already there untouched.
    std::vector<SftpUpload> uploads;
    for (int i = 0; i < 40; ++i) {
        const std::string name = "petit " + std::to_string(i) + ".txt";
        tree.makeFile("source/lot/" + name, std::string(static_cast<std::size_t>(i * 5000), static_cast<char>('a' + i % 26)));
        uploads.push_back({tree.path("source/lot/" + name), tree.path("archive/." + name + ".tmp"), tree.path("archive/lot/" + name)});
    }
    tree.makeFile("archive/lot/petit 7.txt", "déjà là");
    const std::vector<SftpResult<bool>> results = uploadFiles(*session, uploads);
    for (std::size_t i = 0; i < results.size(); ++i) EXPECT_EQ(results[i].ok(), i != 7) << i;
    EXPECT_EQ(testing::readFileBytes(tree.path("archive/lot/petit 7.txt")), "déjà là");
    EXPECT_EQ(testing::readFileBytes(tree.path("archive/lot/petit 39.txt")), testing::readFileBytes(tree.path("source/lot/petit 39.txt")));
    EXPECT_EQ(testing::namesIn(tree.path("archive")), (testing::Names{"ancien.txt", "lot"}));
    EXPECT_EQ(testing::namesIn(tree.path("archive/lot")).size(), 40u);
    std::filesystem::remove_all(tree.path("archive/lot"));
    std::filesystem::remove_all(tree.path("source/lot"));

    // A source that cannot be read leaves nothing on the server.
    const SftpResult<bool> unreadable = uploadFile(*session, tree.path("source/absent"), tree.path("archive/x"));
    ASSERT_FALSE(unreadable.ok());
    EXPECT_EQ(unreadable.error->kind, SftpFailure::LocalFile);
    EXPECT_EQ(testing::namesIn(tree.path("archive")), testing::Names{"ancien.txt"});
}

TEST(SftpSession, ModeOwnerAndTimesAreSetAndReadBackFoldersAndLinksMadeAndRemoved)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    TempFolder tree;
    const std::string file = tree.makeFile("a.txt", "abc");
    const std::unique_ptr<SftpSession> session = connect(server);
    ASSERT_TRUE(session);

    SftpAttributes wanted;
    wanted.permissions = 0640;
    wanted.uid = 1234;
    wanted.gid = 4321;
    wanted.accessTime = 1'600'000'000;
    wanted.modificationTime = 1'500'000'000;
    ASSERT_TRUE(session->setStatus(file, wanted).ok());
    struct stat local {};
    ASSERT_EQ(::stat(file.c_str(), &local), 0);
    EXPECT_EQ(local.st_mode, S_IFREG | 0640u);
    EXPECT_EQ(local.st_uid, 1234u);
    EXPECT_EQ(local.st_gid, 4321u);
    EXPECT_EQ(local.st_atime, 1'600'000'000);
    EXPECT_EQ(local.st_mtime, 1'500'000'000);
    const SftpResult<SftpAttributes> read = session->linkStatus(file);
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(line("a.txt", read.value), "a.txt|3|1500000000|33184|1234:4321");

    ASSERT_TRUE(session->makeFolder(tree.path("neuf"), 0750).ok());
    EXPECT_TRUE(session->linkStatus(tree.path("neuf")).value.isFolder());
    ASSERT_TRUE(session->makeSymlink(tree.path("neuf/lien"), "../a.txt").ok());
    EXPECT_EQ(session->readLink(tree.path("neuf/lien")).value, "../a.txt");
    EXPECT_TRUE(session->linkStatus(tree.path("neuf/lien")).value.isLink());
    EXPECT_TRUE(session->status(tree.path("neuf/lien")).value.isRegularFile());
    SftpAttributes linkTime;
    linkTime.modificationTime = 1'400'000'000;
    ASSERT_TRUE(session->setLinkStatus(tree.path("neuf/lien"), linkTime).ok());
    ASSERT_EQ(::lstat(tree.path("neuf/lien").c_str(), &local), 0);
    EXPECT_EQ(local.st_mtime, 1'400'000'000);
    ASSERT_EQ(::stat(file.c_str(), &local), 0);
    EXPECT_EQ(local.st_mtime, 1'500'000'000);
    ASSERT_TRUE(session->hardLink(file, tree.path("neuf/dur")).ok());
    EXPECT_EQ(testing::readFileBytes(tree.path("neuf/dur")), "abc");

    const SftpResult<bool> notEmpty = session->removeFolder(tree.path("neuf"));
    ASSERT_FALSE(notEmpty.ok());
    EXPECT_EQ(notEmpty.error->status, SftpStatus::Failure);
    ASSERT_TRUE(session->removeFile(tree.path("neuf/lien")).ok());
    ASSERT_TRUE(session->removeFile(tree.path("neuf/dur")).ok());
    ASSERT_TRUE(session->removeFolder(tree.path("neuf")).ok());
    EXPECT_EQ(testing::namesIn(tree.root()), testing::Names{"a.txt"});

    EXPECT_EQ(session->realPath(tree.root() + "/.//a.txt").value, file);
    const SftpResult<SftpFileSystem> system = session->fileSystem(tree.root());
    ASSERT_TRUE(system.ok());
    struct statvfs localSystem {};
    ASSERT_EQ(::statvfs(tree.root().c_str(), &localSystem), 0);
    EXPECT_EQ(system.value.id, localSystem.f_fsid);
    EXPECT_EQ(system.value.blocks, localSystem.f_blocks);
}

TEST(SftpSession, AServerWithoutAnExtensionIsNotAskedForItAndTheEntriesStayAsTheyWere)
{
    PrivateSshServer server("-P posix-rename");
    SKIP_WITHOUT(server);
    TempFolder tree;
    tree.makeFile("a", "a");
    tree.makeFile("b", "b");
    const std::unique_ptr<SftpSession> session = connect(server);
    ASSERT_TRUE(session);
    EXPECT_FALSE(session->offers(kPosixRename));
    EXPECT_TRUE(session->offers(kFsync));
    const SftpResult<bool> renamed = session->replacingRename(tree.path("a"), tree.path("b"));
    ASSERT_FALSE(renamed.ok());
    EXPECT_EQ(renamed.error->kind, SftpFailure::Unsupported);
    EXPECT_EQ(renamed.error->message, "le serveur n'offre pas posix-rename@openssh.com");
    EXPECT_EQ(testing::readFileBytes(tree.path("b")), "b");
    EXPECT_TRUE(session->connected());
}

TEST(SftpSession, AConnectionLostMidWalkFailsEveryPendingRequestAndEveryLaterOne)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    TempFolder tree;
    makeTreeOfSomeHundredFiles(tree);
    const std::unique_ptr<SftpSession> session = connect(server);
    ASSERT_TRUE(session);
    const std::vector<std::string> local = localListing(tree.root());
    int succeeded = 0;
    int lost = 0;
    int other = 0;
    const auto count = [&](const SftpResult<SftpAnswer>& answer) {
        if (answer.ok()) ++succeeded;
        else if (answer.error->kind == SftpFailure::ConnectionLost) ++lost;
        else ++other;
    };
    const auto statusOf = [&](const std::string& entry) { return linkStatusRequest(tree.path(entry.substr(0, entry.find('|')))); };
    // The server goes away at the first answer, while the walk sends the requests of a second round.
    bool dropped = false;
    for (const std::string& entry : local) {
        session->submit(statusOf(entry), [&](const SftpResult<SftpAnswer>& answer) {
            count(answer);
            if (dropped) return;
            dropped = true;
            server.dropConnections();
            for (const std::string& again : local) session->submit(statusOf(again), count);
        });
    }
    session->runUntilIdle();
    EXPECT_EQ(succeeded + lost, static_cast<int>(local.size() * 2));
    EXPECT_GE(lost, static_cast<int>(local.size()) / 2);
    EXPECT_EQ(other, 0);
    EXPECT_EQ(session->pending(), 0u);
    EXPECT_FALSE(session->connected());

    const SftpResult<std::vector<SftpTreeEntry>> walk = walkTree(*session, tree.root());
    ASSERT_FALSE(walk.ok());
    EXPECT_EQ(walk.error->kind, SftpFailure::ConnectionLost);
    EXPECT_EQ(session->linkStatus(tree.root()).error->kind, SftpFailure::ConnectionLost);
}

TEST(SftpSession, AnUnknownHostOrARefusedKeyFailsAtOnceWithWhatSshSaid)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const SftpResult<std::unique_ptr<SftpSession>> unknown = SftpSession::open(server.connection(SshClientKnowledge::UnknownHost));
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error->kind, SftpFailure::ConnectionLost);
    EXPECT_EQ(unknown.error->message,
              "No ED25519 host key is known for velmorane-test and you have requested strict checking.\n"
              "Host key verification failed.");
    const SftpResult<std::unique_ptr<SftpSession>> wrongKey = SftpSession::open(server.connection(SshClientKnowledge::WrongKey));
    ASSERT_FALSE(wrongKey.ok());
    EXPECT_EQ(wrongKey.error->kind, SftpFailure::ConnectionLost);
    const std::string user = testing::tool("id", {"-un"});
    EXPECT_EQ(wrongKey.error->message, user.substr(0, user.size() - 1) + "@127.0.0.1: Permission denied (publickey).");

    SshConnection nowhere = server.connection();
    nowhere.address.host = "127.0.0.1";
    nowhere.address.port = static_cast<std::uint16_t>(server.port() == 65535 ? 1 : server.port() + 1);
    const SftpResult<std::unique_ptr<SftpSession>> refused = SftpSession::open(nowhere);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error->message, "ssh: connect to host 127.0.0.1 port " + std::to_string(*nowhere.address.port) +
                                          ": Connection refused");
}

}  // namespace
}  // namespace velmorane::platform
