#include "execution/journal.h"

#include "tests/support/test_tree.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

using execution::journalLines;
using execution::writeJournalEntry;

constexpr std::int64_t kSaturdayEvening = 1'796'506'207;  // 05/12/2026 21:30:07 UTC

// Journal times are local times: the tests read them in UTC, and give the zone back afterwards.
class Journal : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* zone = std::getenv("TZ")) savedZone_ = zone;
        ::setenv("TZ", "UTC", 1);
        ::tzset();
    }
    void TearDown() override
    {
        if (savedZone_) ::setenv("TZ", savedZone_->c_str(), 1);
        else ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> savedZone_;
};

TEST_F(Journal, LinesGiveTheDateTimeAndTheWindowTitle)
{
    EXPECT_EQ(journalLines("Profil Documents", 0, kSaturdayEvening),
              (std::vector<std::string>{"Le 05/12/2026 à 21:30:07", "\tExécution du Profil Documents : OK"}));
    EXPECT_EQ(journalLines("Profil Documents", 2, kSaturdayEvening)[1],
              "\tExécution du Profil Documents : 2 erreur(s)");
}

TEST_F(Journal, EntriesAreAppendedInWindows1252ToAFileCreatedWhenMissing)
{
    TempFolder t;
    const std::string journal = t.path("ArchJournal.vlr");

    const std::string first = "Le 05/12/2026 \xE0 21:30:07\r\n\tEx\xE9" "cution du Profil Documents : OK\r\n";
    EXPECT_FALSE(writeJournalEntry(journal, "Profil Documents", 0, kSaturdayEvening));
    EXPECT_EQ(readFileBytes(journal), first);

    EXPECT_FALSE(writeJournalEntry(journal, "Profil Documents", 2, kSaturdayEvening + 3600));
    EXPECT_EQ(readFileBytes(journal),
              first + "Le 05/12/2026 \xE0 22:30:07\r\n\tEx\xE9" "cution du Profil Documents : 2 erreur(s)\r\n");
}

}  // namespace
}  // namespace velmorane::testing
