// Speed of the run (both walks and the comparison) on the trees of tree_generator:
//   run_bench FOLDER standard  times engine::compareFolders against `find SOURCE DEST -printf ...`,
//                              best of 3 after one warm-up pass each, and prints the ratio;
//   run_bench FOLDER large     times the run on 1 000 000 files after a warm-up pass and prints
//                              its peak memory.
#include "engine/run.h"
#include "platform/headless_dialogs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace velmorane;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 3;

struct Timed {
    double seconds;
    engine::RunResult result;
};

Timed timeRun(const std::string& source, const std::string& dest)
{
    platform::HeadlessDialogs dialogs(std::cerr);
    platform::NullProgress progress;
    platform::NullEventPump pump;
    const engine::RunPlan plan{source, dest, engine::flagsFor(1)};
    const auto start = Clock::now();
    engine::RunResult result = engine::compareFolders(plan, dialogs, progress, pump);
    const std::chrono::duration<double> elapsed = Clock::now() - start;
    if (result.outcome != engine::RunOutcome::Completed) std::exit(1);
    return {elapsed.count(), std::move(result)};
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
    std::printf("  lists: %zu to add, %zu to replace, %zu to delete\n", lists.fichAjout.size(),
                lists.fichModif.size(), lists.fichSuppr.size());
}

void compareWithFind(const std::string& source, const std::string& dest)
{
    timeRun(source, dest);
    timeFind(source, dest);
    double bestRun = 1e9, bestFind = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const Timed run = timeRun(source, dest);
        bestRun = std::min(bestRun, run.seconds);
        if (round == 0) printLists(run.result.lists);
        bestFind = std::min(bestFind, timeFind(source, dest));
    }
    std::printf("  run  %.3f s (best of %d)\n  find %.3f s (best of %d)\n", bestRun, kRounds, bestFind, kRounds);
    std::printf("  ratio run / find = %.2f (target 1.5 or less)\n", bestRun / bestFind);
}

void runLarge(const std::string& source, const std::string& dest)
{
    const long before = peakKibibytes();
    timeRun(source, dest);  // warm-up; its lists are freed before the timed pass
    const Timed run = timeRun(source, dest);
    printLists(run.result.lists);
    std::printf("  run  %.3f s\n  find %.3f s\n  peak memory %.1f MiB (%.1f MiB before the run; target under 1024)\n",
                run.seconds, timeFind(source, dest), static_cast<double>(peakKibibytes()) / 1024.0,
                static_cast<double>(before) / 1024.0);
}

}  // namespace

int main(int argc, char** argv)
{
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
