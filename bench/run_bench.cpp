// Speed of the run (both walks and the comparison) on the trees of tree_generator:
//   run_bench FOLDER standard  times engine::compareFolders against `find SOURCE DEST -printf ...`,
//                              best of 3 after one warm-up pass each, and prints the ratio; then
//                              the same with the caches dropped before each pass (as root); then
//                              the run with an empty filter file and with 50 patterns;
//   run_bench FOLDER large     times the run on 1 000 000 files after a warm-up pass and prints
//                              its peak memory; then writes the record of moves and times the run
//                              that reads it, with the peak memory again.
#include "execution/outcome_texts.h"
#include "execution/run_driver.h"
#include "execution/equal_files_record.h"
#include "execution/move_record.h"
#include "profiles/filter_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace velmorane;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 3;
constexpr int kFilterRounds = 5;
constexpr std::size_t kPatterns = 50;

struct Timed {
    double seconds;
    execution::TaskLists lists;
};

Timed timeRun(const std::string& source, const std::string& dest, const std::vector<std::string>& patterns = {})
{
    execution::MirrorRun run({source, dest, engine::Direction::WorkToArchive, engine::Action::Update, {}, {}}, {patterns, std::nullopt});
    execution::RunObserver nobody;
    const auto start = Clock::now();
    const auto refusal = execution::RunDriver(run, nobody).compare();
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    if (refusal) {
        std::cerr << execution::refusalText(*refusal).text << '\n';
        std::exit(1);
    }
    return {elapsed.count(), std::move(run.lists())};
}

double timeFind(const std::string& source, const std::string& dest)
{
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execlp("find", "find", source.c_str(), dest.c_str(), "-printf", "%s %T@\n", nullptr);
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
    return elapsed.count();
}

long peakKibibytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void printLists(const engine::TaskLists& lists)
{
    std::printf("  lists: %zu to add, %zu to replace, %zu to delete\n", lists.addList().count(),
                lists.replaceList().count(), lists.deleteList().count());
}

// A filter file of 50 patterns of the kinds people write: names, folders, extensions, globs and
// paths, global and in the profile's section. None names an entry of the generated trees, so every
// run lists the same entries and only the matching differs.
std::vector<std::string> fiftyPatternFile()
{
    std::vector<std::string> lines = {"# filtres", "node_modules/", ".cache/", "__pycache__/", ".git/", "build/",
                                      "target/", "Thumbs.db", ".DS_Store", "desktop.ini", ".directory"};
    for (const char* ext : {"tmp", "bak", "swp", "log", "o", "pyc", "class", "part", "crdownload", "iso",
                            "lock", "old", "orig", "rej", "obj"}) {
        lines.push_back(std::string("*.") + ext);
    }
    lines.insert(lines.end(), {"[Bench]", "~*", ".#*", "*~", "*.sw?", "cache[0-9]*", "Copie de *", "*(1).*",
                               ".~lock.*#", "*.tar.*", "core.[0-9]*", "Réunion 9/brouillons/", "*/Été_1.pdf.d",
                               "projets/*/dist", "Documents/Privé", "a/b/c/*.jpg"});
    // The comment and the section line are no patterns.
    for (int i = 0; lines.size() < kPatterns + 2; ++i) lines.push_back("ignoré_" + std::to_string(i));
    return lines;
}

double cpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Best {
    double wall = 1e9;
    double cpu = 1e9;
};

// On a machine shared with other work the processor time of the run's threads says more than the
// wall time; both are printed.
void timeFiltered(const std::string& source, const std::string& dest, const std::vector<std::string>& patterns,
                  Best& best)
{
    const double cpuBefore = cpuSeconds();
    const Timed run = timeRun(source, dest, patterns);
    best.cpu = std::min(best.cpu, cpuSeconds() - cpuBefore);
    best.wall = std::min(best.wall, run.seconds);
}

void compareFilters(const std::string& source, const std::string& dest)
{
    const std::vector<std::string> empty;
    const std::vector<std::string> fifty = profiles::filterPatterns(fiftyPatternFile(), "Bench");
    printLists(timeRun(source, dest, fifty).lists);
    Best withEmpty, withFifty;
    for (int round = 0; round < kFilterRounds; ++round) {
        timeFiltered(source, dest, empty, withEmpty);
        timeFiltered(source, dest, fifty, withFifty);
    }
    std::printf("  run with an empty filter file %.3f s, processor %.3f s (best of %d)\n", withEmpty.wall,
                withEmpty.cpu, kFilterRounds);
    std::printf("  run with %zu patterns        %.3f s, processor %.3f s (best of %d)\n", fifty.size(),
                withFifty.wall, withFifty.cpu, kFilterRounds);
    std::printf("  50 patterns over the empty filter file: %+.1f %% wall, %+.1f %% processor (target 10 %% or less)\n",
                (withFifty.wall / withEmpty.wall - 1.0) * 100.0, (withFifty.cpu / withEmpty.cpu - 1.0) * 100.0);
}

