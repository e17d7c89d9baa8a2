// Makes the two trees that run_bench compares: `tree_generator FOLDER standard|large`.
// standard: 100 000 files in about 10 000 folders; large: 1 000 000 small files in about 50 000.
// The destination differs from the source by a few percent of every kind a run reports: files
// added, resized, re-dated, deleted, folders on one side only, and names in another letter case.
// A marker file records a finished tree, so later invocations reuse it instead of making it again.
#include "bench/bench_files.h"
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using velmorane::bench::die;
using velmorane::bench::makeFolder;

constexpr const char* kMarker = ".velmorane-bench-tree-1";
constexpr std::int64_t kBaseTime = 1'700'000'000;

struct Shape {
    int top, middle, leaves, files;  // folders per level and files per leaf folder
};

// A fixed sequence (splitmix64), so the same trees come out on every machine.
std::uint64_t mixed(std::uint64_t n)
{
    n += 0x9E3779B97F4A7C15ull;
    n = (n ^ (n >> 30)) * 0xBF58476D1CE4E5B9ull;
    n = (n ^ (n >> 27)) * 0x94D049BB133111EBull;
    return n ^ (n >> 31);
}

// A per-mille draw for one item and one question.
unsigned draw(std::uint64_t item, unsigned question)
{
    return static_cast<unsigned>(mixed(item * 16 + question) % 1000);
}

// Sizes are set without writing data: the run reads only sizes and times, and the trees stay small.
void makeFile(const std::string& path, std::int64_t size, std::int64_t mtime)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) die(path);
    const timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0 || ::futimens(fd, times) != 0) die(path);
    ::close(fd);
}

// About one name in ten carries an accent, as in a French user's folders.
std::string folderName(const char* stem, std::uint64_t id, int index)
{
    return std::string(draw(id, 1) < 100 ? "Réunion " : stem) + std::to_string(index);
}

std::string fileName(std::uint64_t id, int index)
{
    static const char* const kinds[] = {".txt", ".jpg", ".pdf", ".doc", ".mp3"};
    return (draw(id, 2) < 100 ? "Été_" : "fichier_") + std::to_string(index) + kinds[id % 5];
}

std::string otherCase(std::string name)
{
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return name;
}

// One leaf folder on both sides, its files with their differences.
void makeLeaf(const std::string& source, const std::string& dest, std::uint64_t leafId, int files)
{
    const unsigned leafDraw = draw(leafId, 3);
    const bool sourceOnly = leafDraw < 5;
    const bool destOnly = leafDraw >= 5 && leafDraw < 10;
    if (!destOnly) makeFolder(source);
    if (!sourceOnly) makeFolder(dest);
    for (int i = 0; i < files; ++i) {
        const std::uint64_t id = leafId * 1000 + static_cast<std::uint64_t>(i);
        const std::string name = fileName(id, i);
        const std::int64_t size = static_cast<std::int64_t>(mixed(id) % 200'000);
        const std::int64_t mtime = kBaseTime + static_cast<std::int64_t>(mixed(id + 7) % 30'000'000);
        if (destOnly) {
            makeFile(dest + "/" + name, size, mtime);
            continue;
        }
        makeFile(source + "/" + name, size, mtime);
        if (sourceOnly) continue;
        const unsigned d = draw(id, 4);
        if (d < 10) continue;                                                      // added
        if (d < 20) makeFile(dest + "/" + name, size + 1, mtime);                  // resized
        else if (d < 30) makeFile(dest + "/" + name, size, mtime + 3600);          // re-dated
        else if (d < 35) makeFile(dest + "/" + otherCase(name), size, mtime);      // same, other case
        else makeFile(dest + "/" + name, size, mtime);                              // identical
        if (draw(id, 5) < 10) makeFile(dest + "/ancien_" + name, size, mtime);     // deleted
    }
}

void makeTrees(const std::string& folder, const Shape& shape)
{
    const std::string source = folder + "/source", dest = folder + "/dest";
    makeFolder(folder);
    makeFolder(source);
    makeFolder(dest);
    std::uint64_t leafId = 0;
    for (int t = 0; t < shape.top; ++t) {
        const std::string top = folderName("Dossier ", static_cast<std::uint64_t>(t), t);
        makeFolder(source + "/" + top);
        makeFolder(dest + "/" + top);
        for (int m = 0; m < shape.middle; ++m) {
            const std::string middle = top + "/" + folderName("Projet ", static_cast<std::uint64_t>(t * 1000 + m), m);
            makeFolder(source + "/" + middle);
            makeFolder(dest + "/" + middle);
            for (int l = 0; l < shape.leaves; ++l, ++leafId) {
                const std::string leaf = middle + "/" + folderName("Sous-dossier ", leafId + 100'000, l);
                makeLeaf(source + "/" + leaf, dest + "/" + leaf, leafId, shape.files);
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 2 ? argv[2] : "";
    if (argc != 3 || (mode != "standard" && mode != "large")) {
        std::fprintf(stderr, "usage: tree_generator FOLDER standard|large\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/" + mode;
    const std::string marker = folder + "/" + kMarker;
    if (::access(marker.c_str(), F_OK) == 0) {
        std::printf("%s: trees already made\n", folder.c_str());
        return 0;
    }
    std::filesystem::remove_all(folder);  // a tree left half made by an interrupted run
    makeFolder(argv[1]);
    const Shape shape = mode == "standard" ? Shape{20, 20, 25, 10} : Shape{20, 50, 50, 20};
    std::printf("%s: making the trees...\n", folder.c_str());
    std::fflush(stdout);
    makeTrees(folder, shape);
    makeFile(marker, 0, kBaseTime);
    std::printf("%s: done\n", folder.c_str());
    return 0;
}
