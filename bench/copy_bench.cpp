// Copy speed of the executor against `cp -a`, on a 100 000-file tree in about 10 000 folders:
// (a) adding the whole tree to an empty destination, (b) replacing 1 000 changed files in the
// copies that (a) made, (c) updating those copies after 1 000 changes (500 files rewritten, 300
// added, 200 deleted) against `rsync -a --delete` doing the same job, each copy then checked equal
// to its source by `rsync -aAXS -n -i --delete`. Every copy of (a) goes to a fresh folder and nothing is deleted before the
// end: creating files right after a large deletion runs several times slower on these machines.
#include "bench/bench_files.h"
#include "bench/run_watch.h"
#include "execution/executed_entries.h"
#include "execution/outcome_texts.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using velmorane::bench::die;
using velmorane::bench::makeFolder;

using namespace velmorane;
using Clock = std::chrono::steady_clock;

constexpr int kTopFolders = 100;
constexpr int kSubFolders = 100;  // under each top folder
constexpr int kFilesPerFolder = 10;
constexpr int kReplaced = 1000;
constexpr int kRewritten = 500;
constexpr int kAdded = 300;
constexpr int kDeleted = 200;
constexpr int kRounds = 3;
constexpr const char* kTreeVersion = "copy-bench tree 1\n";

std::string relativeFile(int top, int sub, int file)
{
    return "dossier" + std::to_string(top) + "/sous" + std::to_string(sub) + "/fichier" + std::to_string(file) +
           (file % 3 == 0 ? ".txt" : ".dat");
}

