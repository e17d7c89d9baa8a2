#include "platform/temporary_name.h"

#include <atomic>
#include <cstdint>
#include <random>

namespace velmorane::platform {
namespace {

constexpr std::string_view kPrefix = ".~velmorane.";
constexpr std::string_view kSuffix = ".tmp";
constexpr std::size_t kDigits = 16;
constexpr char kHex[] = "0123456789abcdef";

std::uint64_t nextNumber()
{
    static const std::uint64_t seed = [] {
        std::random_device device;
        return (std::uint64_t{device()} << 32) ^ device();
    }();
    static std::atomic<std::uint64_t> counter{0};
    // A multiplier with an inverse modulo 2^64 keeps the numbers of one process distinct.
    return (seed + counter.fetch_add(1)) * 0x9E3779B97F4A7C15ULL;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

}  // namespace

std::string newTemporaryName()
{
    std::uint64_t number = nextNumber();
    std::string digits(kDigits, '0');
    for (std::size_t i = kDigits; i-- > 0; number >>= 4) digits[i] = kHex[number & 0xF];
    return std::string(kPrefix) + digits + std::string(kSuffix);
}

bool isTemporaryName(std::string_view name)
{
    if (name.size() != kPrefix.size() + kDigits + kSuffix.size()) return false;
    if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return false;
    const std::string_view digits = name.substr(kPrefix.size(), kDigits);
    for (const char c : digits) {
        if (!isHexDigit(c)) return false;
    }
    return true;
}

}  // namespace velmorane::platform
