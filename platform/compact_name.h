#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace velmorane::platform {

// A listed entry's name in 16 bytes, half of what a std::string takes: up to 15 bytes are kept in
// place, as most names are, a longer one on the heap. A run over a million files keeps that many.
class CompactName {
public:
    CompactName() noexcept { bytes_[kTag] = 0; }
    CompactName(std::string_view name);
    CompactName(const std::string& name) : CompactName(std::string_view(name)) {}
    CompactName(const char* name) : CompactName(std::string_view(name)) {}
    CompactName(const CompactName& other) : CompactName(other.view()) {}
    CompactName(CompactName&& other) noexcept;
    CompactName& operator=(const CompactName& other);
    CompactName& operator=(CompactName&& other) noexcept;
    ~CompactName() { release(); }

    std::string_view view() const noexcept;
    operator std::string_view() const noexcept { return view(); }
    std::string str() const { return std::string(view()); }
    std::size_t size() const noexcept { return view().size(); }
    bool empty() const noexcept { return size() == 0; }

    friend bool operator==(const CompactName& a, const CompactName& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const CompactName& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const CompactName& a, const char* b) noexcept { return a.view() == b; }
    friend bool operator==(const CompactName& a, const std::string& b) noexcept { return a.view() == b; }
    friend std::strong_ordering operator<=>(const CompactName& a, const CompactName& b) noexcept
    {
        return a.view() <=> b.view();
    }
    friend std::string operator+(const std::string& path, const CompactName& name);
    friend std::ostream& operator<<(std::ostream& out, const CompactName& name);

private:
    static constexpr std::size_t kTag = 15;  // in place: the length; on the heap: kOnHeap
    static constexpr unsigned char kOnHeap = 0xFF;

    bool onHeap() const noexcept { return static_cast<unsigned char>(bytes_[kTag]) == kOnHeap; }
    void release() noexcept;

    // In place: the bytes, then their count in the last byte. On the heap: the pointer, then the
    // length as 32 bits.
    alignas(8) char bytes_[16];
};

static_assert(sizeof(CompactName) == 16);

}  // namespace velmorane::platform
