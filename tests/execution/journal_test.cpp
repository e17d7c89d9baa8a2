#include "execution/journal.h"

#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace velmorane::testing {
namespace {

constexpr std::int64_t kSaturdayEvening = 1'796'506'207;  // 05/12/2026 21:30:07 UTC

TEST(Journal, EntriesAreAppendedInUtf8AndOneCutShortByASizeLimitLeavesTheFileAsItWas)
{
    TempFolder t;
    const std::string journal = t.path("ArchJournal.vlr");

    // Journal times are local times: the child reads them in UTC and leaves the zone of the others alone.
    const std::string written = inChild([&] {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        ::signal(SIGXFSZ, SIG_IGN);
        const auto write = [&](int failures, std::int64_t time) {
            const auto error = execution::writeJournalEntry(journal, "Profil Documents", failures, time);
            return (error ? error->reason : std::string()) + "|" + readFileBytes(journal) + "|";
        };
        std::string out = write(0, kSaturdayEvening);  // made when missing
        out += write(2, kSaturdayEvening + 3600);
        // Room for half an entry: the write stops at the limit, as on a full disk. Then the limit goes.
        rlimit limit{readFileBytes(journal).size() + 20, RLIM_INFINITY};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit");
        out += write(0, kSaturdayEvening);
        limit.rlim_cur = RLIM_INFINITY;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit");
        return out + write(0, kSaturdayEvening);
    });

    const std::string first = "Le 05/12/2026 à 21:30:07\r\n\tExécution du Profil Documents : OK\r\n";
    const std::string both = first + "Le 05/12/2026 à 22:30:07\r\n\tExécution du Profil Documents : 2 erreur(s)\r\n";
    EXPECT_EQ(written, "|" + first + "||" + both + "|Fichier trop gros|" + both + "||" + both + first + "|");
}

TEST(Journal, AJournalBegunInWindows1252GoesOnInItAndANewOneInUtf8EvenWhenAReasonIsNot)
{
    TempFolder t;
    const std::string entry = "Le 05/12/2026 \xE0 21:30:07\r\n\tEx\xE9" "cution du Profil Documents : OK\r\n";
    const std::string old = t.makeFile("ancien/ArchJournal.vlr", entry);
    const std::string fresh = t.path("ArchJournal.vlr");
    const std::string written = inChild([&] {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        // A reason may quote a folder name that is not UTF-8; "Ω" has no place in Windows-1252.
        const auto lines = execution::notExecutedLines("Profil Ωmega", "Impossible de lire le dossier /r\xE9sum\xE9",
                                                       kSaturdayEvening);
        std::string out;
        for (const std::string& journal : {old, old, fresh, fresh}) {
            const auto error = execution::writeJournalLines(journal, lines);
            out += error ? error->reason : "";
        }
        return out + "|" + readFileBytes(old) + "|" + readFileBytes(fresh);
    });
    const std::string inWindows1252 = "Le 05/12/2026 \xE0 21:30:07\r\n\tEx\xE9" "cution du Profil ?mega : Non ex\xE9"
                                      "cut\xE9 (Impossible de lire le dossier /r\xE9sum\xE9)\r\n";
    const std::string inUtf8 = "Le 05/12/2026 à 21:30:07\r\n\tExécution du Profil Ωmega : Non exécuté (Impossible "
                               "de lire le dossier /résumé)\r\n";
    EXPECT_EQ(written, "|" + entry + inWindows1252 + inWindows1252 + "|" + inUtf8 + inUtf8);
}

TEST(Journal, AJournalThatIsALinkOrAPipeIsAFailureAndWhatALinkPointsToStaysAsItWas)
{
    TempFolder t;
    const std::string target = t.makeFile("important.txt", "ne pas toucher\n");
    const std::string journal = t.makeLink("ArchJournal.vlr", target);
    const auto error = execution::writeJournalEntry(journal, "Profil Documents", 0, kSaturdayEvening);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->reason, "Trop de niveaux de liens symboliques");
    EXPECT_EQ(readFileBytes(target), "ne pas toucher\n");
    EXPECT_EQ(readTree(t.root()).size(), 2u);

    // A pipe in the journal's place, which nobody reads, fails at once.
    TempFolder p;
    ASSERT_EQ(::mkfifo(p.path("ArchJournal.vlr").c_str(), 0600), 0);
    const auto pipeError =
        execution::writeJournalEntry(p.path("ArchJournal.vlr"), "Profil Documents", 0, kSaturdayEvening);
    ASSERT_TRUE(pipeError);
    EXPECT_EQ(pipeError->reason, "Aucun périphérique ou adresse");
}

}  // namespace
}  // namespace velmorane::testing
