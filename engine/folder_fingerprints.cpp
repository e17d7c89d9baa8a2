#include "engine/folder_fingerprints.h"

#include <string_view>
#include <unordered_set>
#include <vector>

namespace velmorane::engine {
namespace {

constexpr std::uint64_t kOffset = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kPrime = 0x100000001b3ULL;

// The last step of a well-mixing 64-bit hash: nearby inputs give unrelated outputs.
std::uint64_t mixed(std::uint64_t value)
{
    value ^= value >> 33;
    value *= 0xff51afd7ed558ccdULL;
    value ^= value >> 33;
    value *= 0xc4ceb93fe53ad94cULL;
    value ^= value >> 33;
    return value;
}

class Digest {
public:
    Digest& add(std::string_view bytes)
    {
        for (const char c : bytes) value_ = (value_ ^ static_cast<unsigned char>(c)) * kPrime;
        return add(static_cast<std::uint64_t>(bytes.size()));
    }
    Digest& add(std::uint64_t number)
    {
        value_ = mixed(value_ ^ number) * kPrime;
        return *this;
    }
    std::uint64_t value() const { return mixed(value_); }

private:
    std::uint64_t value_ = kOffset;
};

std::string_view lastName(const FolderLine& line)
{
    std::string_view relative = line.relative();
    relative.remove_suffix(1);
    const auto slash = relative.rfind('/');
    return slash == std::string_view::npos ? relative : relative.substr(slash + 1);
}

// Each entry is digested with its name, and a folder adds its entries' digests up, so the order in
// which the walk met them does not matter.
class StructureDigests {
public:
    explicit StructureDigests(const FolderStructure& structure) : structure_(structure) {}

    // The digests of the folders whose paths are given; those lie below one another or apart, and
    // every folder below a listed one is listed too, as the comparison lists them.
    std::unordered_map<std::string, Fingerprint> of(const std::unordered_set<std::string>& paths)
    {
        std::unordered_map<std::string, Fingerprint> out;
        if (paths.empty()) return out;
        const auto& lines = structure_.lines;
        std::vector<std::uint64_t> sums(lines.size(), 0);
        std::vector<std::uint64_t> counts(lines.size(), 0);
        // Children come after their parent: going backwards, a folder is whole when it is reached.
        for (std::size_t i = lines.size(); i-- > 1;) {
            const FolderLine& line = lines[i];
            if (!paths.count(line.path)) continue;
            for (const auto& file : line.files) {
                Digest entry;
                entry.add(file.name).add(file.isLink ? 2 : 1).add(static_cast<std::uint64_t>(file.size));
                sums[i] += entry.value();
            }
            counts[i] += line.files.size();
            const Fingerprint own = Digest().add(sums[i]).add(counts[i]).value();
            out.emplace(line.path, own);
            sums[line.parent] += Digest().add(lastName(line)).add(3).add(own).value();
            ++counts[line.parent];
        }
        return out;
    }

private:
    const FolderStructure& structure_;
};

std::unordered_set<std::string> folderPaths(const TaskList& list, bool sourceSide)
{
    std::unordered_set<std::string> paths;
    for (std::size_t i = 0; i < list.count(); ++i) {
        const TaskEntry& entry = list.entry(i);
        if (entry.isFolder()) paths.insert(sourceSide ? entry.sourcePath : entry.destPath);
    }
    return paths;
}

}  // namespace

FolderFingerprints fingerprintListedFolders(const FolderStructure& source, const FolderStructure& dest,
                                            const TaskLists& lists)
{
    return {StructureDigests(source).of(folderPaths(lists.addList(), true)),
            StructureDigests(dest).of(folderPaths(lists.deleteList(), false))};
}

}  // namespace velmorane::engine
