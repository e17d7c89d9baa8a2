#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <regex>

namespace velmorane::testing {
namespace {

constexpr int kFolders = 200;
constexpr int kFilesPerFolder = 200;

// A scheduled run and a person start the same full mirror of a 40 000-file tree at the same moment.
TEST(OverlappingRuns, OneRunMirrorsTheOtherStopsOnTheLockAndNothingIsReportedMissing)
{
    TempFolder tree;
    const std::string work = tree.makeFolder("travail");
    const std::string archive = tree.makeFolder("archive");
    for (int folder = 0; folder < kFolders; ++folder) {
        for (int file = 0; file < kFilesPerFolder; ++file) {
            const std::string name = std::to_string(folder) + "/" + std::to_string(file) + ".txt";
            tree.makeFile("travail/" + name, name);
        }
    }
    tree.makeFile("ArchProfils.vlr", " 1 \r\n" + profileRecord("Double", work, archive));

    const auto start = [&] {
        return std::async(std::launch::async,
                          [&] { return runProgram(VELMORANE_BINARY, {"Double", "X"}, tree.root()); });
    };
    auto first = start();
    auto second = start();
    std::vector<ProgramRun> runs{first.get(), second.get()};
    std::sort(runs.begin(), runs.end(),
              [](const ProgramRun& a, const ProgramRun& b) { return a.exitCode < b.exitCode; });

    EXPECT_EQ(std::make_tuple(runs[0].exitCode, runs[0].out, runs[0].err),
              std::make_tuple(0, std::string(), std::string()));
    const std::string inUse = "Le dossier " + archive + " est utilisé par une autre exécution";
    EXPECT_EQ(std::make_tuple(runs[1].exitCode, runs[1].out, withoutReportLine(runs[1].err)),
              std::make_tuple(2, std::string(), "Attention : " + inUse + "\n"));
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(work, FolderTimes::Left));
    // The run that stopped wrote its entry while the other still held the folder, so first.
    const std::string date = "Le [0-9]{2}/[0-9]{2}/[0-9]{4} à [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n";
    const std::string stopped = date + "\tExécution du Profil Double : Non exécuté \\(Le dossier " + archive +
                                " est utilisé par une autre exécution\\)\r\n";
    const std::string done = date + "\tExécution du Profil Double : OK\r\n";
    const std::string journal = readFileBytes(tree.path("ArchJournal.vlr"));
    EXPECT_TRUE(std::regex_match(journal, std::regex(stopped + done))) << journal;
}

}  // namespace
}  // namespace velmorane::testing
