#include "engine/comparison.h"
#include "engine/folder_structure.h"

#include "platform/local_volume.h"
#include "tests/support/child_process.h"
#include "tests/support/delayed_volume.h"
#include "tests/support/recording_progress.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace velmorane::engine {
namespace {

// A structure as text: each line's path, parent line and files, then the failure if any.
std::string describe(const StructureResult& result)
{
    std::string out;
    for (const FolderLine& line : result.structure.lines) {
        out += line.path + " <" + std::to_string(line.parent) + ">";
        for (const auto& file : line.files) out += " " + file.name + ":" + std::to_string(file.size);
        out += "\n";
    }
    if (result.failure) out += "! " + result.failure->folder + " " + result.failure->error.reason + "\n";
    return out;
}

// Both trees read, their task lists, and the last two captions of the reading, which never depend
// on timing.
std::string walk(const testing::TempFolder& tree, unsigned threads)
{
    testing::RecordingProgress progress;
    const StructurePair pair = readStartFolderTrees(tree.path("src"), tree.path("dst"), Exclusions(), progress, threads);
    const auto& events = progress.events;
    const std::string ends = events[events.size() - 2] + "\n" + events.back() + "\n";
    const TaskLists lists = compareStructures(pair.source.structure, pair.dest.structure, progress);
    std::string entries;
    for (const ListKind kind : kListKinds) {
        for (std::size_t i = 0; i < lists[kind].count(); ++i) entries += lists[kind].text(i) + "\n";
    }
    return describe(pair.source) + "--\n" + describe(pair.dest) + "--\n" + entries + "--\n" + ends;
}

// Folders in several levels and widths on both sides, with files, links and a link loop.
void makeMixedTrees(testing::TempFolder& tree)
{
    for (const std::string side : {"src", "dst"}) {
        for (int a = 0; a < 6; ++a) {
            for (int b = 0; b < a; ++b) {
                const std::string folder = side + "/d" + std::to_string(a) + "/e" + std::to_string(b);
                tree.makeFile(folder + "/f" + std::to_string(a + b) + ".txt", std::int64_t{a * 10 + b});
                if (b % 2 == 0) tree.makeFolder(folder + "/G/h");
            }
        }
        tree.makeLink(side + "/d3/boucle", "..");
        tree.makeLink(side + "/lien", "d2");
    }
}

TEST(FolderWalk, OneThreadOrEightGiveTheSameStructuresAndLastCaptions)
{
    testing::TempFolder tree;
    makeMixedTrees(tree);
    tree.makeFile("src/Seul/s.txt", 4);
    tree.makeFile("dst/d4/e1/f5.txt", 7);  // one file that differs

    const std::string single = walk(tree, 1);
    for (int attempt = 0; attempt < 5; ++attempt) EXPECT_EQ(walk(tree, kReadingThreads), single);
    EXPECT_NE(single.find(tree.path("src/d5/e4/") + " <"), std::string::npos);
    EXPECT_NE(single.find(tree.path("src/d3/") + " <0> boucle:2"), std::string::npos) << single;
    EXPECT_EQ(single.substr(single.rfind("--\n") + 3),
              "Etape: " + tree.path("dst/d5/e4/G/h") + "\nCompteur: 39\n");
}

TEST(FolderWalk, TheFirstUnreadableFolderInWalkOrderIsReportedWhateverTheThreads)
{
    testing::TempFolder tree;
    makeMixedTrees(tree);
    tree.makeFolder("src/d5/e4/G/h/verrou");
    tree.makeFolder("src/d2/e0/verrou");
    tree.chownAll(testing::kNobody, testing::kNobody);
    ::chmod(tree.path("src/d5/e4/G/h/verrou").c_str(), 0);
    ::chmod(tree.path("src/d2/e0/verrou").c_str(), 0);

    const std::string failures = testing::inChild([&] {
        if (!testing::becomeNobody()) return std::string("cannot drop privileges");
        std::string out;
        for (const unsigned threads : {1u, kReadingThreads, kReadingThreads}) {
            const std::string result = walk(tree, threads);
            const auto mark = result.find("! ");
            out += result.substr(mark, result.find('\n', mark) - mark) + "\n";
        }
        return out;
    });

    const std::string expected = "! " + tree.path("src/d2/e0/verrou/") + " Permission non accordée\n";
    EXPECT_EQ(failures, expected + expected + expected);
}

TEST(FolderWalk, ThroughVolumesWithLatencyManyFoldersAreAskedForAtOnceAndAFailedAnswerIsItsFoldersOwn)
{
    testing::TempFolder tree;
    makeMixedTrees(tree);
    const auto throughDistantVolumes = [&](unsigned inFlight, const std::string& failing) {
        platform::LocalVolume source(tree.path("src"), inFlight);
        platform::LocalVolume dest(tree.path("dst"), inFlight);
        testing::DelayedVolume distantSource(source, std::chrono::milliseconds(20));
        testing::DelayedVolume distantDest(dest, std::chrono::milliseconds(20));
        if (!failing.empty()) distantSource.failRequestsNaming(failing, EIO);
        testing::RecordingProgress progress;
        const StructurePair pair = readStartFolderTrees(distantSource, distantDest, Exclusions(), progress, inFlight);
        return std::pair{describe(pair.source) + "--\n" + describe(pair.dest),
                         distantSource.mostAnsweredAtOnce() + distantDest.mostAnsweredAtOnce()};
    };
    const auto [single, oneAtOnce] = throughDistantVolumes(1, "");
    EXPECT_EQ(oneAtOnce, 2u);
    const auto [many, manyAtOnce] = throughDistantVolumes(kReadingThreads, "");
    EXPECT_EQ(many, single);
    EXPECT_GT(manyAtOnce, 2u);
    EXPECT_LE(manyAtOnce, 2 * kReadingThreads);

    testing::RecordingProgress progress;
    const StructurePair plain = readStartFolderTrees(tree.path("src"), tree.path("dst"), Exclusions(), progress);
    EXPECT_EQ(single, describe(plain.source) + "--\n" + describe(plain.dest));

    const std::string failed = throughDistantVolumes(kReadingThreads, "e2").first;
    EXPECT_NE(failed.find("! " + tree.path("src/d3/e2/") + " " + platform::systemError(EIO).reason + "\n--\n"),
              std::string::npos)
        << failed;
}

TEST(FolderWalk, PathsOfAnyLengthAreRead)
{
    testing::TempFolder tree;
    tree.makeFolder("dst");
    const std::string name(200, 'p');
    tree.makeDeepFile("src", name, 25, "au fond");

    testing::RecordingProgress progress;
    const StructurePair pair = readStartFolderTrees(tree.path("src"), tree.path("dst"), Exclusions(), progress);

    ASSERT_FALSE(pair.source.failure);
    const auto& lines = pair.source.structure.lines;
    ASSERT_EQ(lines.size(), 26u);
    EXPECT_GT(lines.back().path.size(), 5000u);
    ASSERT_EQ(lines.back().files.size(), 1u);
    EXPECT_EQ(lines.back().files[0].name, "profond.txt");
    EXPECT_EQ(lines.back().files[0].size, 7);
}

}  // namespace
}  // namespace velmorane::engine
