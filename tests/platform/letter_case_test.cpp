#include "platform/letter_case.h"

#include <gtest/gtest.h>
#include <unicode/normalizer2.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velmorane::platform {
namespace {

const std::string kComposedE = "\xC3\xA9";     // "é" as one code point
const std::string kDecomposedE = "e\xCC\x81";  // "e" and a combining acute accent

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

TEST(LetterCaseKey, ValidCharactersFoldAroundBytesThatAreNotUtf8)
{
    EXPECT_EQ(caseFoldedKey("Été"), "été");
    EXPECT_EQ(caseFoldedKey("FICHIER_12.TXT"), "fichier_12.txt");
    EXPECT_EQ(caseFoldedKey("L\xE9"), "l\xE9");
    EXPECT_EQ(caseFoldedKey("\xE9"), "\xE9");
    EXPECT_EQ(caseFoldedKey("Été/\xE9T\xC9"), "été/\xE9t\xC9");
    EXPECT_EQ(caseFoldedKey("\xFF" "Été\xC3"), "\xFF" "été\xC3");  // a sequence cut short stays too
    EXPECT_EQ(caseFoldedKey("E\xCC\x81\xFF" "E\xCC\x81"), kComposedE + "\xFF" + kComposedE);

    EXPECT_TRUE(equalIgnoringCase("l\xE9", "L\xE9"));
    EXPECT_TRUE(equalIgnoringCase("Été/l\xE9", "été/L\xE9"));
    EXPECT_FALSE(equalIgnoringCase("\xE9", kComposedE));
    EXPECT_FALSE(equalIgnoringCase("\xE9", "\xC9"));
    EXPECT_TRUE(containsIgnoringCase("Archives \xE9t\xE9 RÉUNION", "réunion"));
}

TEST(LetterCaseKey, CanonicallyEquivalentNamesMatchAndLettersFoldOneForOne)
{
    EXPECT_EQ(caseFoldedKey(kDecomposedE + "t" + kDecomposedE), "été");
    EXPECT_EQ(caseFoldedKey("E\xCC\x81T\xC3\x89"), "été");
    EXPECT_TRUE(equalIgnoringCase(kComposedE, kDecomposedE));
    EXPECT_TRUE(equalIgnoringCase("\xC3\x89" "cole", kDecomposedE + "COLE"));
    EXPECT_TRUE(startsWithIgnoringCase(kDecomposedE + "t" + kDecomposedE + "/Photos", "ÉTÉ/"));
    EXPECT_TRUE(containsIgnoringCase("Photos d'" + kDecomposedE + "t" + kDecomposedE, "D'ÉTÉ"));
    EXPECT_EQ(collateIgnoringCase(kComposedE, kDecomposedE), 0);

    EXPECT_TRUE(equalIgnoringCase("\xC4\xB0le", "I\xCC\x87LE"));  // "İ" and its decomposed form

    // As on case-insensitive volumes, a letter never folds into two: "ß" is not "ss".
    EXPECT_TRUE(equalIgnoringCase("Stra\xE1\xBA\x9E" "e", "straße"));
    EXPECT_FALSE(equalIgnoringCase("Straße", "STRASSE"));
}

TEST(LetterCaseKey, EveryCharacterOfTheLatinBlocksMatchesItsDecomposedForm)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* decompose = icu::Normalizer2::getNFDInstance(status);
    ASSERT_TRUE(U_SUCCESS(status));
    for (UChar32 c = 0x80; c < 0x300; ++c) {
        std::string composed, decomposed;
        icu::UnicodeString(c).toUTF8String(composed);
        decompose->normalize(icu::UnicodeString(c), status).toUTF8String(decomposed);
        EXPECT_EQ(caseFoldedKey(composed), caseFoldedKey(decomposed)) << "U+" << std::hex << c;
    }
}

TEST(LetterCaseOrder, NamesSortIgnoringCaseThenByExactBytes)
{
    std::vector<std::string> names{"b", "A", "\xE9", "a", "É", kDecomposedE, "e", "B"};
    std::sort(names.begin(), names.end(), [](const auto& x, const auto& y) { return nameLess(x, y); });
    EXPECT_EQ(names, (std::vector<std::string>{"A", "a", "B", "b", "e", kDecomposedE, "É", "\xE9"}));
}

TEST(LetterCaseOrder, FrenchCollationWeighsAccentsAfterLettersAndIgnoresCase)
{
    std::vector<std::string> names{"zèbre", "etre", "Été", "Eden", "ete", "Zoo", "élan", "Âge", "abc", "côte", "cote",
                                   "Côté", "coté", "Œuvre", "oeuvre", "10", "2", "_x", "a b"};
    std::sort(names.begin(), names.end(), [](const auto& x, const auto& y) { return collateIgnoringCase(x, y) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"_x", "10", "2", "a b", "abc", "Âge", "cote", "coté", "côte", "Côté",
                                               "Eden", "élan", "ete", "Été", "etre", "oeuvre", "Œuvre", "zèbre",
                                               "Zoo"}));
    EXPECT_EQ(collateIgnoringCase("ÉTÉ", "été"), 0);
    EXPECT_LT(collateIgnoringCase("ete", "été"), 0);
    EXPECT_GT(collateIgnoringCase("Zoo", "zèbre"), 0);
}

}  // namespace
}  // namespace velmorane::platform
