// What the safety net costs: (a) a folder of 10 000 files in 100 sub-folders moved to the trash
// against deleting it for good, (b) 1 000 files trashed one by one, as a list of deletions does
// them, against deleting them. The trash is the home trash of a data folder made beside the trees,
// so that it lies on their volume as it does on a desktop. Every tree is made before any timing:
// creating files right after a large deletion runs several times slower on these machines.
#include "bench/bench_files.h"
#include "platform/file_operations.h"
#include "platform/trash.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using velmorane::bench::die;
using velmorane::bench::makeFolder;

using namespace velmorane;
using Clock = std::chrono::steady_clock;

constexpr int kSubFolders = 100;
constexpr int kFilesPerFolder = 100;
constexpr int kSingleFiles = 1000;
constexpr int kRounds = 3;

void writeFile(const std::string& path, int number)
{
    const std::string content(static_cast<std::size_t>(100 + (number * 7919) % 2000), static_cast<char>('a' + number % 26));
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) die(path);
    ::close(fd);
}

void makeBigFolder(const std::string& path)
{
    makeFolder(path);
    for (int sub = 0; sub < kSubFolders; ++sub) {
        const std::string folder = path + "/sous" + std::to_string(sub);
        makeFolder(folder);
        for (int file = 0; file < kFilesPerFolder; ++file) {
            writeFile(folder + "/fichier" + std::to_string(file) + ".dat", sub * kFilesPerFolder + file);
        }
    }
}

void makeSingleFiles(const std::string& path)
{
    makeFolder(path);
    for (int file = 0; file < kSingleFiles; ++file) writeFile(path + "/fichier" + std::to_string(file) + ".txt", file);
}

platform::FolderHandle opened(const std::string& path)
{
    auto folder = platform::FolderHandle::openStart(path);
    if (!folder.ok()) die(path);
    return std::move(folder.value);
}

double secondsOf(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void trashed(const platform::Result<platform::Trashing>& result, const std::string& what)
{
    if (!result.ok() || result.value.outcome != platform::TrashOutcome::Trashed) {
        std::fprintf(stderr, "%s was not trashed\n", what.c_str());
        std::exit(1);
    }
}

void deleted(const platform::MaybeError& error, const std::string& what)
{
    if (error) {
        std::fprintf(stderr, "%s was not deleted: %s\n", what.c_str(), error->reason.c_str());
        std::exit(1);
    }
}

struct Best {
    double trash = 1e9;
    double remove = 1e9;
};

}  // namespace

int main()
{
    const char* chosen = std::getenv("VELMORANE_BENCH_DIR");
    const std::string base = chosen && *chosen ? chosen : "/tmp/velmorane-bench";
    const std::string work = base + "/trash-" + std::to_string(::getpid());
    makeFolder(base);
    makeFolder(work);
    ::setenv("XDG_DATA_HOME", (work + "/share").c_str(), 1);

    const auto made = Clock::now();
    for (int round = 0; round < kRounds; ++round) {
        for (const char* way : {"/trash", "/remove"}) {
            const std::string folder = work + way + std::to_string(round);
            makeFolder(folder);
            makeBigFolder(folder + "/dossier");
            makeSingleFiles(folder + "/fichiers");
        }
    }
    ::sync();
    std::printf("trees made in %.1f s\n", std::chrono::duration<double>(Clock::now() - made).count());

    Best folder;
    Best files;
    for (int round = 0; round < kRounds; ++round) {
        const std::string toTrash = work + "/trash" + std::to_string(round);
        const std::string toRemove = work + "/remove" + std::to_string(round);
        const platform::FolderHandle trashParent = opened(toTrash);
        const platform::FolderHandle removeParent = opened(toRemove);
        const double trashFolder = secondsOf(
            [&] { trashed(platform::moveToTrash(trashParent, "dossier", toTrash + "/dossier"), "the folder"); });
        const double removeFolder =
            secondsOf([&] { deleted(platform::deleteFolder(removeParent, "dossier"), "the folder"); });

        const platform::FolderHandle trashFiles = opened(toTrash + "/fichiers");
        const platform::FolderHandle removeFiles = opened(toRemove + "/fichiers");
        const double trashOneByOne = secondsOf([&] {
            for (int file = 0; file < kSingleFiles; ++file) {
                const std::string name = "fichier" + std::to_string(file) + ".txt";
                trashed(platform::moveToTrash(trashFiles, name, toTrash + "/fichiers/" + name), name);
            }
        });
        const double removeOneByOne = secondsOf([&] {
            for (int file = 0; file < kSingleFiles; ++file) {
                const std::string name = "fichier" + std::to_string(file) + ".txt";
                deleted(platform::deleteFile(removeFiles, name), name);
            }
        });
        std::printf("  round %d: folder trashed %.4f s, deleted %.3f s; %d files trashed %.3f s, deleted %.3f s\n",
                    round + 1, trashFolder, removeFolder, kSingleFiles, trashOneByOne, removeOneByOne);
        folder.trash = std::min(folder.trash, trashFolder);
        folder.remove = std::min(folder.remove, removeFolder);
        files.trash = std::min(files.trash, trashOneByOne);
        files.remove = std::min(files.remove, removeOneByOne);
    }
    std::printf("a folder of %d files in %d folders, best of %d: trashed %.4f s, deleted %.3f s\n",
                kSubFolders * kFilesPerFolder, kSubFolders, kRounds, folder.trash, folder.remove);
    std::printf("%d files one by one, best of %d: trashed %.3f s (%.0f us each), deleted %.3f s (%.0f us each)\n",
                kSingleFiles, kRounds, files.trash, files.trash / kSingleFiles * 1e6, files.remove,
                files.remove / kSingleFiles * 1e6);

    std::error_code ignored;
    std::filesystem::remove_all(work, ignored);
    return 0;
}
