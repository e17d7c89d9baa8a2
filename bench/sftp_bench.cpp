// Speed of a folder walk over SFTP against rsync over ssh, both to the same private sshd on this
// machine (tests/support/private_ssh_server.h; needs root): `sftp_bench FOLDER [walk|add]`. Makes
// once, under FOLDER, a tree of 20 000 files in 1 100 folders on two levels and its copy; then
// times, best of 3, what a run with nothing to do costs: connecting, walking the local tree and the
// copy through the server; against `rsync -a -n --delete` from the tree to the copy over ssh. Then
// the same through a relay adding 10 ms each way; and a whole run with nothing to do (the program's
// own comparison, the copy named sftp://…) against the same rsync. Last, adding 2 000 files of
// 100 KiB to an empty folder of the server, each written under a temporary name, made durable and
// renamed, against `rsync -a --fsync` over ssh, on the local link: by the SFTP client alone, and
// by the program's own run (comparison and execution).
#include "bench/bench_files.h"
#include "execution/outcome_texts.h"
#include "execution/run_driver.h"
#include "platform/sftp_session.h"
#include "platform/sftp_tree_walk.h"
#include "platform/sftp_upload.h"
#include "tests/support/child_process.h"
#include "tests/support/latency_relay.h"
#include "tests/support/private_ssh_server.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <fstream>
#include <filesystem>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace velmorane;
using Clock = std::chrono::steady_clock;
using velmorane::bench::die;
using velmorane::bench::makeFolder;

constexpr int kRounds = 3;
constexpr int kTopFolders = 100;
constexpr int kSubFolders = 10;
constexpr int kFilesPerFolder = 20;
constexpr int kAddedFiles = 2000;
constexpr std::size_t kAddedSize = 100 * 1024;
constexpr const char* kMarker = ".velmorane-sftp-tree-2";

void makeFile(const std::string& path, std::int64_t size, std::int64_t mtime)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const timespec times[2] = {{static_cast<time_t>(mtime), 0}, {static_cast<time_t>(mtime), 0}};
    if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0 || ::futimens(fd, times) != 0) die(path);
    ::close(fd);
}

