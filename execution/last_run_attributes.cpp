#include "execution/last_run_attributes.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
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

// The top bits of a stamp come from its folder alone.
constexpr unsigned kFolderBits = 16;
constexpr std::uint64_t kFolderMask = ~std::uint64_t{0} << (64 - kFolderBits);

// One number for a file where it is and as it is: a file changed, renamed or replaced since gets
// another. The files of a folder, which the listing looks up together, share the top bits and so
// lie together among the sorted stamps. Two files of a folder sharing one by chance is a matter of
// one in 2^48.
std::uint64_t stampOf(std::string_view folder, std::string_view name, std::uint64_t inode, std::int64_t changed)
{
    const std::hash<std::string_view> hash;
    const std::uint64_t folderStamp = mixed(hash(folder), 0);
    std::uint64_t stamp = mixed(folderStamp, hash(name));
    stamp = mixed(stamp, inode);
    stamp = mixed(stamp, static_cast<std::uint64_t>(changed));
    return (folderStamp & kFolderMask) | (stamp & ~kFolderMask);
}

// The stamps sorted, with where each value of their top bits starts: the lookups of one folder
// read the same short run, where a search of the whole would reach twenty places strewn over
// megabytes for each file. The index costs at most a quarter of a byte per stamp.
class StampSet {
public:
    explicit StampSet(std::vector<std::uint64_t> stamps) : stamps_(std::move(stamps))
    {
        std::sort(stamps_.begin(), stamps_.end());
        unsigned bits = 1;
        while (bits < kFolderBits && (std::size_t{1} << bits) * kPerBucket < stamps_.size()) ++bits;
        shift_ = 64 - bits;
        starts_.assign((std::size_t{1} << bits) + 1, 0);
        for (const std::uint64_t stamp : stamps_) ++starts_[(stamp >> shift_) + 1];
        for (std::size_t bucket = 1; bucket < starts_.size(); ++bucket) starts_[bucket] += starts_[bucket - 1];
    }

    bool contains(std::uint64_t stamp) const
    {
        const std::size_t bucket = stamp >> shift_;
        return std::binary_search(stamps_.begin() + starts_[bucket], stamps_.begin() + starts_[bucket + 1], stamp);
    }

private:
    static constexpr std::size_t kPerBucket = 16;

    std::vector<std::uint64_t> stamps_;
    std::vector<std::uint32_t> starts_;  // where each bucket starts, and the end after the last
    unsigned shift_ = 63;
};

platform::AttributesAsLastRun lookupIn(std::vector<std::uint64_t> stamps)
{
    if (stamps.empty()) return {};
    auto shared = std::make_shared<const StampSet>(std::move(stamps));
    return [shared](std::string_view folder, std::string_view name, const platform::FileIdentity& identity) {
        // Without a change time, nothing says the file was left alone.
        return identity.changed != 0 && shared->contains(stampOf(folder, name, identity.inode, identity.changed));
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
    // Each side's million stamps are sorted on a core of their own.
    platform::AttributesAsLastRun sourceLookup;
    platform::AttributesAsLastRun destLookup;
    {
        const std::jthread sorting([&] { sourceLookup = lookupIn(std::move(source)); });
        destLookup = lookupIn(std::move(dest));
    }
    return {std::move(sourceLookup), std::move(destLookup)};
}

}  // namespace velmorane::execution
