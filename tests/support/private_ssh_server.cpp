#include "tests/support/private_ssh_server.h"

#include "tests/support/child_process.h"

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <netinet/in.h>
#include <pwd.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace velmorane::testing {
namespace {

constexpr const char* kSshd = "/usr/sbin/sshd";
constexpr int kStartMilliseconds = 10'000;

unsigned freePort()
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    unsigned port = 0;
    if (::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        port = ntohs(address.sin_port);
    }
    ::close(probe);
    return port;
}

bool accepts(unsigned port)
{
    const int probe = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected = ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(probe);
    return connected;
}

std::string readText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

bool makeKey(const std::string& path)
{
    return runProgram("/usr/bin/ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-C", "velmorane-test", "-f", path}, "/")
               .exitCode == 0;
}

std::string userName()
{
    const passwd* user = ::getpwuid(::getuid());
    return user ? user->pw_name : "root";
}

// Every process below `ancestor`: for sshd, the server's side of each connection.
std::vector<pid_t> descendantsOf(pid_t ancestor)
{
    std::multimap<pid_t, pid_t> children;
    if (DIR* proc = ::opendir("/proc")) {
        while (const dirent* entry = ::readdir(proc)) {
            const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
            if (pid <= 0) continue;
            const std::string stat = readText("/proc/" + std::string(entry->d_name) + "/stat");
            const std::size_t close = stat.rfind(')');
            if (close == std::string::npos) continue;
            std::istringstream fields(stat.substr(close + 2));
            char state = 0;
            pid_t parent = 0;
            fields >> state >> parent;
            children.emplace(parent, pid);
        }
        ::closedir(proc);
    }
    std::vector<pid_t> found;
    std::vector<pid_t> queue{ancestor};
    while (!queue.empty()) {
        const pid_t parent = queue.back();
        queue.pop_back();
        for (auto [it, end] = children.equal_range(parent); it != end; ++it) {
            found.push_back(it->second);
            queue.push_back(it->second);
        }
    }
    return found;
}

}  // namespace

PrivateSshServer::PrivateSshServer(const std::string& sftpOptions, const std::string& serverOptions)
{
    if (::geteuid() != 0) {
        skipReason_ = "sshd needs root for its privilege separation";
        return;
    }
    if (::access(kSshd, X_OK) != 0) {
        skipReason_ = "openssh-server is not installed";
        return;
    }
    prepare(sftpOptions, serverOptions);
    if (ready()) start();
}

PrivateSshServer::~PrivateSshServer()
{
    stop();
}

void PrivateSshServer::prepare(const std::string& sftpOptions, const std::string& serverOptions)
{
    // sshd refuses to start without its privilege separation folder, which its package makes at boot.
    ::mkdir("/run/sshd", 0755);
    const std::string home = folder_.makeFolder("home");
    folder_.makeFolder("home/.ssh");
    if (!makeKey(folder_.path("host_key")) || !makeKey(folder_.path("user_key")) || !makeKey(folder_.path("other_key"))) {
        skipReason_ = "ssh-keygen failed";
        return;
    }
    port_ = freePort();
    writeText(folder_.path("authorized_keys"), readText(folder_.path("user_key.pub")));
    writeText(folder_.path("sshd_config"),
              "Port " + std::to_string(port_) + "\nListenAddress 127.0.0.1\nHostKey " + folder_.path("host_key") +
                  "\nPidFile none\nAuthorizedKeysFile " + folder_.path("authorized_keys") +
                  "\nStrictModes no\nPasswordAuthentication no\nKbdInteractiveAuthentication no\nUsePAM no\n"
                  "PermitRootLogin prohibit-password\nLogLevel ERROR\nSubsystem sftp internal-sftp " +
                  sftpOptions + "\n" + serverOptions + "\n");
    writeText(folder_.path("home/.ssh/known_hosts"),
              std::string(kHostAlias) + " " + readText(folder_.path("host_key.pub")));
    writeText(folder_.path("empty_known_hosts"), "");
    home_ = std::make_unique<ScopedEnvironment>(std::vector<std::pair<std::string, std::string>>{{"HOME", home}});
}

