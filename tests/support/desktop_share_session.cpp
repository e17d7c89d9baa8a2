#include "tests/support/desktop_share_session.h"

#include "tests/support/child_process.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace velmorane::testing {
namespace {

constexpr const char* kGio = "/usr/bin/gio";

bool isMounted(const std::string& folder)
{
    std::ifstream table("/proc/self/mounts");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string device, mountPoint;
        if (fields >> device >> mountPoint && mountPoint == folder) return true;
    }
    return false;
}

}  // namespace

std::string DesktopShareSession::whyNotAvailable()
{
    for (const auto& [program, package] : {std::pair{"/usr/libexec/gvfsd-sftp", "gvfs-backends"},
                                           std::pair{"/usr/libexec/gvfsd-fuse", "gvfs-fuse"},
                                           std::pair{kGio, "libglib2.0-bin"},
                                           std::pair{"/usr/bin/ssh-agent", "openssh-client"}}) {
        if (::access(program, X_OK) != 0) return std::string(program) + " is missing (package " + package + ")";
    }
    if (::access("/dev/fuse", R_OK | W_OK) != 0) return "/dev/fuse cannot be opened";
    return PrivateSessionBus::whyNotAvailable();
}

DesktopShareSession::DesktopShareSession(const std::string& runtimeFolder, const std::string& key)
    : gvfsFolder_(runtimeFolder + "/gvfs"), agentSocket_(runtimeFolder + "/agent.socket")
{
    std::filesystem::permissions(runtimeFolder, std::filesystem::perms::owner_all);
    // The bus hands its environment to the daemons it starts: the runtime folder and the agent.
    environment_ = std::make_unique<ScopedEnvironment>(
        std::vector<std::pair<std::string, std::string>>{{"XDG_RUNTIME_DIR", runtimeFolder}, {"SSH_AUTH_SOCK", agentSocket_}});
    startAgent(key);
    if (!problem_.empty()) return;
    try {
        bus_ = std::make_unique<PrivateSessionBus>();
    } catch (const std::exception& error) {
        problem_ = error.what();
    }
}

DesktopShareSession::~DesktopShareSession()
{
    unmountAll();
    bus_.reset();
    // The FUSE daemon unmounts when its bus goes; should it not, the mount is detached here.
    if (isMounted(gvfsFolder_)) runProgram("/usr/bin/fusermount3", {"-u", "-z", gvfsFolder_}, "/");
    if (agent_ > 0) ::kill(agent_, SIGTERM);
}

void DesktopShareSession::startAgent(const std::string& key)
{
    const ProgramRun agent = runProgram("/usr/bin/ssh-agent", {"-s", "-a", agentSocket_}, "/");
    std::smatch pid;
    if (!std::regex_search(agent.out, pid, std::regex("SSH_AGENT_PID=([0-9]+);"))) {
        problem_ = "ssh-agent did not start: " + agent.err;
        return;
    }
    agent_ = static_cast<pid_t>(std::stol(pid[1]));
    const ProgramRun added = runProgram("/usr/bin/ssh-add", {key}, "/", {{"SSH_AUTH_SOCK", agentSocket_}});
    if (added.exitCode != 0) problem_ = "ssh-add failed: " + added.err;
}

std::string DesktopShareSession::mount(const std::string& address)
{
    const ProgramRun mounted = runProgram(kGio, {"mount", address}, "/", {{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}});
    if (mounted.exitCode != 0) return "gio mount " + address + " failed: " + mounted.err;
    mounted_.push_back(address);
    return {};
}

void DesktopShareSession::unmountAll()
{
    for (const std::string& address : mounted_) {
        runProgram(kGio, {"mount", "-u", address}, "/", {{"DBUS_SESSION_BUS_ADDRESS", bus_->address()}});
    }
    mounted_.clear();
}

}  // namespace velmorane::testing
