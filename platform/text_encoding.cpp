#include "platform/text_encoding.h"

#include <array>
#include <cstdint>

namespace velmorane::platform {
namespace {

// Code points of the bytes 0x80 to 0x9F; the five bytes Windows leaves unassigned keep their C1 value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Length of the UTF-8 sequence at the start of bytes, or 0 when it is not valid.
std::size_t sequenceLength(std::string_view bytes, char32_t& codePoint)
{
    const auto b0 = static_cast<unsigned char>(bytes[0]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (b0 < 0x80) {
        codePoint = b0;
        return 1;
    }
    if ((b0 & 0xE0) == 0xC0) {
        length = 2, codePoint = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3, codePoint = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4, codePoint = b0 & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (bytes.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if ((b & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (b & 0x3F);
    }
    if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

std::optional<unsigned char> windows1252Byte(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) return static_cast<unsigned char>(0x80 + i);
    }
    return std::nullopt;
}

char32_t windows1252CodePoint(unsigned char b)
{
    return b >= 0x80 && b < 0xA0 ? kHighControls[b - 0x80] : char32_t{b};
}

// Without a replacement, nothing as soon as a byte is not UTF-8 or a character has no place.
std::optional<std::string> toWindows1252(std::string_view text, std::optional<char> replacement)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        char32_t codePoint = 0;
        const std::size_t length = sequenceLength(text, codePoint);
        if (length == 0 && !replacement) return std::nullopt;
        if (length == 0) {
            out += text.front();
            text.remove_prefix(1);
            continue;
        }
        const auto byte = windows1252Byte(codePoint);
        if (!byte && !replacement) return std::nullopt;
        out += byte ? static_cast<char>(*byte) : *replacement;
        text.remove_prefix(length);
    }
    return out;
}

}  // namespace

bool isAscii(std::string_view bytes)
{
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    }
    return true;
}

bool isValidUtf8(std::string_view bytes)
{
    return validUtf8Length(bytes) == bytes.size();
}

std::size_t validUtf8Length(std::string_view bytes)
{
    std::size_t valid = 0;
    while (valid < bytes.size()) {
        char32_t codePoint = 0;
        const std::size_t length = sequenceLength(bytes.substr(valid), codePoint);
        if (length == 0) break;
        valid += length;
    }
    return valid;
}

std::string windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) appendUtf8(out, windows1252CodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string repairedUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        char32_t codePoint = 0;
        const std::size_t length = sequenceLength(bytes, codePoint);
        if (length == 0) {
            appendUtf8(out, windows1252CodePoint(static_cast<unsigned char>(bytes.front())));
            bytes.remove_prefix(1);
        } else {
            out += bytes.substr(0, length);
            bytes.remove_prefix(length);
        }
    }
    return out;
}

std::optional<std::string> utf8ToWindows1252(std::string_view text)
{
    return toWindows1252(text, std::nullopt);
}

std::string utf8ToWindows1252Replacing(std::string_view text)
{
    return *toWindows1252(text, '?');
}

}  // namespace velmorane::platform
