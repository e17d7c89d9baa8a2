#include "tests/execution/execution_harness.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/scoped_environment.h"

#include <cerrno>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>

namespace velmorane::testing {
namespace {

using testing::Answer;

TEST(FailureAnsweredYes, AsksErreurGraveGoesOnAndTheReportCountsTheFailure)
{
    Mirror m;
    for (const char* name : {"a.txt", "b.txt"}) {
        m.tree.makeFile(std::string("work/") + name, "neuf", kTestTime + 1);
        m.tree.makeFile(std::string("archive/") + name, "vieux");
    }
    m.compare(Action::ReplaceOnly);
    std::remove((m.archive + "/a.txt").c_str());  // vanished after the comparison
    m.dialogs.queueAnswer(Answer::Yes);

    m.execute();

    EXPECT_EQ(m.messages(),
              question("2 - Aucun fichier ou dossier de ce type", "", m.archive + "/a.txt") + reportFailures(1));
    // Only the look-up of the vanished file failed: the copy onto its path went on.
    EXPECT_EQ(readFileBytes(m.archive + "/a.txt"), "neuf");
    EXPECT_EQ(readFileBytes(m.archive + "/b.txt"), "neuf");
    EXPECT_EQ(counts(m.lists), "0 0 0");
}

// Where the execution stops is exact with one worker; with several, see the next test.
constexpr std::pair<const char*, const char*> kOneWorker{"VELMORANE_WORKERS", "1"};

TEST(FailureAnsweredNo, StopsAtOnceAndTheListInProgressKeepsAllItsEntries)
{
    const ScopedEnvironment oneWorker({kOneWorker});
    Mirror m;
    m.tree.makeFile("work/n1", "n1");
    m.tree.makeFile("work/n2", "n2");
    for (const char* name : {"c1", "c2", "c3"}) {
        m.tree.makeFile(std::string("work/") + name, "neuf", kTestTime + 1);
        m.tree.makeFile(std::string("archive/") + name, "vieux");
    }
    m.tree.makeFile("archive/old", "old");
    m.compare(Action::Update);
    const Names modif = texts(m.lists.replaceList());
    std::remove((m.archive + "/c2").c_str());
    m.dialogs.queueAnswer(Answer::No);

    const auto report = m.execute();

    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(outcomes(report.results[0]) + " " + outcomes(report.results[1]) + " " + outcomes(report.results[2]),
              "DD DSR R");
    EXPECT_EQ(report.results[1][1].failure->number, ENOENT);
    EXPECT_EQ(m.messages(), question("2 - Aucun fichier ou dossier de ce type", m.work + "/c1", m.archive + "/c2"));
    EXPECT_EQ(counts(m.lists), "0 3 1");
    EXPECT_EQ(texts(m.lists.replaceList()), modif);
    EXPECT_EQ(namesIn(m.archive), (Names{"c1", "c3", "n1", "n2", "old"}));
    EXPECT_EQ(readFileBytes(m.archive + "/c1"), "neuf");
    EXPECT_EQ(readFileBytes(m.archive + "/c3"), "vieux");
    EXPECT_EQ(m.counters.shown[0], (Names{"1", "2"}));
    EXPECT_EQ(m.counters.shown[1], (Names{"1", "2"}));
    EXPECT_EQ(m.counters.shown[2], Names{});
}

// With several workers the entries after the one answered No that were already in flight finish
// whole, and say so; the others are not reached. Every file is its old or its new version.
TEST(FailureAnsweredNo, WithSeveralWorkersTheEntriesInFlightFinishWholeAndSayWhatTheyDid)
{
    const ScopedEnvironment workers({{std::string("VELMORANE_WORKERS"), std::string("4")}});
    Mirror m;
    Names names;
    for (int i = 0; i < 40; ++i) {
        names.push_back("c" + std::string(i < 10 ? "0" : "") + std::to_string(i));
        m.tree.makeFile("work/" + names.back(), "neuf", kTestTime + 1);
        m.tree.makeFile("archive/" + names.back(), "vieux");
    }
    m.compare(Action::ReplaceOnly);
    std::remove((m.archive + "/c05").c_str());
    m.dialogs.queueAnswer(Answer::No);

    const auto report = m.execute();

    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(m.messages(), question("2 - Aucun fichier ou dossier de ce type", m.work + "/c04", m.archive + "/c05"));
    const std::string done = outcomes(report.results[1]);
    EXPECT_EQ(done.substr(0, 6), "DDDDDS");
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i == 5) continue;
        const std::string content = readFileBytes(m.archive + "/" + names[i]);
        EXPECT_EQ(content, done[i] == 'D' ? "neuf" : "vieux") << names[i] << " " << done[i];
        if (i > 5) {
            EXPECT_TRUE(done[i] == 'D' || done[i] == 'R') << names[i] << " " << done[i];
        }
    }
    EXPECT_EQ(namesIn(m.archive).size(), names.size() - 1) << "a temporary file is left";
    EXPECT_EQ(counts(m.lists), "0 40 0");
}