// Empties the kernel's page, folder and inode caches, so that the next read goes to the disk.
bool dropCaches()
{
    ::sync();
    const int fd = ::open("/proc/sys/vm/drop_caches", O_WRONLY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool written = ::write(fd, "3", 1) == 1;
    ::close(fd);
    return written;
}

void compareCold(const std::string& source, const std::string& dest)
{
    if (!dropCaches()) {
        std::printf("  cold: the caches cannot be dropped here (it takes root); no cold figures\n");
        return;
    }
    double bestRun = 1e9, bestFind = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        dropCaches();
        bestRun = std::min(bestRun, timeRun(source, dest).seconds);
        dropCaches();
        bestFind = std::min(bestFind, timeFind(source, dest));
    }
    std::printf("  cold (caches dropped before each): run %.3f s, find %.3f s (best of %d)\n", bestRun, bestFind,
                kRounds);
    std::printf("  cold ratio run / find = %.2f (target 0.5 or less)\n", bestRun / bestFind);
}

void compareWithFind(const std::string& source, const std::string& dest)
{
    timeRun(source, dest);
    timeFind(source, dest);
    double bestRun = 1e9, bestFind = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const Timed run = timeRun(source, dest);
        bestRun = std::min(bestRun, run.seconds);
        if (round == 0) printLists(run.lists);
        bestFind = std::min(bestFind, timeFind(source, dest));
    }
    std::printf("  run  %.3f s (best of %d)\n  find %.3f s (best of %d)\n", bestRun, kRounds, bestFind, kRounds);
    std::printf("  ratio run / find = %.2f (target 0.5 or less)\n", bestRun / bestFind);
    compareCold(source, dest);
    compareFilters(source, dest);
}

// What the record of moves costs on disk and in time against the run itself: a run that executed
// records every file it left equal, the million here.
void recordLarge(const std::string& source, const std::string& dest, double runSeconds)
{
    platform::NullProgress progress;
    const engine::RunPlan plan = engine::planRun({source, dest, engine::Direction::WorkToArchive, engine::Action::Update, {}, {}});
    const engine::RunResult compared = engine::compareFolders(plan, progress);
    if (compared.outcome != engine::RunOutcome::Completed || !compared.trees) std::exit(1);
    const engine::RunFolders folders(source, dest);
    // Owned as a run's own record is, so that the next run reads it.
    const execution::RecordOwner owner = execution::recordOwnerOf(folders.source().volume(), folders.dest().volume());
    const std::vector<engine::TaskEntry> changed;
    const auto start = Clock::now();
    if (execution::recordEqualFiles({owner, *compared.trees, compared.lists.unchangedFiles, changed, folders.dest(),
                                     compared.rules})) {
        std::exit(1);
    }
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    struct stat info{};
    const std::string record = execution::moveRecordPath(owner);
    const double size = ::stat(record.c_str(), &info) == 0 ? static_cast<double>(info.st_size) / 1048576.0 : -1.0;
    std::printf("  record of moves: written in %.3f s (%.1f %% of the run; target 10 or less), %.1f MiB on disk "
                "(target 96 or less)\n  peak memory with the record %.1f MiB\n",
                elapsed.count(), elapsed.count() / runSeconds * 100.0, size,
                static_cast<double>(peakKibibytes()) / 1024.0);
}

void runLarge(const std::string& source, const std::string& dest)
{
    const long before = peakKibibytes();
    timeRun(source, dest);  // warm-up; its lists are freed before the timed pass
    double seconds = 0.0;
    {
        const Timed run = timeRun(source, dest);
        printLists(run.lists);
        seconds = run.seconds;
    }
    const double find = timeFind(source, dest);
    std::printf("  run  %.3f s\n  find %.3f s\n  ratio run / find = %.2f\n"
                "  peak memory %.1f MiB (%.1f MiB before the run; target 200 or less)\n",
                seconds, find, seconds / find, static_cast<double>(peakKibibytes()) / 1024.0,
                static_cast<double>(before) / 1024.0);
    // The timed run's lists are gone, as a run's are before the next: the record's peak is its own.
    recordLarge(source, dest, seconds);
    // The next run reads what the record says of each file while it lists them.
    const Timed next = timeRun(source, dest);
    std::printf("  run reading the record %.3f s, peak memory %.1f MiB\n", next.seconds,
                static_cast<double>(peakKibibytes()) / 1024.0);
}

}  // namespace

int main(int argc, char** argv)
{
    // The record of moves stays with the benchmark's trees, not in the user's state folder.
    if (argc > 1) ::setenv("XDG_STATE_HOME", (std::string(argv[1]) + "/state").c_str(), 1);
    const std::string mode = argc > 2 ? argv[2] : "";
    if (argc != 3 || (mode != "standard" && mode != "large")) {
        std::fprintf(stderr, "usage: run_bench FOLDER standard|large\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/" + mode;
    std::printf("%s\n", folder.c_str());
    if (mode == "standard") {
        compareWithFind(folder + "/source", folder + "/dest");
    } else {
        runLarge(folder + "/source", folder + "/dest");
    }
    return 0;
}
