#include "tests/support/child_process.h"

#include <cerrno>
#include <exception>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

// Forks; the child gets the writing ends of two pipes and must end with _exit, while the parent reads
// both pipes until they close, without letting a full one block the child. Returns the wait status.
int forkAndCollect(const std::function<void(int out, int err)>& child, std::string& out, std::string& err)
{
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(errPipe, O_CLOEXEC) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) child(outPipe[1], errPipe[1]);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    std::vector<std::pair<int, std::string*>> pipes{{outPipe[0], &out}, {errPipe[0], &err}};
    while (!pipes.empty()) {
        std::vector<pollfd> waiting;
        for (const auto& pipe : pipes) waiting.push_back({pipe.first, POLLIN, 0});
        if (::poll(waiting.data(), waiting.size(), -1) < 0 && errno != EINTR) break;
        for (std::size_t i = waiting.size(); i-- > 0;) {
            if (waiting[i].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = ::read(waiting[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                pipes[i].second->append(buffer, static_cast<std::size_t>(n));
            } else if (n == 0 || errno != EINTR) {
                ::close(waiting[i].fd);
                pipes.erase(pipes.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
    }
    int status = -1;
    while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return pid > 0 ? status : -1;
}

}  // namespace

std::string inChild(const std::function<std::string()>& body)
{
    std::string text, ignored;
    const int status = forkAndCollect(
        [&](int out, int) {
            try {
                text = body();
            } catch (const std::exception& e) {
                text = std::string("exception: ") + e.what();
            }
            for (std::size_t done = 0; done < text.size();) {
                const ssize_t n = ::write(out, text.data() + done, text.size() - done);
                if (n <= 0 && errno != EINTR) break;
                if (n > 0) done += static_cast<std::size_t>(n);
            }
            ::_exit(0);
        },
        text, ignored);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) text += "\nchild ended with status " + std::to_string(status);
    return text;
}

bool becomeNobody()
{
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& workingDirectory,
                      const std::vector<std::pair<std::string, std::string>>& environment)
{
    ProgramRun run;
    const int status = forkAndCollect(
        [&](int out, int err) {
            ::dup2(out, STDOUT_FILENO);
            ::dup2(err, STDERR_FILENO);
            // Nor the tester's session bus: a refused run would show its notice on the tester's desktop.
            for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"}) {
                ::unsetenv(name);
            }
            for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(program.c_str())};
            for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
            argv.push_back(nullptr);
            if (::chdir(workingDirectory.c_str()) == 0) ::execv(program.c_str(), argv.data());
            ::_exit(127);
        },
        run.out, run.err);
    run.exitCode = status >= 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string asOrdinaryUser(TempFolder& tree, const std::function<std::string()>& body)
{
    if (::geteuid() != 0) return body();
    tree.chownAll(kNobody, kNobody);
    return inChild([&] { return becomeNobody() ? body() : std::string("could not become nobody"); });
}

std::string withoutReportLine(const std::string& err)
{
    const std::string start = "Rapport : ";
    const auto line = err.starts_with(start) ? 0 : err.rfind("\n" + start);
    if (line == std::string::npos || !err.ends_with(".txt\n")) return err;
    return err.substr(0, line == 0 ? 0 : line + 1);
}

std::string tool(const std::string& name, const std::vector<std::string>& arguments)
{
    const ProgramRun run = runProgram("/usr/bin/" + name, arguments, "/");
    return run.exitCode == 0 ? run.out : name + " failed: " + run.err;
}

}  // namespace velmorane::testing
