#include "platform/channel_child.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace velmorane::platform {
namespace {

constexpr int kGraceMilliseconds = 2000;

bool endedWithin(pid_t child, int milliseconds)
{
    const timespec step{0, 10'000'000};
    for (int waited = 0; waited < milliseconds; waited += 10) {
        const pid_t reaped = ::waitpid(child, nullptr, WNOHANG);
        if (reaped == child || (reaped < 0 && errno != EINTR)) return true;
        ::nanosleep(&step, nullptr);
    }
    return false;
}

void closeIfOpen(int& descriptor)
{
    if (descriptor >= 0) ::close(descriptor);
    descriptor = -1;
}

}  // namespace

Result<ChannelChild> ChannelChild::start(const std::vector<std::string>& arguments)
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return Result<ChannelChild>::failure(systemError(errno));
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        const int error = errno;
        ::close(ends[0]);
        ::close(ends[1]);
        return Result<ChannelChild>::failure(systemError(error));
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errorPipe[1], STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ChannelChild child;
    const int spawned = ::posix_spawnp(&child.child_, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ends[1]);
    ::close(errorPipe[1]);
    child.channel_ = ends[0];
    child.errors_ = errorPipe[0];
    if (spawned != 0) {
        child.child_ = -1;
        return Result<ChannelChild>::failure(systemError(spawned));
    }
    ::fcntl(child.channel_, F_SETFL, O_NONBLOCK);
    ::fcntl(child.errors_, F_SETFL, O_NONBLOCK);
    return {std::move(child), std::nullopt};
}

ChannelChild::ChannelChild(ChannelChild&& other) noexcept
    : child_(other.child_), channel_(other.channel_), errors_(other.errors_)
{
    other.child_ = -1;
    other.channel_ = -1;
    other.errors_ = -1;
}

ChannelChild& ChannelChild::operator=(ChannelChild&& other) noexcept
{
    if (this != &other) {
        finish();
        std::swap(child_, other.child_);
        std::swap(channel_, other.channel_);
        std::swap(errors_, other.errors_);
    }
    return *this;
}

ChannelChild::~ChannelChild()
{
    finish();
}

void ChannelChild::closeErrors()
{
    closeIfOpen(errors_);
}

void ChannelChild::finish()
{
    closeIfOpen(channel_);
    closeIfOpen(errors_);
    if (child_ < 0) return;
    if (!endedWithin(child_, kGraceMilliseconds)) {
        ::kill(child_, SIGKILL);
        while (::waitpid(child_, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    child_ = -1;
}

}  // namespace velmorane::platform
