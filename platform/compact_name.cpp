#include "platform/compact_name.h"

#include <cstring>
#include <ostream>

namespace velmorane::platform {

CompactName::CompactName(std::string_view name)
{
    if (name.size() <= kTag) {
        std::memcpy(bytes_, name.data(), name.size());
        bytes_[kTag] = static_cast<char>(name.size());
        return;
    }
    char* heap = new char[name.size()];
    std::memcpy(heap, name.data(), name.size());
    const auto length = static_cast<std::uint32_t>(name.size());
    std::memcpy(bytes_, &heap, sizeof heap);
    std::memcpy(bytes_ + sizeof heap, &length, sizeof length);
    bytes_[kTag] = static_cast<char>(kOnHeap);
}

CompactName::CompactName(CompactName&& other) noexcept
{
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.bytes_[kTag] = 0;
}

CompactName& CompactName::operator=(const CompactName& other)
{
    if (this != &other) *this = CompactName(other);
    return *this;
}

CompactName& CompactName::operator=(CompactName&& other) noexcept
{
    if (this == &other) return *this;
    release();
    std::memcpy(bytes_, other.bytes_, sizeof bytes_);
    other.bytes_[kTag] = 0;
    return *this;
}

std::string_view CompactName::view() const noexcept
{
    if (!onHeap()) return {bytes_, static_cast<std::size_t>(bytes_[kTag])};
    const char* heap = nullptr;
    std::uint32_t length = 0;
    std::memcpy(&heap, bytes_, sizeof heap);
    std::memcpy(&length, bytes_ + sizeof heap, sizeof length);
    return {heap, length};
}

void CompactName::release() noexcept
{
    if (!onHeap()) return;
    char* heap = nullptr;
    std::memcpy(&heap, bytes_, sizeof heap);
    delete[] heap;
    bytes_[kTag] = 0;
}

std::string operator+(const std::string& path, const CompactName& name)
{
    const std::string_view added = name.view();
    std::string joined;
    joined.reserve(path.size() + added.size());
    joined.append(path).append(added);
    return joined;
}

std::ostream& operator<<(std::ostream& out, const CompactName& name)
{
    return out << name.view();
}

}  // namespace velmorane::platform