TEST(FailureQuestion, NamesAnUnreadableSourceAndADestinationFolderWithoutWritePermission)
{
    Mirror m;
    m.tree.makeFile("work/Docs/ok.txt", "ok");
    setMode(m.tree.makeFile("work/Docs/secret.txt", "secret"), 0);
    m.tree.makeFile("work/Verrou/n.txt", "n");
    m.tree.makeFolder("archive/Docs");
    setMode(m.tree.makeFolder("archive/Verrou"), 0555);

    const std::string outcome = asOrdinaryUser(m.tree, [&] {
        m.compare(Action::AddOnly);
        m.execute();
        return m.messages();
    });

    EXPECT_EQ(outcome,
              question("13 - Permission non accordée", m.work + "/Docs/secret.txt", m.archive + "/Docs/secret.txt") +
                  question("13 - Permission non accordée", m.work + "/Verrou/n.txt", m.archive + "/Verrou/n.txt") +
                  reportFailures(2));
    EXPECT_EQ(namesIn(m.archive + "/Docs"), Names{"ok.txt"});
    EXPECT_EQ(namesIn(m.archive + "/Verrou"), Names{});
}

// A destination that runs out of space part-way, as a file-size limit makes it.
TEST(FailureQuestion, AnInterruptedReplacementLeavesTheOldFileIntactAndNoTemporaryFile)
{
    Mirror m;
    std::string content(65536, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
    m.tree.makeFile("work/gros.bin", content, kTestTime + 1);
    m.tree.makeFile("archive/gros.bin", "l'ancien contenu");
    m.compare(Action::ReplaceOnly);

    const std::string outcome = inChild([&] {
        const rlimit limit{16384, RLIM_INFINITY};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
        m.dialogs.queueAnswer(Answer::No);
        m.execute();
        return m.messages() + counts(m.lists);
    });

    EXPECT_EQ(outcome, question("27 - Fichier trop gros", m.work + "/gros.bin", m.archive + "/gros.bin") + "0 1 0");
    EXPECT_EQ(readFileBytes(m.archive + "/gros.bin"), "l'ancien contenu");
    EXPECT_EQ(namesIn(m.archive), Names{"gros.bin"});
}

TEST(DestinationRoot, RefusesAnEntryThatDoesNotLieStrictlyBelowIt)
{
    struct Case {
        int list;  // 0 add, 1 replace, 2 delete
        const char* destPath;  // relative to the temporary folder
        bool folder;
    };
    for (const Case c : {Case{0, "outside/Dossier/", true}, Case{0, "archive2/f.txt", false}, Case{1, "archive/", false},
                         Case{1, "archive/../outside/f.txt", false}, Case{2, "archive/x/../../outside/Dossier/", true}}) {
        SCOPED_TRACE(c.destPath);
        Mirror m;
        m.compare(Action::Update);
        for (const char* file : {"work/f.txt", "work/Dossier/g.txt", "outside/f.txt", "outside/Dossier/g.txt",
                                 "archive2/f.txt"}) {
            m.tree.makeFile(file, file);
        }
        const auto before = readTree(m.tree.root());
        const std::string dest = m.tree.path(c.destPath);
        const engine::TaskEntry entry{c.folder ? engine::EntryKind::Folder : engine::EntryKind::File, 6, kTestTime, 0,
                                      m.work + (c.folder ? "/Dossier/" : "/f.txt"), dest};
        (c.list == 0 ? m.lists.addList() : c.list == 1 ? m.lists.replaceList() : m.lists.deleteList()).assign({entry});

        m.execute();

        EXPECT_EQ(m.messages(), question("1 - Chemin hors du dossier de destination", "", c.list == 1 ? dest : "") +
                                    reportFailures(1));
        EXPECT_EQ(readTree(m.tree.root()), before);
    }
}

// Workers copying at once into a volume that fills: each file lands whole or not at all, each
// failure is asked once, in the order of the list, and the journal counts them.
TEST(FailureQuestion, ADestinationThatFillsUnderSeveralWorkersLeavesEachFileWholeOrAbsent)
{
    if (const std::string why = TemporaryMount::whyNotRoot(); !why.empty()) GTEST_SKIP() << why;
    const ScopedEnvironment workers({{std::string("VELMORANE_WORKERS"), std::string("4")}});
    Mirror m;
    const TemporaryMount small(TemporaryMount::Kind::Tmpfs, m.archive, "1m");
    Names names;
    for (int i = 0; i < 40; ++i) {
        names.push_back("f" + std::string(i < 10 ? "0" : "") + std::to_string(i));
        m.tree.makeFile("work/" + names.back(), std::string(64 * 1024, static_cast<char>('a' + i % 26)));
    }

    const execution::UnattendedEnd end = m.runUnattended(Action::Update);

    std::string expected;
    int absent = 0;
    for (const std::string& name : names) {
        if (!std::filesystem::exists(m.archive + "/" + name)) {
            ++absent;
            expected += question("28 - Aucun espace disponible sur le périphérique", m.work + "/" + name,
                                 m.archive + "/" + name);
            continue;
        }
        EXPECT_EQ(readFileBytes(m.archive + "/" + name), readFileBytes(m.work + "/" + name)) << name;
    }
    EXPECT_GT(absent, 0);
    EXPECT_EQ(m.messages(), expected);
    Names left = namesIn(m.archive);
    std::erase(left, ".Trash-0");  // looked for to make room, the volume being its own
    EXPECT_EQ(left.size(), names.size() - static_cast<std::size_t>(absent)) << "a temporary file is left";
    EXPECT_EQ(end.exitStatus, execution::kExitWithFailures);
    EXPECT_EQ(m.journalOutcomes(), "Exécution du Profil Essai : " + std::to_string(absent) + " erreur(s)\n");
}

// An unattended run journals how its execution ended and exits with the same status, whatever
// the answer to a failure or the policy that answers for nobody; a journal that cannot be written
// is asked about like a failure.
TEST(UnattendedFailure, TheJournalAndTheStatusSayEachEnd)
{
    using execution::FailurePolicy;
    struct Case {
        FailurePolicy policy;
        Answer answer;
        std::size_t questions;
        bool stoppedByPerson;
        const char* c3;  // the replacement after the failed one
    };
    for (const Case& c : {Case{FailurePolicy::Ask, Answer::Yes, 1, false, "neuf"},
                          Case{FailurePolicy::Ask, Answer::No, 1, true, "vieux"},
                          Case{FailurePolicy::GoOn, Answer::No, 0, false, "neuf"},
                          Case{FailurePolicy::Stop, Answer::Yes, 0, true, "vieux"}}) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.policy)) + (c.answer == Answer::Yes ? " Oui" : " Non"));
        const ScopedEnvironment oneWorker({kOneWorker});
        Mirror m;
        for (const char* name : {"c1", "c2", "c3"}) {
            m.tree.makeFile(std::string("work/") + name, "neuf", kTestTime + 1);
            m.tree.makeFile(std::string("archive/") + name, "vieux");
        }
        for (const char* side : {"work/garde", "archive/garde"}) m.tree.makeFile(side, "pareil");
        // c2 vanishes from the archive while c1 is replaced.
        m.counters.onShow = [&](const std::string&) { std::remove((m.archive + "/c2").c_str()); };
        m.dialogs.queueAnswer(c.answer);
        const execution::UnattendedEnd end = m.runUnattended(Action::ReplaceOnly, c.policy);
        EXPECT_EQ(m.dialogs.shown().size(), c.questions);
        EXPECT_EQ(end.exitStatus, execution::kExitWithFailures);
        EXPECT_EQ(end.stoppedByPerson, c.stoppedByPerson);
        EXPECT_EQ(m.journalOutcomes(), "Exécution du Profil Essai : 1 erreur(s)\n");
        EXPECT_EQ(readFileBytes(m.archive + "/c3"), c.c3);
    }

    Mirror m;
    m.tree.makeFile("work/a.txt", "a");
    m.tree.makeFolder("ArchJournal.vlr");  // a folder where the journal file should be
    m.dialogs.queueAnswer(Answer::No);
    const execution::UnattendedEnd end = m.runUnattended(Action::Update);
    EXPECT_EQ(std::make_tuple(end.exitStatus, end.stoppedByPerson),
              std::make_tuple(execution::kExitWithFailures, true));
    ASSERT_EQ(m.dialogs.shown().size(), 1u);
    EXPECT_NE(m.dialogs.shown()[0].text.find("Sur le fichier : " + m.journal), std::string::npos);
    EXPECT_EQ(readFileBytes(m.archive + "/a.txt"), "a");

    // A run that executed nothing says so with its own status, asking nothing.
    m.tree.makeFile("work/b.txt", "b");
    m.dialogs.clear();
    m.work = m.archive;
    EXPECT_EQ(m.runUnattended(Action::Update).exitStatus, execution::kExitNothingExecuted);
    EXPECT_EQ(m.messages(), "Profil Incorrect|Travail et Archive doivent être différents.\n");
}

