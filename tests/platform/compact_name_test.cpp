#include "platform/compact_name.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace velmorane::platform {
namespace {

// Names on both sides of the 15 bytes kept in place, copied, moved and sorted as the listing does.
TEST(CompactName, NamesOfAnyLengthSurviveCopiesMovesAndSortAsTheirBytes)
{
    const std::vector<std::string> names{"", "a", std::string(14, 'b'), std::string(15, 'c'), std::string(16, 'd'),
                                         "Été à la mer, photos de vacances.jpg", std::string(255, 'e')};
    std::vector<CompactName> kept(names.begin(), names.end());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(kept[i].view(), names[i]);
        EXPECT_EQ(kept[i].size(), names[i].size());
        EXPECT_EQ(CompactName(kept[i]), kept[i]);
        EXPECT_EQ("/dossier/" + kept[i], "/dossier/" + names[i]);
    }

    CompactName moved(std::move(kept[6]));
    EXPECT_EQ(moved, names[6]);
    kept[6] = moved;
    kept[5] = std::move(kept[4]);
    kept[4] = kept[1];
    kept[3] = kept[3];
    EXPECT_EQ(kept[6], names[6]);
    EXPECT_EQ(kept[5], names[4]);
    EXPECT_EQ(kept[4], "a");
    EXPECT_EQ(kept[3], names[3]);

    std::vector<CompactName> sorted{"zèbre", std::string(20, 'a'), "Zèbre", "b"};
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<CompactName>{"Zèbre", std::string(20, 'a'), "b", "zèbre"}));
}

}  // namespace
}  // namespace velmorane::platform