void makeTrees(const std::string& folder)
{
    if (::access((folder + "/" + kMarker).c_str(), F_OK) == 0) return;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder + "/travail");
    for (int top = 0; top < kTopFolders; ++top) {
        const std::string topPath = folder + "/travail/dossier " + std::to_string(top);
        makeFolder(topPath);
        for (int sub = 0; sub < kSubFolders; ++sub) {
            const std::string subPath = topPath + "/sous-dossier " + std::to_string(sub);
            makeFolder(subPath);
            for (int file = 0; file < kFilesPerFolder; ++file) {
                makeFile(subPath + "/fichier " + std::to_string(file) + ".dat", (top * 7 + sub * 3 + file) * 97,
                         1'700'000'000 + top * 1000 + file);
            }
        }
    }
    if (std::system(("cp -a '" + folder + "/travail' '" + folder + "/archive'").c_str()) != 0) die("cp -a");
    makeFolder(folder + "/ajouts");
    for (int file = 0; file < kAddedFiles; ++file) {
        std::string content(kAddedSize, '\0');
        for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>((i * 31 + static_cast<std::size_t>(file)) % 251);
        std::ofstream(folder + "/ajouts/fichier " + std::to_string(file) + ".bin", std::ios::binary) << content;
    }
    makeFile(folder + "/" + kMarker, 0, 1'700'000'000);
}

std::size_t walkLocal(const std::string& root)
{
    std::size_t count = 0;
    for (auto it = std::filesystem::recursive_directory_iterator(root); it != std::filesystem::recursive_directory_iterator(); ++it) {
        struct stat status {};
        ::lstat(it->path().c_str(), &status);
        ++count;
    }
    return count;
}

double timeClient(testing::PrivateSshServer& server, unsigned port, const std::string& folder)
{
    const auto start = Clock::now();
    platform::SshConnection connection = server.connection();
    connection.configFile = server.configFile(testing::SshClientKnowledge::Everything, port);
    auto session = platform::SftpSession::open(connection);
    if (!session.ok()) die("connection: " + session.error->message);
    const std::size_t local = walkLocal(folder + "/travail");
    const auto remote = platform::walkTree(*session.value, folder + "/archive");
    if (!remote.ok() || remote.value.size() != local) die("walk: " + (remote.ok() ? std::string("counts differ") : remote.error->message));
    session.value.reset();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double timeRsync(testing::PrivateSshServer& server, unsigned port, const std::string& folder)
{
    const std::string ssh = "ssh -F " + server.configFile(testing::SshClientKnowledge::Everything, port);
    const auto start = Clock::now();
    const testing::ProgramRun run = testing::runProgram(
        "/usr/bin/rsync", {"-a", "-n", "--delete", "-e", ssh, folder + "/travail/", std::string(testing::PrivateSshServer::kHostAlias) + ":" + folder + "/archive/"}, "/");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (run.exitCode != 0) die("rsync: " + run.err);
    return seconds;
}

// A runtime folder of its own for each timed run: no connection kept by the one before serves it,
// as rsync makes its connection each time. Short, as a socket's path must be.
class FreshRuntimeFolder {
public:
    FreshRuntimeFolder()
    {
        char name[] = "/tmp/vel-run-XXXXXX";
        if (!::mkdtemp(name)) die("mkdtemp");
        path_ = name;
        environment_ = std::make_unique<testing::ScopedEnvironment>(
            std::vector<std::pair<std::string, std::string>>{{"XDG_RUNTIME_DIR", path_}});
    }
    ~FreshRuntimeFolder() { std::filesystem::remove_all(path_); }
    FreshRuntimeFolder(const FreshRuntimeFolder&) = delete;
    FreshRuntimeFolder& operator=(const FreshRuntimeFolder&) = delete;

private:
    std::string path_;
    std::unique_ptr<testing::ScopedEnvironment> environment_;
};

// The program's own run, from the tree to its copy named by its address on the server.
double timeRun(testing::PrivateSshServer& server, unsigned port, const std::string& folder)
{
    const auto ssh = server.sshOnPath(testing::SshClientKnowledge::Everything, port);
    const FreshRuntimeFolder runtime;
    const auto start = Clock::now();
    execution::MirrorRun run({folder + "/travail", testing::PrivateSshServer::address(folder + "/archive"),
                              engine::Direction::WorkToArchive, engine::Action::Update, {}, {}},
                             {{}, std::nullopt});
    execution::RunObserver nobody;
    if (const auto refusal = execution::RunDriver(run, nobody).compare()) die(execution::refusalText(*refusal).text);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const execution::TaskLists& lists = run.lists();
    if (lists.addList().count() + lists.replaceList().count() + lists.deleteList().count() != 0) die("lists not empty");
    return seconds;
}

void emptyFolder(const std::string& path)
{
    std::filesystem::remove_all(path);
    std::filesystem::create_directories(path);
    ::sync();
}

double timeClientAdding(testing::PrivateSshServer& server, const std::string& folder)
{
    emptyFolder(folder + "/ajouts-copie");
    const auto start = Clock::now();
    auto session = platform::SftpSession::open(server.connection());
    if (!session.ok()) die("connection: " + session.error->message);
    std::vector<platform::SftpUpload> uploads;
    for (const auto& entry : std::filesystem::directory_iterator(folder + "/ajouts")) {
        const std::string name = entry.path().filename().string();
        uploads.push_back({entry.path().string(), folder + "/ajouts-copie/." + name + ".velmorane", folder + "/ajouts-copie/" + name});
    }
    for (const auto& result : platform::uploadFiles(*session.value, uploads)) {
        if (!result.ok()) die("upload: " + result.error->message);
    }
    session.value.reset();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double timeRunAdding(testing::PrivateSshServer& server, const std::string& folder)
{
    emptyFolder(folder + "/ajouts-copie");
    const auto ssh = server.sshOnPath();
    const FreshRuntimeFolder runtime;
    const auto start = Clock::now();
    execution::MirrorRun run({folder + "/ajouts", testing::PrivateSshServer::address(folder + "/ajouts-copie"),
                              engine::Direction::WorkToArchive, engine::Action::Update, {}, {}},
                             {{}, std::nullopt});
    execution::RunObserver nobody;
    execution::RunDriver driver(run, nobody);
    if (const auto refusal = driver.compare()) die(execution::refusalText(*refusal).text);
    if (run.lists().addList().count() != kAddedFiles) die("adds missing");
    (void)driver.executeChosen({});
    if (run.report().failures != 0) die("copies failed");
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double timeRsyncAdding(testing::PrivateSshServer& server, const std::string& folder)
{
    emptyFolder(folder + "/ajouts-copie");
    const std::string ssh = "ssh -F " + server.configFile();
    const auto start = Clock::now();
    const testing::ProgramRun run = testing::runProgram(
        "/usr/bin/rsync", {"-a", "--fsync", "-e", ssh, folder + "/ajouts/", std::string(testing::PrivateSshServer::kHostAlias) + ":" + folder + "/ajouts-copie/"}, "/");
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (run.exitCode != 0) die("rsync: " + run.err);
    return seconds;
}

template <typename Timer>
double best(Timer timer)
{
    double fastest = timer();  // warm-up
    for (int round = 0; round < kRounds; ++round) fastest = std::min(fastest, timer());
    return fastest;
}

void compare(testing::PrivateSshServer& server, unsigned port, const std::string& folder, const char* link)
{
    const double client = best([&] { return timeClient(server, port, folder); });
    const double runs = best([&] { return timeRun(server, port, folder); });
    const double rsync = best([&] { return timeRsync(server, port, folder); });
    std::cout << link << ": walk through the SFTP client " << client << " s, run with nothing to do " << runs
              << " s, rsync -a -n --delete over ssh " << rsync << " s, ratios " << client / rsync << " and "
              << runs / rsync << '\n';
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string part = argc == 3 ? argv[2] : "";
    if (argc < 2 || argc > 3 || (part != "" && part != "walk" && part != "add")) {
        std::cerr << "usage: sftp_bench FOLDER [walk|add]\n";
        return 2;
    }
    const std::string folder = std::filesystem::absolute(argv[1]).string();
    testing::PrivateSshServer server;
    if (!server.ready()) {
        std::cerr << "sftp_bench: " << server.skipReason() << '\n';
        return 1;
    }
    makeTrees(folder);
    if (part != "add") {
        compare(server, server.port(), folder, "local link");
        const testing::LatencyRelay relay(server.port(), std::chrono::milliseconds(10));
        compare(server, relay.port(), folder, "20 ms round trip");
    }
    if (part == "walk") return 0;
    const double client = best([&] { return timeClientAdding(server, folder); });
    const double runs = best([&] { return timeRunAdding(server, folder); });
    const double rsync = best([&] { return timeRsyncAdding(server, folder); });
    std::cout << "adding 2 000 files of 100 KiB: SFTP client " << client << " s, run " << runs
              << " s, rsync -a --fsync over ssh " << rsync << " s, ratios " << client / rsync << " and "
              << runs / rsync << '\n';
    return 0;
}