// A stop asked from another thread, as the window asks it, ends the execution between two files;
// the journal says how many were done.
TEST(UnattendedStop, AStopFromAnotherThreadEndsBetweenTwoFilesAndIsJournalled)
{
    Mirror m;
    for (int i = 0; i < 5; ++i) m.tree.makeFile("work/f" + std::to_string(i), "neuf");
    m.counters.onShow = [&](const std::string& text) {
        if (text == "3") std::thread([&] { m.observer.control().requestStop(); }).join();
    };
    const execution::UnattendedEnd end = m.runUnattended(Action::Update);
    EXPECT_EQ(std::make_tuple(end.exitStatus, end.stoppedByPerson), std::make_tuple(execution::kExitWithFailures, false));
    EXPECT_EQ(m.journalOutcomes(), "Exécution du Profil Essai : Interrompue (2 fichier(s) traité(s))\n");
    EXPECT_EQ(namesIn(m.archive), (Names{"f0", "f1"}));
    EXPECT_EQ(outcomes(m.run.report().results[0]), "DDRRR");
}

// A stop asked while a folder is copied ends the copy between two of its files: the folder stays
// listed, what it copied stays whole, no temporary file is left, and the journal counts the
// entries done before it.
TEST(UnattendedStop, AStopDuringAFolderCopyLeavesTheFolderListedAndNoTemporaryFile)
{
    const ScopedEnvironment oneWorker({kOneWorker});
    Mirror m;
    m.tree.makeFile("work/Avant/a.txt", "a");
    for (int i = 0; i < 50; ++i) m.tree.makeFile("work/Lot/f" + std::to_string(i), "dix octets");
    m.tree.makeFile("work/z.txt", "z");
    class StopAfterTenPieces : public platform::RunControl {
    public:
        void pieceCopied() override
        {
            if (++pieces_ == 10) requestStop();
        }

    private:
        std::atomic<int> pieces_ = 0;
    };
    class StoppingObserver : public ScriptedObserver {
    public:
        using ScriptedObserver::ScriptedObserver;
        platform::RunControl& control() override { return stop_; }

    private:
        StopAfterTenPieces stop_;
    };
    StoppingObserver observer(m.dialogs, m.counters);
    m.run = execution::MirrorRun({m.work, m.archive, Direction::WorkToArchive, Action::Update, {}, {}}, {{}, std::nullopt});

    const execution::UnattendedEnd end = execution::RunDriver(m.run, observer).runUnattended("Profil Essai", m.journal);

    EXPECT_EQ(end.exitStatus, execution::kExitWithFailures);
    EXPECT_EQ(m.journalOutcomes(), "Exécution du Profil Essai : Interrompue (1 fichier(s) traité(s))\n");
    const Names adds = texts(m.lists.addList());
    ASSERT_EQ(adds.size(), 3u);
    EXPECT_EQ(adds[1], m.work + "/Lot/ **Dossier");
    EXPECT_EQ(outcomes(m.run.report().results[0]), "DIR");
    EXPECT_EQ(readFileBytes(m.archive + "/Avant/a.txt"), "a");
    const Names copied = namesIn(m.archive + "/Lot");
    EXPECT_GT(copied.size(), 0u);
    EXPECT_LT(copied.size(), 50u);
    for (const std::string& name : copied) {
        EXPECT_TRUE(name.starts_with("f")) << "a temporary file is left: " << name;
        EXPECT_EQ(readFileBytes(m.archive + "/Lot/" + name), "dix octets");
    }
    execution::removeExecutedEntries(m.lists, m.run.report());
    EXPECT_EQ(texts(m.lists.addList()), (Names{adds[1], adds[2]}));
}

}  // namespace
}  // namespace velmorane::testing
