// What moves save: a 2 000-file, 1 GiB folder renamed in the work folder, proven by the last run's
// record, then renamed back with no record, proven by the bytes; then 500 files renamed one by one
// inside unchanged folders. Each is mirrored three times from the same starting archive: by
// Velmorane as it runs, by Velmorane with moves turned off (a copy and a delete), and by
// `rsync -a --delete`. The archives start as `cp -a` copies of the work folder.
#include "bench/bench_files.h"
#include "bench/run_watch.h"
#include "execution/executed_entries.h"
#include "execution/move_record.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using velmorane::bench::die;
using velmorane::bench::makeFolder;

using namespace velmorane;
using Clock = std::chrono::steady_clock;

constexpr int kBigFolders = 20;
constexpr int kBigFilesPerFolder = 100;
constexpr std::size_t kBigFileSize = std::size_t{512} << 10;  // 2 000 files of 512 KiB: 1 GiB
constexpr int kSmallFolders = 5;
constexpr int kRenamedFiles = 500;
constexpr int kMoveRounds = 3;

void writeFile(const std::string& path, std::size_t size, int number)
{
    std::string content(size, '\0');
    for (std::size_t i = 0; i < size; i += 4096) content[i] = static_cast<char>('a' + (i / 4096 + number) % 26);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, content.data(), size) != static_cast<ssize_t>(size)) die(path);
    ::close(fd);
}

void rename(const std::string& from, const std::string& to)
{
    if (::rename(from.c_str(), to.c_str()) != 0) die(from);
}

std::string smallFile(int i, bool renamed)
{
    return "Docs/D" + std::to_string(i % kSmallFolders) + (renamed ? "/rapport " : "/brouillon") + std::to_string(i) +
           ".odt";
}

void makeWork(const std::string& work)
{
    makeFolder(work);
    makeFolder(work + "/Grand");
    makeFolder(work + "/Docs");
    int number = 0;
    for (int f = 0; f < kBigFolders; ++f) {
        const std::string folder = work + "/Grand/lot" + std::to_string(f);
        makeFolder(folder);
        for (int i = 0; i < kBigFilesPerFolder; ++i) {
            writeFile(folder + "/photo" + std::to_string(i) + ".jpg", kBigFileSize, number++);
        }
    }
    for (int f = 0; f < kSmallFolders; ++f) makeFolder(work + "/Docs/D" + std::to_string(f));
    for (int i = 0; i < kRenamedFiles; ++i) writeFile(work + "/" + smallFile(i, false), 2000 + i, i);
}

double seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

double measured(const std::function<void()>& work)
{
    const auto start = Clock::now();
    work();
    return seconds(Clock::now() - start);
}

void run(const std::vector<std::string>& command)
{
    const pid_t child = ::fork();
    if (child < 0) die("fork");
    if (child == 0) {
        std::vector<char*> argv;
        for (const auto& word : command) argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", command[0].c_str());
        std::exit(1);
    }
}

struct VelmoraneCost {
    double compare = 0;
    double execute = 0;
    long long bytesRead = 0;  // through read calls, from the disk or its cache
};

// What this process has read so far, by the field of /proc/self/io named.
long long bytesReadSoFar(const std::string& field = "rchar")
{
    std::FILE* io = std::fopen("/proc/self/io", "r");
    if (!io) return -1;
    char name[64];
    long long value = 0;
    long long found = -1;
    while (std::fscanf(io, "%63[^:]: %lld\n", name, &value) == 2) {
        if (field == name) found = value;
    }
    std::fclose(io);
    return found;
}

// A full mirror as the program runs it, checked to have left nothing to do.
VelmoraneCost velmoraneRun(const std::string& work, const std::string& archive, bool detectMoves)
{
    execution::MirrorRun mirror({work, archive, engine::Direction::WorkToArchive, engine::Action::Update, {}, {}}, {});
    bench::RunWatch watch;
    execution::RunDriver driver(mirror, watch);
    VelmoraneCost cost;
    const long long readBefore = bytesReadSoFar();
    std::optional<execution::Refusal> refusal;
    cost.compare = measured([&] { refusal = driver.compare(); });
    execution::ExecutionChoice choice;
    choice.detectMoves = detectMoves;
    if (!refusal) cost.execute = measured([&] { refusal = driver.executeChosen(choice); });
    const bool failed = watch.firstFailure.has_value();
    cost.bytesRead = bytesReadSoFar() - readBefore;
    if (!refusal) execution::removeExecutedEntries(mirror.lists(), mirror.report());
    const auto& lists = mirror.lists();
    if (refusal || failed || lists.addList().count() + lists.replaceList().count() + lists.deleteList().count()) {
        std::fprintf(stderr, "Velmorane run into %s did not complete\n", archive.c_str());
        std::exit(1);
    }
    return cost;
}