std::string PrivateSshServer::configFile(SshClientKnowledge knowledge, unsigned port)
{
    const bool everything = knowledge == SshClientKnowledge::Everything;
    const std::string path = everything ? folder_.path("home/.ssh/config")
                                        : folder_.path(knowledge == SshClientKnowledge::UnknownHost ? "unknown_host_config"
                                                                                                     : "wrong_key_config");
    const std::string knownHosts = knowledge == SshClientKnowledge::UnknownHost ? folder_.path("empty_known_hosts")
                                                                                 : folder_.path("home/.ssh/known_hosts");
    const std::string key = knowledge == SshClientKnowledge::WrongKey ? folder_.path("other_key") : folder_.path("user_key");
    writeText(path, std::string("Host ") + kHostAlias + "\n  HostName 127.0.0.1\n  Port " + std::to_string(port == 0 ? port_ : port) +
                        "\n  HostKeyAlias " + kHostAlias +
                        "\n  User " + userName() + "\n  IdentityFile " + key +
                        "\n  IdentitiesOnly yes\n  IdentityAgent none\n  UserKnownHostsFile " + knownHosts +
                        "\n  GlobalKnownHostsFile /dev/null\n  StrictHostKeyChecking yes\n  LogLevel ERROR\n");
    return path;
}

platform::SshConnection PrivateSshServer::connection(SshClientKnowledge knowledge)
{
    platform::SshConnection connection;
    connection.address.host = kHostAlias;
    connection.configFile = configFile(knowledge);
    // A test never waits on a question nobody can answer.
    connection.unattended = true;
    return connection;
}

std::unique_ptr<ScopedEnvironment> PrivateSshServer::sshOnPath(SshClientKnowledge knowledge, unsigned port)
{
    const std::string config = configFile(knowledge, port);
    const std::string folder = folder_.makeFolder("bin " + config.substr(config.rfind('/') + 1) + std::to_string(port));
    const std::string ssh = folder + "/ssh";
    writeText(ssh, "#!/bin/sh\necho \"$*|$SSH_ASKPASS_REQUIRE|$VELMORANE_ASKPASS\" >> '" + folder_.path("ssh-starts") +
                       "'\nexec /usr/bin/ssh -F '" + config + "' \"$@\"\n");
    ::chmod(ssh.c_str(), 0755);
    const char* path = std::getenv("PATH");
    // The connections ssh keeps for a run's next ones live in the test's own runtime folder.
    return std::make_unique<ScopedEnvironment>(std::vector<std::pair<std::string, std::string>>{
        {"PATH", folder + (path ? std::string(":") + path : std::string())},
        {"XDG_RUNTIME_DIR", folder_.makeFolder("run")}});
}

std::vector<std::string> PrivateSshServer::sshStarts()
{
    std::vector<std::string> starts;
    std::istringstream lines(readText(folder_.path("ssh-starts")));
    for (std::string line; std::getline(lines, line);) starts.push_back(line);
    return starts;
}

void PrivateSshServer::start()
{
    const std::string log = folder_.path("sshd.log");
    sshd_ = ::fork();
    if (sshd_ == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(out, STDERR_FILENO);
        const std::string config = folder_.path("sshd_config");
        ::execl(kSshd, kSshd, "-D", "-e", "-f", config.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const timespec step{0, 20'000'000};
    for (int waited = 0; waited < kStartMilliseconds; waited += 20) {
        if (accepts(port_)) return;
        if (::waitpid(sshd_, nullptr, WNOHANG) == sshd_) {
            sshd_ = -1;
            skipReason_ = "sshd did not start: " + readText(log);
            return;
        }
        ::nanosleep(&step, nullptr);
    }
    skipReason_ = "sshd did not listen: " + readText(log);
    stop();
}

void PrivateSshServer::dropConnections()
{
    if (sshd_ > 0) {
        for (const pid_t pid : descendantsOf(sshd_)) ::kill(pid, SIGKILL);
    }
}

void PrivateSshServer::stop()
{
    if (sshd_ <= 0) return;
    dropConnections();
    ::kill(sshd_, SIGTERM);
    while (::waitpid(sshd_, nullptr, 0) < 0 && errno == EINTR) {
    }
    sshd_ = -1;
}

}  // namespace velmorane::testing
