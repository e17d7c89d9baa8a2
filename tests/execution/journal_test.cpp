#include "execution/journal.h"

#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

constexpr std::int64_t kSaturdayEvening = 1'796'506'207;  // 05/12/2026 21:30:07 UTC

TEST(Journal, EntriesAreAppendedInWindows1252ToAFileCreatedWhenMissing)
{
    TempFolder t;
    const std::string journal = t.path("ArchJournal.vlr");

    // Journal times are local times: the child reads them in UTC and leaves the zone of the others alone.
    const std::string written = inChild([&] {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        const auto write = [&](int failures, std::int64_t time) {
            const auto error = execution::writeJournalEntry(journal, "Profil Documents", failures, time);
            return error ? error->reason : readFileBytes(journal) + "|";
        };
        const std::string first = write(0, kSaturdayEvening);
        return first + write(2, kSaturdayEvening + 3600);
    });

    const std::string first = "Le 05/12/2026 \xE0 21:30:07\r\n\tEx\xE9" "cution du Profil Documents : OK\r\n";
    EXPECT_EQ(written, first + "|" + first +
                           "Le 05/12/2026 \xE0 22:30:07\r\n\tEx\xE9" "cution du Profil Documents : 2 erreur(s)\r\n|");
}

}  // namespace
}  // namespace velmorane::testing