// The three mirrors of one change; `undo` puts the first archive back as it was before the change,
// `prepare` the record of moves. Each copy is made once: a gigabyte at a time is enough here.
void measure(const char* what, const std::string& work, const std::string& archive, const std::string& rsyncArchive,
             const std::function<void()>& prepare, const std::function<void()>& undo)
{
    ::sync();
    // Moves cost little and vary with the shared machine's load: the best of a few, undone each time.
    VelmoraneCost moves{1e9, 1e9, 0};
    for (int round = 0; round < kMoveRounds; ++round) {
        prepare();
        const VelmoraneCost cost = velmoraneRun(work, archive, true);
        if (cost.compare + cost.execute < moves.compare + moves.execute) moves = cost;
        ::sync();
        undo();
        ::sync();
    }
    const VelmoraneCost copies = velmoraneRun(work, archive, false);
    ::sync();
    const double rsync = measured([&] { run({"rsync", "-a", "--delete", work + "/", rsyncArchive + "/"}); });
    ::sync();
    const double withMoves = moves.compare + moves.execute;
    const double withoutMoves = copies.compare + copies.execute;
    std::printf("%s\n"
                "  bytes read with moves: %lld\n"
                "  execute: with moves %.4f s, without %.3f s, ratio %.4f\n"
                "  whole run (compare + execute): with moves %.3f s, without %.3f s, rsync -a --delete %.3f s;\n"
                "  ratios with moves / without %.4f, with moves / rsync %.4f\n",
                what, moves.bytesRead, moves.execute, copies.execute, moves.execute / copies.execute, withMoves, withoutMoves, rsync,
                withMoves / withoutMoves, withMoves / rsync);
}

}  // namespace

int main()
{
    const char* chosen = std::getenv("VELMORANE_BENCH_DIR");
    const std::string base = (chosen && *chosen ? std::string(chosen) : std::string("/tmp/velmorane-bench")) +
                             "/moves-" + std::to_string(::getpid());
    std::filesystem::create_directories(base);
    // The record of moves and the trash of what is deleted stay with the benchmark's trees.
    ::setenv("XDG_STATE_HOME", (base + "/state").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (base + "/data").c_str(), 1);
    const std::string work = base + "/work";
    const std::string archive = base + "/archive";
    const std::string rsyncArchive = base + "/archive-rsync";
    const double made = measured([&] {
        makeWork(work);
        run({"cp", "-a", work, archive});
        run({"cp", "-a", work, rsyncArchive});
    });
    std::printf("trees made in %.1f s\n", made);

    // A first run with nothing to do leaves the record the moves are proven by.
    velmoraneRun(work, archive, true);
    const std::string record = execution::moveRecordPath({work, archive, {}, {}});
    const std::string savedRecord = base + "/record";
    std::filesystem::copy_file(record, savedRecord);
    const auto restoreRecord = [&] {
        std::filesystem::copy_file(savedRecord, record, std::filesystem::copy_options::overwrite_existing);
    };
    const auto removeRecord = [&] { std::filesystem::remove(record); };

    rename(work + "/Grand", work + "/Grand renommé");
    measure("a 2000-file, 1 GiB folder renamed, proven by the record (target: execute ratio <= 0.01, no byte read)",
            work, archive, rsyncArchive, restoreRecord, [&] { rename(archive + "/Grand renommé", archive + "/Grand"); });

    rename(work + "/Grand renommé", work + "/Grand");
    measure("the same folder renamed back without a record, proven by the bytes (target: whole run <= 0.6 x rsync)",
            work, archive, rsyncArchive, removeRecord, [&] { rename(archive + "/Grand", archive + "/Grand renommé"); });

    velmoraneRun(work, archive, true);
    std::filesystem::copy_file(record, savedRecord, std::filesystem::copy_options::overwrite_existing);
    for (int i = 0; i < kRenamedFiles; ++i) rename(work + "/" + smallFile(i, false), work + "/" + smallFile(i, true));
    measure("500 files renamed one by one in 5 unchanged folders, proven by the record", work, archive, rsyncArchive,
            restoreRecord, [&] {
                for (int i = 0; i < kRenamedFiles; ++i) {
                    rename(archive + "/" + smallFile(i, true), archive + "/" + smallFile(i, false));
                }
            });

    std::filesystem::remove_all(base);
    return 0;
}
