#include "tests/support/child_process.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/session_bus.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

#include <filesystem>
#include <regex>

namespace velmorane::testing {
namespace {

constexpr const char* kDate = "Le [0-9]{2}/[0-9]{2}/[0-9]{4} à [0-9]{2}:[0-9]{2}:[0-9]{2}";

// Planned runs without a display: a profile that goes well, one whose archive refuses two new
// files (a folder nothing can be added to, on a tmpfs of its own), one whose work folder is missing.
class UnattendedOutcome : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = TemporaryMount::whyNotRoot(); !why.empty()) GTEST_SKIP() << why;
        if (const std::string why = PrivateSessionBus::whyNotAvailable(); !why.empty()) GTEST_SKIP() << why;
        volume.emplace(TemporaryMount::Kind::Tmpfs, tree.makeFolder("cle"));
        tree.makeFile("travail/a.txt", "a");
        tree.makeFile("travail/Verrou/un.txt", "1");
        tree.makeFile("travail/Verrou/deux.txt", "2");
        tree.makeFile("cle/archive/a.txt", "a");
        tree.makeFolder("cle/archive/Verrou");
        tree.setMtime("travail/Verrou", kTestTime);
        tree.setMtime("cle/archive/Verrou", kTestTime);
        tree.makeFile("bien/a.txt", "a");
        tree.makeFolder("bien2");
        tree.makeFile("ArchProfils.vlr", " 3 \r\n" + profileRecord(kOddNameInFile, work, archive) +
                                             profileRecord("Bien", tree.path("bien"), tree.path("bien2")) +
                                             profileRecord("Perdu", tree.path("absent"), archive));
        ASSERT_TRUE(setImmutable(locked, true));
    }

    void TearDown() override
    {
        if (volume) setImmutable(locked, false);
    }

    ProgramRun velmorane(const std::string& profile, const std::string& busAddress)
    {
        std::vector<std::pair<std::string, std::string>> environment{{"XDG_DATA_HOME", home.path("data")},
                                                                      {"XDG_STATE_HOME", home.path("state")},
                                                                      {"DBUS_SESSION_BUS_ADDRESS", busAddress}};
        return runProgram(VELMORANE_BINARY, {profile, "X"}, tree.root(), environment);
    }

    std::string journal() const { return readFileBytes(tree.path("ArchJournal.vlr")); }

    std::vector<std::string> reports() const
    {
        std::vector<std::string> names;
        const std::string folder = home.path("state/velmorane/rapports");
        if (!std::filesystem::exists(folder)) return names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    static constexpr const char* kOddName = "L'été \"2026\" / clé";
    // The profile file is in Windows-1252, as the records of the test helper are.
    static constexpr const char* kOddNameInFile = "L'\xE9t\xE9 \"2026\" / cl\xE9";
    TempFolder home;
    TempFolder tree;
    std::optional<TemporaryMount> volume;
    std::string work = tree.path("travail");
    std::string archive = tree.path("cle/archive");
    std::string locked = tree.path("cle/archive/Verrou");
};

TEST_F(UnattendedOutcome, FailedAndRefusedRunsAreNoticedAndReportedAGoodOneSaysNothing)
{
    PrivateSessionBus bus;
    const NotificationServer daemon(bus.address(), NotificationServer::Answers::Yes);

    const auto good = velmorane("Bien", bus.address());
    EXPECT_EQ(std::make_tuple(good.exitCode, good.err), std::make_tuple(0, std::string()));
    ASSERT_EQ(reports().size(), 1u);
    EXPECT_TRUE(std::regex_match(readFileBytes(reports()[0]),
                                 std::regex(std::string(kDate) + "\nExécution du Profil Bien : OK\n")));

    const auto failed = velmorane(kOddName, bus.address());
    EXPECT_EQ(failed.exitCode, 1) << failed.err;
    const std::string journalAfterFailure = journal();
    const std::string failedLines = std::string(kDate) + "\r\n\tExécution du Profil L'été \"2026\" / clé : 2 erreur\\(s\\)\r\n";
    EXPECT_TRUE(std::regex_match(journalAfterFailure, std::regex(std::string(kDate) + "\r\n\tExécution du Profil Bien : OK\r\n" + failedLines)))
        << journalAfterFailure;
    const std::vector<std::string> written = reports();
    ASSERT_EQ(written.size(), 2u);
    const std::string report = *std::find_if(written.begin(), written.end(), [](const std::string& path) {
        return path.find("L\\x27") != std::string::npos;
    });
    const std::string reason = " : Erreur : 1 - Opération non permise\n";
    EXPECT_TRUE(std::regex_search(
        readFileBytes(report),
        std::regex(std::string(kDate) + "\nExécution du Profil L'été \"2026\" / clé : 2 erreur\\(s\\)\n"),
        std::regex_constants::match_continuous))
        << "the two lines come first";
    EXPECT_NE(readFileBytes(report).find("Sur le fichier : " + work + "/Verrou/deux.txt ou " + locked + "/deux.txt" + reason),
              std::string::npos)
        << readFileBytes(report);
    EXPECT_NE(readFileBytes(report).find("Sur le fichier : " + work + "/Verrou/un.txt ou " + locked + "/un.txt" + reason),
              std::string::npos)
        << readFileBytes(report);
    EXPECT_TRUE(failed.err.ends_with("Rapport : " + report + "\n")) << failed.err;

    const auto refused = velmorane("Perdu", bus.address());
    EXPECT_EQ(refused.exitCode, 2) << refused.err;
    const auto unknown = velmorane("Inconnu", bus.address());
    EXPECT_EQ(unknown.exitCode, 2) << unknown.err;
    ASSERT_EQ(reports().size(), 4u);

    const auto notices = daemon.notices();
    ASSERT_EQ(notices.size(), 3u);
    EXPECT_EQ(notices[0], (ReceivedNotice{"Velmorane : profil L'été \"2026\" / clé", "2 erreur(s)\n" + report}));
    EXPECT_EQ(notices[1].title, "Velmorane : profil Perdu");
    EXPECT_TRUE(notices[1].body.starts_with("Non exécuté (" + tree.path("absent") +
                                            " est vide ou n'existe pas)\n" + home.path("state/velmorane/rapports/Perdu-")))
        << notices[1].body;
    EXPECT_EQ(notices[2].title, "Velmorane : profil Inconnu");
    EXPECT_TRUE(notices[2].body.starts_with("Non exécuté (Profil introuvable)\n")) << notices[2].body;
}

