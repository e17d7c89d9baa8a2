#pragma once

#include "platform/sftp_session.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_tree.h"

#include <memory>
#include <string>
#include <sys/types.h>

namespace velmorane::testing {

// What the client knows when it connects: the server's host key and a key the server accepts, a
// known_hosts without the server, or a key the server does not accept.
enum class SshClientKnowledge { Everything, UnknownHost, WrongKey };

// An sshd of the test's own on a free port of 127.0.0.1, with a temporary host key, a temporary
// user key and a temporary HOME whose .ssh/config names it "velmorane-test". Never the system's
// sshd nor ~/.ssh. sshd needs root for its privilege separation: elsewhere ready() is false and
// skipReason() says why. Stopped and reaped in the destructor.
class PrivateSshServer {
public:
    // sftpOptions: options of the server's SFTP subsystem, such as "-P posix-rename@openssh.com";
    // serverOptions: lines of sshd's configuration, such as "MaxSessions 1".
    explicit PrivateSshServer(const std::string& sftpOptions = "", const std::string& serverOptions = "");
    ~PrivateSshServer();
    PrivateSshServer(const PrivateSshServer&) = delete;
    PrivateSshServer& operator=(const PrivateSshServer&) = delete;

    bool ready() const { return skipReason_.empty(); }
    const std::string& skipReason() const { return skipReason_; }
    unsigned port() const { return port_; }
    // The private key the server accepts, for clients that read no configuration of the test's.
    std::string userKey() const { return folder_.path("user_key"); }
    static constexpr const char* kHostAlias = "velmorane-test";
    // The ssh configuration the client is given, as the user's own; port: another way in to the
    // same server, such as a relay.
    std::string configFile(SshClientKnowledge knowledge = SshClientKnowledge::Everything, unsigned port = 0);
    platform::SshConnection connection(SshClientKnowledge knowledge = SshClientKnowledge::Everything);
    // Puts first on PATH an `ssh` that is the system's own given that configuration, for as long as
    // the answer lives: what opens a volume for an sftp:// start folder then reaches this server.
    // Each start is noted for sshStarts(); XDG_RUNTIME_DIR is a folder of the server's own.
    std::unique_ptr<ScopedEnvironment> sshOnPath(SshClientKnowledge knowledge = SshClientKnowledge::Everything,
                                                 unsigned port = 0);
    // How that `ssh` was started, a line each: its arguments, then "|" and the SSH_ASKPASS_REQUIRE
    // and VELMORANE_ASKPASS it was given, "|" between.
    std::vector<std::string> sshStarts();
    // The start folder that names a folder of this machine as the server shows it.
    static std::string address(const std::string& folder) { return std::string("sftp://") + kHostAlias + folder; }
    // Kills the server's side of every open connection, as a server that goes away does.
    void dropConnections();

private:
    void prepare(const std::string& sftpOptions, const std::string& serverOptions);
    void start();
    void stop();

    TempFolder folder_;
    std::unique_ptr<ScopedEnvironment> home_;
    std::string skipReason_;
    unsigned port_ = 0;
    pid_t sshd_ = -1;
};

}  // namespace velmorane::testing
