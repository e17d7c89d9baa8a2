#include "tests/execution/execution_harness.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

namespace velmorane::testing {
namespace {

using platform::Answer;
using Names = std::vector<std::string>;

// The "Erreur grave" question as Mirror::messages() records it.
std::string question(const std::string& error, const std::string& current, const std::string& target)
{
    return "Erreur grave|Erreur : " + error + "\r\nSur le fichier : " + current + " ou " + target +
           "\r\nFaut-il continuer ?\n";
}

TEST(FailureAnsweredYes, GoesOnAndTheReportCountsTheFailure)
{
    Mirror m;
    m.tree.makeFile("work/a.txt", "a neuf", kTestTime + 1);
    m.tree.makeFile("work/b.txt", "b neuf", kTestTime + 1);
    m.tree.makeFile("archive/a.txt", "a");
    m.tree.makeFile("archive/b.txt", "b");
    m.compare(4);
    std::remove((m.archive + "/a.txt").c_str());  // vanished after the comparison
    m.dialogs.queueAnswer(Answer::Yes);

    const auto report = m.execute();
    execution::reportExecution(report, m.settings.flags, m.dialogs);

    EXPECT_EQ(m.messages(), question("2 - No such file or directory", "", m.archive + "/a.txt") +
                                "Rapport d'activité|Exécution terminée avec 1 erreur(s).\n");
    const auto& asked = m.dialogs.shown()[0];
    EXPECT_EQ(asked.icon, platform::Icon::Critical);
    EXPECT_EQ(asked.buttons, platform::Buttons::YesNo);
    EXPECT_EQ(asked.defaultButton, Answer::Yes);
    EXPECT_EQ(m.dialogs.shown()[1].icon, platform::Icon::Warning);
    // Only the look-up of the vanished file failed: the copy onto its path went on.
    EXPECT_EQ(readFileBytes(m.archive + "/a.txt"), "a neuf");
    EXPECT_EQ(readFileBytes(m.archive + "/b.txt"), "b neuf");
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

TEST(FailureAnsweredNo, StopsAtOnceAndTheListInProgressKeepsAllItsEntries)
{
    Mirror m;
    m.tree.makeFile("work/n1", "n1");
    m.tree.makeFile("work/n2", "n2");
    for (const char* name : {"c1", "c2", "c3"}) {
        m.tree.makeFile(std::string("work/") + name, "neuf", kTestTime + 1);
        m.tree.makeFile(std::string("archive/") + name, "vieux");
    }
    m.tree.makeFile("archive/old", "old");
    m.compare(1);
    const auto modif = texts(m.lists.fichModif);
    std::remove((m.archive + "/c2").c_str());
    m.dialogs.queueAnswer(Answer::No);

    const auto report = m.execute();
    execution::reportExecution(report, m.settings.flags, m.dialogs);

    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(m.messages(), question("2 - No such file or directory", m.work + "/c1", m.archive + "/c2"));
    EXPECT_EQ(counts(m.lists), "0 3 1");
    EXPECT_EQ(texts(m.lists.fichModif), modif);
    EXPECT_EQ(readFileBytes(m.archive + "/c1"), "neuf");
    EXPECT_EQ(readFileBytes(m.archive + "/c3"), "vieux");
    EXPECT_EQ(readFileBytes(m.archive + "/old"), "old");
    EXPECT_EQ(m.counters.shown[0], (Names{"1", "2"}));
    EXPECT_EQ(m.counters.shown[1], (Names{"1", "2"}));
    EXPECT_EQ(m.counters.shown[2], Names{});
}

TEST(FailureQuestion, NamesAnUnreadableSourceFile)
{
    Mirror m;
    m.tree.makeFile("work/Docs/ok.txt", "ok");
    setMode(m.tree.makeFile("work/Docs/secret.txt", "secret"), 0);
    m.tree.makeFolder("archive/Docs");

    const std::string outcome = asOrdinaryUser(m.tree, [&] {
        m.compare(2);
        m.execute();
        return m.messages();
    });

    EXPECT_EQ(outcome,
              question("13 - Permission denied", m.work + "/Docs/secret.txt", m.archive + "/Docs/secret.txt"));
    EXPECT_EQ(namesIn(m.archive + "/Docs"), Names{"ok.txt"});
}

TEST(FailureQuestion, NamesADestinationFolderWithoutWritePermission)
{
    Mirror m;
    m.tree.makeFile("work/Docs/n.txt", "n");
    setMode(m.tree.makeFolder("archive/Docs"), 0555);

    const std::string outcome = asOrdinaryUser(m.tree, [&] {
        m.compare(2);
        m.execute();
        return m.messages();
    });

    EXPECT_EQ(outcome, question("13 - Permission denied", m.work + "/Docs/n.txt", m.archive + "/Docs/n.txt"));
    EXPECT_EQ(namesIn(m.archive + "/Docs"), Names{});
}

TEST(FailureQuestion, NamesAMalformedEntryInAnyList)
{
    Mirror m;
    m.compare(1);
    const engine::TaskEntry malformed{"n'importe quoi", m.work + "/x", m.archive + "/x"};
    m.lists.fichAjout.assign({malformed});
    m.lists.fichModif.assign({malformed});
    m.lists.fichSuppr.assign({malformed});

    const auto report = m.execute();

    const std::string asked = question("22 - Entrée de tâche incorrecte", "", "");
    EXPECT_EQ(m.messages(), asked + asked + asked);
    EXPECT_EQ(report.failures, 3);
}

// A destination that runs out of space part-way, as a file-size limit makes it.
TEST(InterruptedReplacement, LeavesTheOldFileIntactAndNoTemporaryFile)
{
    Mirror m;
    std::string content(65536, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    m.tree.makeFile("work/gros.bin", content, kTestTime + 1);
    m.tree.makeFile("archive/gros.bin", "l'ancien contenu");
    m.compare(4);

    const std::string outcome = inChild([&] {
        const rlimit limit{16384, RLIM_INFINITY};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
        m.dialogs.queueAnswer(Answer::No);
        const auto report = m.execute();
        return m.messages() + (report.stopped ? "stopped " : "went on ") + counts(m.lists);
    });

    EXPECT_EQ(outcome, question("27 - File too large", m.work + "/gros.bin", m.archive + "/gros.bin") +
                           "stopped 0 1 0");
    EXPECT_EQ(readFileBytes(m.archive + "/gros.bin"), "l'ancien contenu");
    EXPECT_EQ(namesIn(m.archive), Names{"gros.bin"});
}

}  // namespace
}  // namespace velmorane::testing
