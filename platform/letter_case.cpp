#include "platform/letter_case.h"

#include "platform/text_encoding.h"

#include <unicode/bytestream.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <memory>

namespace velmorane::platform {
namespace {

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string asciiFolded(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), asciiLower);
    return out;
}

void appendAsciiFolded(std::string& out, std::string_view text)
{
    for (char c : text) out += asciiLower(c);
}

icu::StringPiece piece(std::string_view text)
{
    return {text.data(), static_cast<std::int32_t>(text.size())};
}

// Simple case folding maps each code point to one code point, as case-insensitive volumes do:
// "É" is "é", but "ß" stays apart from "ss".
void appendFoldedLetters(std::string& out, std::string_view text)
{
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto length = static_cast<std::int32_t>(text.size());
    for (std::int32_t i = 0; i < length;) {
        UChar32 c = 0;
        U8_NEXT_UNSAFE(bytes, i, c);
        std::uint8_t encoded[U8_MAX_LENGTH];
        std::int32_t encodedLength = 0;
        U8_APPEND_UNSAFE(encoded, encodedLength, u_foldCase(c, U_FOLD_CASE_DEFAULT));
        out.append(reinterpret_cast<const char*>(encoded), static_cast<std::size_t>(encodedLength));
    }
}

// Below U+0300 each character starts its own cluster, and folding it commutes with normalization,
// save "İ" (U+0130, which folds to itself but decomposes into "I" and a dot): such valid UTF-8 (most
// accented names) folds one code point at a time. Lead bytes from 0xCC on start U+0300 and above.
bool foldsWithoutNormalizing(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0xCC) return false;
        if (byte == 0xC4 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xB0) return false;
    }
    return true;
}

// Canonical caseless form of valid UTF-8: decomposed, folded, recomposed, so "é" written as one
// code point or as "e" and a combining accent gives one key.
void appendCanonicalFold(std::string& key, std::string_view text)
{
    if (isAscii(text)) return appendAsciiFolded(key, text);
    if (foldsWithoutNormalizing(text)) return appendFoldedLetters(key, text);
    const std::size_t start = key.size();
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* decompose = icu::Normalizer2::getNFDInstance(status);
    const icu::Normalizer2* compose = icu::Normalizer2::getNFCInstance(status);
    if (U_SUCCESS(status)) {
        std::string decomposed;
        icu::StringByteSink<std::string> toDecomposed(&decomposed);
        decompose->normalizeUTF8(0, piece(text), toDecomposed, nullptr, status);
        std::string folded;
        appendFoldedLetters(folded, decomposed);
        icu::StringByteSink<std::string> toKey(&key);
        compose->normalizeUTF8(0, piece(folded), toKey, nullptr, status);
    }
    if (U_SUCCESS(status)) return;
    key.resize(start);
    appendAsciiFolded(key, text);
}

const icu::Collator* frenchCollator()
{
    static const std::unique_ptr<icu::Collator> collator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Collator> french(icu::Collator::createInstance(icu::Locale::getFrance(), status));
        if (U_FAILURE(status)) return std::unique_ptr<icu::Collator>();
        // Secondary strength: accents weigh, letter case does not. Normalization lets
        // canonically equivalent texts collate as one.
        french->setStrength(icu::Collator::SECONDARY);
        french->setAttribute(UCOL_NORMALIZATION_MODE, UCOL_ON, status);
        return U_SUCCESS(status) ? std::move(french) : std::unique_ptr<icu::Collator>();
    }();
    return collator.get();
}

}  // namespace

std::string caseFoldedKey(std::string_view text)
{
    if (isAscii(text)) return asciiFolded(text);
    std::string key;
    key.reserve(text.size());
    while (!text.empty()) {
        const std::size_t valid = validUtf8Length(text);
        appendCanonicalFold(key, text.substr(0, valid));
        // A byte that is not UTF-8 keeps its value, so it folds nothing else and stays distinct.
        if (valid < text.size()) key += text[valid];
        text.remove_prefix(std::min(text.size(), valid + 1));
    }
    return key;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
            return asciiLower(x) == asciiLower(y);
        })) {
        return true;
    }
    if (isAscii(a) && isAscii(b)) return false;
    return caseFoldedKey(a) == caseFoldedKey(b);
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    return caseFoldedKey(text).starts_with(caseFoldedKey(prefix));
}

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    return caseFoldedKey(text).find(caseFoldedKey(part)) != std::string::npos;
}

bool nameLess(std::string_view a, std::string_view b)
{
    const std::string keyA = caseFoldedKey(a);
    const std::string keyB = caseFoldedKey(b);
    if (keyA != keyB) return keyA < keyB;
    return a < b;
}

int collateIgnoringCase(std::string_view a, std::string_view b)
{
    if (const icu::Collator* collator = frenchCollator()) {
        UErrorCode status = U_ZERO_ERROR;
        const UCollationResult order = collator->compareUTF8(piece(a), piece(b), status);
        if (U_SUCCESS(status)) return order;
    }
    return nameLess(a, b) ? -1 : (nameLess(b, a) ? 1 : 0);
}

}  // namespace velmorane::platform