// Sizes from 100 bytes to about 8 KiB, the content depending on the file.
void writeFile(const std::string& path, int number)
{
    std::string content(static_cast<std::size_t>(100 + (number * 7919) % 8000), '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>('a' + (i + number) % 26);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size())) die(path);
    ::close(fd);
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double cpuSeconds(const rusage& usage)
{
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall time, and the processor time (user + system) spent by this process or the child it waited
// for: the machine is shared, and the processor time varies far less with its load.
struct Cost {
    double wall = 1e9;
    double cpu = 1e9;
};

double selfCpu()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return cpuSeconds(usage);
}

Cost measured(const std::function<void()>& work)
{
    const double cpuStart = selfCpu();
    const auto start = Clock::now();
    work();
    return {seconds(Clock::now() - start), selfCpu() - cpuStart};
}

void keepBest(Cost& best, const Cost& cost)
{
    best.wall = std::min(best.wall, cost.wall);
    best.cpu = std::min(best.cpu, cost.cpu);
}

// Made once and reused while its marker says it is whole.
void ensureTree(const std::string& base, const std::string& tree)
{
    const std::string marker = tree + ".done";
    if (FILE* f = std::fopen(marker.c_str(), "r")) {
        char text[64] = {};
        const bool same = std::fgets(text, sizeof text, f) && std::string(text) == kTreeVersion;
        std::fclose(f);
        if (same) {
            std::printf("tree: reused %s\n", tree.c_str());
            return;
        }
    }
    const Cost made = measured([&] {
        makeFolder(base);
        makeFolder(tree);
        int number = 0;
        for (int top = 0; top < kTopFolders; ++top) {
            makeFolder(tree + "/dossier" + std::to_string(top));
            for (int sub = 0; sub < kSubFolders; ++sub) {
                makeFolder(tree + "/dossier" + std::to_string(top) + "/sous" + std::to_string(sub));
                for (int file = 0; file < kFilesPerFolder; ++file) {
                    writeFile(tree + "/" + relativeFile(top, sub, file), number++);
                }
            }
        }
        ::sync();
    });
    FILE* f = std::fopen(marker.c_str(), "w");
    if (!f) die(marker);
    std::fputs(kTreeVersion, f);
    std::fclose(f);
    std::printf("tree: made %s in %.2f s\n", tree.c_str(), made.wall);
}

// Runs a command to its end; its cost is the wall time and the child's processor time.
Cost run(const std::vector<std::string>& command, const std::string& folder = ".")
{
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child < 0) die("fork");
    if (child == 0) {
        std::vector<char*> argv;
        for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        if (::chdir(folder.c_str()) == 0) ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", command[0].c_str());
        std::exit(1);
    }
    return {seconds(Clock::now() - start), cpuSeconds(usage)};
}

struct VelmoraneCost {
    Cost compare;
    Cost execute;
    Cost total() const { return {compare.wall + execute.wall, compare.cpu + execute.cpu}; }
};

// A run and its execution as the program does them, checked to have done everything.
VelmoraneCost velmoraneRun(const std::string& source, const std::string& dest, engine::Action action)
{
    execution::MirrorRun run({source, dest, engine::Direction::WorkToArchive, action, {}, {}}, {});
    bench::RunWatch watch;
    execution::RunDriver driver(run, watch);
    std::optional<execution::Refusal> refusal;
    VelmoraneCost cost;
    cost.compare = measured([&] { refusal = driver.compare(); });
    if (!refusal) cost.execute = measured([&] { refusal = driver.executeChosen({}); });
    const std::optional<execution::EntryFailure>& failure = watch.firstFailure;
    if (!refusal) execution::removeExecutedEntries(run.lists(), run.report());
    const execution::TaskLists& lists = run.lists();
    if (refusal || failure || lists.addList().count() + lists.replaceList().count() != 0) {
        std::fprintf(stderr, "Velmorane run into %s did not complete: %s\n", dest.c_str(),
                     refusal   ? execution::refusalText(*refusal).text.c_str()
                     : failure ? failure->error.reason.c_str()
                               : "entries left");
        std::exit(1);
    }
    return cost;
}

void printComparison(const char* what, const Cost& cp, const VelmoraneCost& velmorane)
{
    const Cost total = velmorane.total();
    std::printf("%s\n  wall: cp -a %.3f s, Velmorane %.3f s (compare %.3f + execute %.3f), ratio %.2f, "
                "execute alone %.2f\n"
                "  cpu:  cp -a %.3f s, Velmorane %.3f s (compare %.3f + execute %.3f), ratio %.2f, "
                "execute alone %.2f\n",
                what, cp.wall, total.wall, velmorane.compare.wall, velmorane.execute.wall, total.wall / cp.wall,
                velmorane.execute.wall / cp.wall, cp.cpu, total.cpu, velmorane.compare.cpu, velmorane.execute.cpu,
                total.cpu / cp.cpu, velmorane.execute.cpu / cp.cpu);
}

void keepBest(VelmoraneCost& best, const VelmoraneCost& cost)
{
    if (cost.total().wall < best.total().wall) {
        best.compare.wall = cost.compare.wall;
        best.execute.wall = cost.execute.wall;
    }
    if (cost.total().cpu < best.total().cpu) {
        best.compare.cpu = cost.compare.cpu;
        best.execute.cpu = cost.execute.cpu;
    }
}

// Nothing listed by a neutral judge: the copy holds what the source holds, attributes included.
void checkEqual(const std::string& source, const std::string& copy)
{
    const std::string command = "rsync -aAXS -n -i --delete '" + source + "/' '" + copy + "/'";
    FILE* listing = ::popen(command.c_str(), "r");
    if (!listing) die("rsync");
    char line[512];
    int differences = 0;
    while (std::fgets(line, sizeof line, listing)) {
        if (differences++ < 5) std::fprintf(stderr, "  differs: %s", line);
    }
    if (::pclose(listing) != 0 || differences != 0) {
        std::fprintf(stderr, "%s is not equal to %s\n", copy.c_str(), source.c_str());
        std::exit(1);
    }
}

// The 1 000 changes of (c), spread over the folders of a copy of the tree.
void changeTree(const std::string& changed)
{
    constexpr int kFolders = kTopFolders * kSubFolders;
    for (int i = 0; i < kRewritten + kAdded + kDeleted; ++i) {
        const int folder = (i * 7 + 3) % kFolders;
        const int top = folder / kSubFolders;
        const int sub = folder % kSubFolders;
        if (i < kRewritten) {
            writeFile(changed + "/" + relativeFile(top, sub, i % kFilesPerFolder), i + 100'000);
        } else if (i < kRewritten + kAdded) {
            writeFile(changed + "/" + relativeFile(top, sub, kFilesPerFolder + i % 5), i);
        } else if (std::remove((changed + "/" + relativeFile(top, sub, i % kFilesPerFolder)).c_str()) != 0) {
            die("remove");
        }
    }
}

// (c) the same changes brought to two equal copies of a source: one Velmorane made, which keeps
// the record its next run reads as any archive it keeps does, and one cp -a made for rsync.
void updateBoth(const std::string& tree, const std::string& runs)
{
    const std::string source = runs + "/changed";
    const std::string archive = runs + "/velmorane-update";
    const std::string rsyncCopy = runs + "/rsync-update";
    run({"cp", "-a", tree, source});
    makeFolder(archive);
    velmoraneRun(source, archive, engine::Action::AddOnly);
    run({"cp", "-a", source, rsyncCopy});
    changeTree(source);
    const VelmoraneCost update = velmoraneRun(source, archive, engine::Action::Update);
    const Cost rsync = run({"rsync", "-a", "--delete", source + "/", rsyncCopy + "/"});
    checkEqual(source, archive);
    checkEqual(source, rsyncCopy);
    const Cost total = update.total();
    std::printf("update 100000 files after 500 rewritten, 300 added, 200 deleted (target: ratio <= 0.3)\n"
                "  wall: rsync -a --delete %.3f s, Velmorane %.3f s (compare %.3f + execute %.3f), ratio %.2f\n"
                "  cpu:  rsync -a --delete %.3f s, Velmorane %.3f s (compare %.3f + execute %.3f), ratio %.2f\n",
                rsync.wall, total.wall, update.compare.wall, update.execute.wall, total.wall / rsync.wall, rsync.cpu,
                total.cpu, update.compare.cpu, update.execute.cpu, total.cpu / rsync.cpu);
}

}  // namespace

int main(int argc, char** argv)
{
    const char* chosen = std::getenv("VELMORANE_BENCH_DIR");
    const std::string base = chosen && *chosen ? chosen : "/tmp/velmorane-bench";
    const std::string tree = base + "/copy-source";
    ensureTree(base, tree);
    const std::string runs = base + "/copies-" + std::to_string(::getpid());
    makeFolder(runs);
    // What the runs trash and record stays with the copies, out of the user's own trash.
    ::setenv("XDG_DATA_HOME", (runs + "/data").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (runs + "/state").c_str(), 1);
    // "update": (c) alone.
    if (argc > 1 && std::string(argv[1]) == "update") {
        updateBoth(tree, runs);
        std::filesystem::remove_all(runs);
        return 0;
    }

    // (a) the whole tree into fresh folders, the two tools taking turns; the first copy of an
    // invocation tends to run slower, so each tool goes first in turn.
    Cost cpBest;
    VelmoraneCost velBest;
    for (int round = 0; round < kRounds; ++round) {
        Cost cp;
        VelmoraneCost vel;
        const std::string velDest = runs + "/velmorane" + std::to_string(round);
        makeFolder(velDest);
        const auto copyWithCp = [&] { cp = run({"cp", "-a", tree, runs + "/cp" + std::to_string(round)}); };
        const auto copyWithVelmorane = [&] { vel = velmoraneRun(tree, velDest, engine::Action::AddOnly); };
        if (round % 2 == 0) {
            copyWithCp();
            copyWithVelmorane();
        } else {
            copyWithVelmorane();
            copyWithCp();
        }
        keepBest(cpBest, cp);
        keepBest(velBest, vel);
        std::printf("  add, round %d: cp -a %.2f s (cpu %.2f), Velmorane %.2f s (cpu %.2f)\n", round + 1, cp.wall,
                    cp.cpu, vel.total().wall, vel.total().cpu);
    }
    printComparison("add 100000 files in 10101 folders, best of 3 (target: ratio <= 1.0)", cpBest, velBest);

    // (b) 1 000 source files, one in each of 1 000 folders, get a new time and are replaced.
    std::vector<std::string> changed;
    for (int i = 0; i < kReplaced; ++i) {
        const int folder = i * (kTopFolders * kSubFolders / kReplaced);
        changed.push_back(relativeFile(folder / kSubFolders, folder % kSubFolders, i % kFilesPerFolder));
    }
    std::vector<std::string> cpCommand{"cp", "-a", "--parents"};
    cpCommand.insert(cpCommand.end(), changed.begin(), changed.end());
    cpCommand.push_back(runs + "/cp0");
    Cost cpReplaceBest;
    VelmoraneCost velReplaceBest;
    for (int round = 0; round < kRounds; ++round) {
        const timespec times[2] = {{1'800'000'000 + round, 0}, {1'800'000'000 + round, 0}};
        for (const auto& file : changed) {
            if (::utimensat(AT_FDCWD, (tree + "/" + file).c_str(), times, 0) != 0) die(file);
        }
        const VelmoraneCost vel = velmoraneRun(tree, runs + "/velmorane0", engine::Action::ReplaceOnly);
        keepBest(velReplaceBest, vel);
        const Cost cp = run(cpCommand, tree);
        keepBest(cpReplaceBest, cp);
        std::printf("  replace, round %d: cp -a %.3f s (cpu %.3f), Velmorane %.3f s (cpu %.3f)\n", round + 1,
                    cp.wall, cp.cpu, vel.total().wall, vel.total().cpu);
    }
    printComparison("replace 1000 files, best of 3; Velmorane's compare reads both whole trees", cpReplaceBest,
                    velReplaceBest);

    updateBoth(tree, runs);

    const Cost removed = measured([&] { std::filesystem::remove_all(runs); });
    std::printf("copies removed in %.1f s\n", removed.wall);
    return 0;
}
