#include "tests/support/child_process.h"

#include <cerrno>
#include <exception>
#include <grp.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

void writeAll(int fd, const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0 && errno != EINTR) return;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
}

// Reads the given pipes until every one is closed, without letting a full one block the writer.
void drain(std::vector<std::pair<int, std::string*>> pipes)
{
    while (!pipes.empty()) {
        std::vector<pollfd> waiting;
        for (const auto& pipe : pipes) waiting.push_back({pipe.first, POLLIN, 0});
        if (::poll(waiting.data(), waiting.size(), -1) < 0 && errno != EINTR) return;
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
}

int waitFor(pid_t child)
{
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

}  // namespace

std::string inChild(const std::function<std::string()>& body)
{
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t child = ::fork();
    if (child < 0) return "fork failed";
    if (child == 0) {
        ::close(fds[0]);
        std::string text;
        try {
            text = body();
        } catch (const std::exception& e) {
            text = std::string("exception: ") + e.what();
        }
        writeAll(fds[1], text);
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string text;
    drain({{fds[0], &text}});
    const int status = waitFor(child);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) text += "\nchild ended with status " + std::to_string(status);
    return text;
}

bool becomeNobody()
{
    if (::geteuid() != 0) return true;
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& workingDirectory)
{
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
    const pid_t child = ::fork();
    if (child < 0) return {};
    if (child == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        for (int fd : {out[0], out[1], err[0], err[1]}) ::close(fd);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(name);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        if (::chdir(workingDirectory.c_str()) == 0) ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    ProgramRun run;
    drain({{out[0], &run.out}, {err[0], &run.err}});
    const int status = waitFor(child);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace velmorane::testing
