#include "tests/execution/execution_harness.h"
#include "tests/support/private_ssh_server.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

#define SKIP_WITHOUT(server) \
    if (!(server).ready()) GTEST_SKIP() << (server).skipReason()

// A work folder of folders, files and a link, and an archive that is its exact copy.
void makeWorkAndItsCopy(Mirror& m)
{
    m.tree.makeFile("work/Docs/lettre.txt", "bonjour", kTestTime - 60);
    m.tree.makeFile("work/Docs/Sous/profond.bin", std::string(70000, 'p'), kTestTime + 2);
    m.tree.makeFile("work/change.txt", "avant", kTestTime);
    m.tree.makeFile("work/vieux.txt", "vieux", kTestTime);
    m.tree.makeLink("work/lien", "Docs/lettre.txt", kTestTime + 5);
    m.tree.makeFolder("work/Vide");
    ASSERT_EQ(runProgram("/bin/cp", {"-a", m.work + "/.", m.archive}, "/").exitCode, 0);
}

TEST(SftpMirror, ARunAgainstACopyOnAServerFindsNothingToDoThenOneChangeOfEachKindInEitherDirection)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath();
    Mirror m;
    makeWorkAndItsCopy(m);
    const std::string local = m.archive;
    m.archive = PrivateSshServer::address(local);

    m.compare(Action::Update);
    EXPECT_EQ(m.run.outcome(), execution::RunOutcome::Compared) << m.messages();
    EXPECT_EQ(counts(m.lists), "0 0 0");

    m.tree.makeFile("work/nouveau.txt", "nouveau");
    m.tree.makeFile("work/change.txt", "après", kTestTime + 1);
    ASSERT_EQ(::unlink(m.tree.path("work/vieux.txt").c_str()), 0);
    m.compare(Action::Update);
    const std::string addedLine = " *-* 7 *-* 14/11/2023 22:13:20";
    EXPECT_EQ(texts(m.lists.addList()), Names{m.work + "/nouveau.txt" + addedLine});
    EXPECT_EQ(texts(m.lists.replaceList()), Names{m.archive + "/change.txt *-* 6 *-* 14/11/2023 22:13:21"});
    EXPECT_EQ(texts(m.lists.deleteList()), Names{m.archive + "/vieux.txt *-* 5 *-* 14/11/2023 22:13:20"});

    m.compare(Action::Update, Direction::ArchiveToWork);
    EXPECT_EQ(texts(m.lists.addList()), Names{m.archive + "/vieux.txt *-* 5 *-* 14/11/2023 22:13:20"});
    EXPECT_EQ(texts(m.lists.replaceList()), Names{m.work + "/change.txt *-* 5 *-* 14/11/2023 22:13:20"});
    EXPECT_EQ(texts(m.lists.deleteList()), Names{m.work + "/nouveau.txt" + addedLine});
}

TEST(SftpMirror, AServerOutOfReachIsNotExecutedAndNothingIsTouched)
{
    PrivateSshServer server;
    SKIP_WITHOUT(server);
    const auto ssh = server.sshOnPath(SshClientKnowledge::UnknownHost);
    Mirror m;
    makeWorkAndItsCopy(m);
    m.tree.makeFile("archive/seulement ici.txt", "gardé");
    const auto before = readTree(m.archive);
    m.archive = PrivateSshServer::address(m.archive);

    const execution::UnattendedEnd end = m.runUnattended(Action::Update);
    EXPECT_EQ(end.exitStatus, execution::kExitNothingExecuted);
    EXPECT_EQ(m.journalOutcomes(),
              "Exécution du Profil Essai : Non exécuté (Impossible de lire le dossier " + m.archive +
                  "/ : connexion SSH impossible : No ED25519 host key is known for velmorane-test and you have "
                  "requested strict checking. Host key verification failed.)\n");
    EXPECT_EQ(readTree(m.tree.path("archive")), before);
}

}  // namespace
}  // namespace velmorane::testing
