#include "engine/comparison.h"
#include "platform/date_text.h"

#include <gtest/gtest.h>

namespace velmorane::engine {
namespace {

FolderStructure oneFolder(const std::string& path, std::vector<platform::FileRecord> files)
{
    return FolderStructure{{FolderLine{path, "", 0, std::move(files)}}};
}

TaskLists compare(const FolderStructure& source, const FolderStructure& dest)
{
    platform::NullProgress progress;
    platform::NullEventPump pump;
    return compareStructures(source, dest, progress, pump);
}

// One minute apart, on the same day in any time zone: only the time of day differs in their texts.
constexpr std::int64_t kFirst = 1'700'000'000;
constexpr std::int64_t kMinuteLater = kFirst + 60;

TEST(CompareStructuresFiles, AnotherTimeOfTheSameDayReplacesAndLeavesExactlyTheOtherDestinationLine)
{
    const auto lists = compare(oneFolder("/s/", {{"f.txt", 10, kFirst, false}}),
                               oneFolder("/d/", {{"f.txt", 10, kMinuteLater, false}, {"g.txt", 4, kFirst, false}}));

    ASSERT_EQ(lists.fichModif.size(), 1u);
    EXPECT_EQ(lists.fichModif[0].text, "/d/f.txt *-* 10 *-* " + platform::dateText(kFirst));
    ASSERT_EQ(lists.fichSuppr.size(), 1u);
    EXPECT_EQ(lists.fichSuppr[0].text, "/d/g.txt *-* 4 *-* " + platform::dateText(kFirst));
    EXPECT_TRUE(lists.fichAjout.empty());
}

TEST(CompareStructuresFiles, ALinkAndAFileOfTheSameSizeAndTimeDiffer)
{
    const auto lists = compare(oneFolder("/s/", {{"l", 3, kFirst, true}}), oneFolder("/d/", {{"l", 3, kFirst, false}}));

    ASSERT_EQ(lists.fichModif.size(), 1u);
    EXPECT_EQ(lists.fichModif[0].destPath, "/d/l");
}

}  // namespace
}  // namespace velmorane::engine