TEST_F(UnattendedOutcome, NoBusOrADaemonThatNeverAnswersChangesNothingOfTheRun)
{
    for (const std::string& address : {std::string(), "unix:path=" + tree.path("pas-de-bus")}) {
        const auto failed = velmorane(kOddName, address);
        EXPECT_EQ(failed.exitCode, 1) << failed.err;
        EXPECT_NE(failed.err.find("\nRapport : " + home.path("state/velmorane/rapports/L")), std::string::npos)
            << failed.err;
    }
    PrivateSessionBus bus;
    const NotificationServer hanging(bus.address(), NotificationServer::Answers::Never);
    const auto failed = velmorane(kOddName, bus.address());
    EXPECT_EQ(failed.exitCode, 1) << failed.err;
    EXPECT_EQ(hanging.notices().size(), 1u);
    const std::string lines = std::string(kDate) + "\r\n\tExécution du Profil L'été \"2026\" / clé : 2 erreur\\(s\\)\r\n";
    EXPECT_TRUE(std::regex_match(journal(), std::regex(lines + lines + lines))) << journal();
    EXPECT_EQ(reports().size(), 3u);
}

// `systemctl --user stop`, or the mount of a plug-in plan going away, ends the service with SIGTERM:
// the run stops between two files and says so as an interrupted run.
TEST(UnattendedRunEnded, ASignalToEndMakesAnInterruptedRunThatIsNoticed)
{
    if (const std::string why = PrivateSessionBus::whyNotAvailable(); !why.empty()) GTEST_SKIP() << why;
    TempFolder home;
    TempFolder tree;
    for (int file = 0; file < 20'000; ++file) tree.makeFile("travail/" + std::to_string(file % 100) + "/" + std::to_string(file), "x");
    tree.makeFolder("archive");
    tree.makeFile("ArchProfils.vlr", " 1 \r\n" + profileRecord("Long", tree.path("travail"), tree.path("archive")));
    PrivateSessionBus bus;
    const NotificationServer daemon(bus.address(), NotificationServer::Answers::Yes);

    const pid_t run = ::fork();
    if (run == 0) {
        ::setenv("XDG_STATE_HOME", home.path("state").c_str(), 1);
        ::setenv("XDG_DATA_HOME", home.path("data").c_str(), 1);
        ::setenv("DBUS_SESSION_BUS_ADDRESS", bus.address().c_str(), 1);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(name);
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDERR_FILENO);
        if (::chdir(tree.root().c_str()) == 0) ::execl(VELMORANE_BINARY, VELMORANE_BINARY, "Long", "X", nullptr);
        ::_exit(127);
    }
    // Once the execution has begun: some folders are already in the archive.
    for (int tries = 0; tries < 600 && namesIn(tree.path("archive")).size() < 3; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ::kill(run, SIGTERM);
    int status = 0;
    ::waitpid(run, &status, 0);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by the signal rather than between two files";
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string journal = readFileBytes(tree.path("ArchJournal.vlr"));
    EXPECT_TRUE(std::regex_match(journal, std::regex(std::string(kDate) + "\r\n\tExécution du Profil Long : Interrompue \\([0-9]+ fichier\\(s\\) traité\\(s\\)\\)\r\n")))
        << journal;
    const auto notices = daemon.notices();
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_EQ(notices[0].title, "Velmorane : profil Long");
    EXPECT_TRUE(notices[0].body.starts_with("Interrompue (")) << notices[0].body;
}

}  // namespace
}  // namespace velmorane::testing
