#include "platform/letter_case.h"

#include <gtest/gtest.h>

namespace velmorane::platform {
namespace {

TEST(LetterCaseComparison, AccentedCapitalsEqualTheirSmallLettersAndOtherNamesCompareByteForByteBeyondAscii)
{
    EXPECT_TRUE(equalIgnoringCase("ÉTÉ", "été"));
    EXPECT_TRUE(equalIgnoringCase("Ωmega", "ωMEGA"));
    EXPECT_FALSE(equalIgnoringCase("été", "ete"));
    EXPECT_TRUE(startsWithIgnoringCase("Été/Photos", "éTÉ/"));
    EXPECT_EQ(caseFoldedKey("Été"), caseFoldedKey("éTÉ"));

    const std::string latin1 = "Caf\xE9";  // "Café" in an 8-bit code page
    EXPECT_TRUE(equalIgnoringCase(latin1, "CAF\xE9"));
    EXPECT_FALSE(equalIgnoringCase(latin1, "caf\xC9"));
    EXPECT_FALSE(equalIgnoringCase(latin1, "café"));
    EXPECT_NE(caseFoldedKey(latin1), caseFoldedKey("café"));
}

TEST(LetterCaseOrder, NamesSortIgnoringCaseThenByExactBytes)
{
    std::vector<std::string> names{"b", "A", "a", "É", "e", "B"};
    std::sort(names.begin(), names.end(), [](const auto& x, const auto& y) { return nameLess(x, y); });
    EXPECT_EQ(names, (std::vector<std::string>{"A", "a", "B", "b", "e", "É"}));
}

}  // namespace
}  // namespace velmorane::platform
