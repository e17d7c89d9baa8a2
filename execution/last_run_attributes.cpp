#include "execution/last_run_attributes.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace velmorane::execution {
namespace {

std::uint64_t mixed(std::uint64_t seed, std::uint64_t value)
{
    std::uint64_t z = seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// One number for a file where it is and as it is: a file changed, renamed or replaced since gets
// another. Two files sharing one by chance is a matter of one in 2^64.
std::uint64_t stampOf(std::string_view folder, std::string_view name, std::uint64_t inode, std::int64_t changed)
{
    const std::hash<std::string_view> hash;
    std::uint64_t stamp = mixed(hash(folder), hash(name));
    stamp = mixed(stamp, inode);
    return mixed(stamp, static_cast<std::uint64_t>(changed));
}

platform::AttributesAsLastRun lookupIn(std::vector<std::uint64_t> stamps)
{
    if (stamps.empty()) return {};
    std::sort(stamps.begin(), stamps.end());
    auto shared = std::make_shared<const std::vector<std::uint64_t>>(std::move(stamps));
    return [shared](std::string_view folder, std::string_view name, const platform::FileIdentity& identity) {
        // Without a change time, nothing says the file was left alone.
        return identity.changed != 0 &&
               std::binary_search(shared->begin(), shared->end(),
                                  stampOf(folder, name, identity.inode, identity.changed));
    };
}

}  // namespace

engine::LastRunAttributes lastRunAttributes(const RecordOwner& owner)
{
    std::vector<std::uint64_t> source;
    std::vector<std::uint64_t> dest;
    const bool whole = forEachRecordedFile(owner, [&](std::string_view folder, std::string_view name,
                                                      const RecordedFile& file) {
        if (file.sourceChanged == 0 || file.destChanged == 0) return;
        source.push_back(stampOf(folder, name, file.sourceInode, file.sourceChanged));
        dest.push_back(stampOf(folder, name, file.destInode, file.destChanged));
    });
    if (!whole) return {};
    return {lookupIn(std::move(source)), lookupIn(std::move(dest))};
}

}  // namespace velmorane::execution
