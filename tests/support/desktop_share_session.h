#pragma once

#include "tests/support/scoped_environment.h"
#include "tests/support/session_bus.h"

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace velmorane::testing {

// A desktop session of the test's own that mounts shares as a file manager does: an ssh agent
// offering one key, a private session bus whose GVfs daemons mount every share under
// XDG_RUNTIME_DIR/gvfs, set for the test to that folder. Ended with the object, failures included:
// the shares unmounted, the FUSE mount detached, the daemons and the agent stopped.
class DesktopShareSession {
public:
    DesktopShareSession(const std::string& runtimeFolder, const std::string& key);
    ~DesktopShareSession();
    DesktopShareSession(const DesktopShareSession&) = delete;
    DesktopShareSession& operator=(const DesktopShareSession&) = delete;

    // Why GVfs cannot mount shares here, for GTEST_SKIP; empty when it can.
    static std::string whyNotAvailable();
    // Why the session could not start; empty when it did.
    const std::string& problem() const { return problem_; }
    // Mounts a share by its address with `gio mount`: what went wrong, empty when nothing did.
    std::string mount(const std::string& address);

private:
    void startAgent(const std::string& key);
    void unmountAll();

    std::string gvfsFolder_;
    std::string agentSocket_;
    std::unique_ptr<ScopedEnvironment> environment_;
    pid_t agent_ = -1;
    std::unique_ptr<PrivateSessionBus> bus_;
    std::vector<std::string> mounted_;
    std::string problem_;
};

}  // namespace velmorane::testing
