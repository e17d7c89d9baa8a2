#include "execution/run_report.h"
#include "platform/date_text.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

namespace velmorane::execution {
namespace {

using testing::Names;
using testing::namesIn;
using testing::readFileBytes;
using testing::ScopedEnvironment;
using testing::TempFolder;

constexpr std::int64_t kRunTime = 1'796'000'000;

class RunReport : public ::testing::Test {
protected:
    TempFolder state;
    ScopedEnvironment environment{{{"XDG_STATE_HOME", state.root()}}};
    std::string folder = state.path("velmorane/rapports");
};

std::string reportName(const std::string& key, std::int64_t time)
{
    return key + "_" + platform::isoDateText(time) + "_000000.txt";
}

std::string whenLine(std::int64_t time)
{
    return "Le " + platform::shortDateText(time) + " à " + platform::longTimeText(time) + "\n";
}

TEST_F(RunReport, NamesEachFailedEntryWithItsFilesAndReasonAfterTheOutcome)
{
    const std::vector<EntryFailure> failures{
        {{13, "Permission non accordée"}, "/home/ana/Docs/a.txt", "/media/cle/Docs/a.txt"},
        {{28, "Aucun espace disponible sur le périphérique"}, "/home/ana/Docs/b é.txt", "/media/cle/Docs/b é.txt"}};
    const auto written = writeRunReport("Cl\\xc3\\xa9-0123abcd", "Profil Clé", "2 erreur(s)", failures, kRunTime);
    ASSERT_TRUE(written.ok()) << written.error->reason;
    EXPECT_EQ(written.value, folder + "/" + reportName("Cl\\xc3\\xa9-0123abcd", kRunTime));
    EXPECT_EQ(readFileBytes(written.value),
              whenLine(kRunTime) +
              "Exécution du Profil Clé : 2 erreur(s)\n"
              "Sur le fichier : /home/ana/Docs/a.txt ou /media/cle/Docs/a.txt : Erreur : 13 - Permission non accordée\n"
              "Sur le fichier : /home/ana/Docs/b é.txt ou /media/cle/Docs/b é.txt : Erreur : 28 - Aucun espace "
              "disponible sur le périphérique\n");
    EXPECT_EQ(std::filesystem::status(folder).permissions() & std::filesystem::perms::all, std::filesystem::perms::owner_all);

    // A second run of the same second comes after the first; another profile's reports are not its own.
    const auto again = writeRunReport("Cl\\xc3\\xa9-0123abcd", "Profil Clé", "OK", {}, kRunTime);
    ASSERT_TRUE(again.ok());
    const auto other = writeRunReport("Cl\\xc3\\xa9-0123abcd-99999999", "Profil Clé/0123abcd", "OK", {}, kRunTime + 60);
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(lastRunReport("Cl\\xc3\\xa9-0123abcd"), again.value);
    EXPECT_TRUE(again.value.ends_with("_000001.txt")) << again.value;
    EXPECT_EQ(readFileBytes(again.value), whenLine(kRunTime) + "Exécution du Profil Clé : OK\n");
    EXPECT_EQ(lastRunReport("Autre-0123abcd"), std::nullopt);
}

TEST_F(RunReport, TenThousandReportsLeaveTheLastThirtyOfTheProfileAndNoneOfAnother)
{
    constexpr std::int64_t kDay = 86'400;
    for (int day = 1; day <= 10'000; ++day) {
        state.makeFile("velmorane/rapports/" + reportName("Maison-0123abcd", kRunTime - kDay * day), "ancien");
    }
    state.makeFile("velmorane/rapports/" + reportName("Bureau-0123abcd", kRunTime - kDay * 20'000), "autre profil");
    state.makeFile("velmorane/rapports/notes.txt", "à garder");
    const std::string notAReport = "Maison-0123abcd_" + platform::isoDateText(kRunTime) + "_copie1.txt";
    state.makeFile("velmorane/rapports/" + notAReport, "pas un rapport");
    const auto last = writeRunReport("Maison-0123abcd", "Profil Maison", "1 erreur(s)", {}, kRunTime);
    ASSERT_TRUE(last.ok());
    Names expected{reportName("Bureau-0123abcd", kRunTime - kDay * 20'000)};
    for (int day = static_cast<int>(kReportsKept) - 1; day >= 0; --day) {
        expected.push_back(reportName("Maison-0123abcd", kRunTime - kDay * day));
    }
    expected.push_back(notAReport);
    expected.push_back("notes.txt");
    EXPECT_EQ(namesIn(folder), expected);
    EXPECT_EQ(lastRunReport("Maison-0123abcd"), last.value);
}

TEST_F(RunReport, AFolderThatCannotHoldReportsIsAFailureReturned)
{
    state.makeFile("velmorane/rapports", "un fichier à la place du dossier");
    const auto written = writeRunReport("Maison-0123abcd", "Profil Maison", "OK", {}, kRunTime);
    EXPECT_EQ(written.error ? written.error->number : 0, ENOTDIR);
}

}  // namespace
}  // namespace velmorane::execution
