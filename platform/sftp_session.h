#pragma once

#include "platform/channel_child.h"
#include "platform/sftp_address.h"
#include "platform/sftp_packets.h"
#include "platform/sftp_requests.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmorane::platform {

// Why an SFTP request failed: the server said no (its status code and message), the connection
// was lost (ssh ended: what it wrote on standard error, such as "Host key verification failed."),
// the server does not offer the extension asked for, its answer made no sense, or the local side
// of a transfer failed (the message is the system's).
enum class SftpFailure { ServerStatus, ConnectionLost, Unsupported, BadAnswer, LocalFile };

struct SftpError {
    SftpFailure kind = SftpFailure::ServerStatus;
    SftpStatus status = SftpStatus::Failure;
    std::string message;
};

template <typename T>
struct SftpResult {
    T value{};
    std::optional<SftpError> error;

    bool ok() const { return !error; }
    static SftpResult failure(SftpError e) { return SftpResult{T{}, std::move(e)}; }
};

struct SftpNamedEntry {
    std::string name;
    SftpAttributes attributes;
};

// A server's answer to one request. For STATUS answers, status says which; a handle or the bytes
// read arrive in bytes, the names of READDIR and REALPATH in names.
struct SftpAnswer {
    SftpPacketType type = SftpPacketType::Status;
    SftpStatus status = SftpStatus::Ok;
    std::string message;
    std::string bytes;
    std::vector<SftpNamedEntry> names;
    SftpAttributes attributes;
};

// Called once for every request submitted: with the answer, or with the error that ended it
// (a STATUS other than OK and end of file is an error).
using SftpCompletion = std::function<void(SftpResult<SftpAnswer>)>;

struct SshConnection {
    SftpAddress address;      // the path is not used to connect
    bool unattended = false;  // ssh asks nothing: an unknown host or a password is a failure
    std::string configFile;   // empty: the user's own SSH configuration
    // A private folder where ssh keeps one connection to each server for a minute, which the next
    // connections share (ControlMaster): no second password, no second handshake. Empty:
    // each connection is made anew.
    std::string sharingFolder;
};

// The ssh command that reaches the SFTP server of a host.
std::vector<std::string> sshArguments(const SshConnection& connection);

struct SftpFileSystem {
    std::uint64_t blockSize = 0;
    std::uint64_t blocks = 0;
    std::uint64_t freeBlocks = 0;
    std::uint64_t availableBlocks = 0;
    std::uint64_t id = 0;
    std::uint64_t nameMax = 0;
};

// What an answer gives, by the request it answers; an answer of another type is a bad answer.
[[nodiscard]] SftpResult<bool> answeredDone(const SftpResult<SftpAnswer>& answer);
[[nodiscard]] SftpResult<std::string> answeredHandle(const SftpResult<SftpAnswer>& answer);
[[nodiscard]] SftpResult<std::string> answeredName(const SftpResult<SftpAnswer>& answer);
[[nodiscard]] SftpResult<SftpAttributes> answeredAttributes(const SftpResult<SftpAnswer>& answer);
[[nodiscard]] SftpResult<SftpFileSystem> answeredFileSystem(const SftpResult<SftpAnswer>& answer);

// One SFTP version 3 conversation over the user's own ssh. Requests are numbered, so many can be
// in flight at once: submit() sends without waiting, and the completion is called from run() or
// runUntilIdle() when the answer arrives. The synchronous calls below submit one request and wait
// for it, completing the others that answer meanwhile. Once the connection is lost, every pending
// request and every later one fails with SftpFailure::ConnectionLost. Used from one thread.
class SftpSession {
public:
    [[nodiscard]] static SftpResult<std::unique_ptr<SftpSession>> open(const SshConnection& connection);
    SftpSession(const SftpSession&) = delete;
    SftpSession& operator=(const SftpSession&) = delete;
    ~SftpSession();

    bool offers(const std::string& extension) const { return extensions_.contains(extension); }
    bool connected() const { return !lost_; }

    void submit(SftpRequest request, SftpCompletion completion);
    std::size_t pending() const { return pending_.size(); }
    // Waits for the next answers and completes them; false once the connection is lost. It also
    // returns when `wakeUp` (see wakeOn) becomes readable, which the caller then drains.
    bool run();
    void wakeOn(int wakeUp) { wakeUp_ = wakeUp; }
    void runUntilIdle();

    [[nodiscard]] SftpResult<SftpAnswer> call(SftpRequest request);
    [[nodiscard]] SftpResult<std::string> realPath(const std::string& path);
    [[nodiscard]] SftpResult<SftpAttributes> linkStatus(const std::string& path);
    [[nodiscard]] SftpResult<SftpAttributes> status(const std::string& path);
    [[nodiscard]] SftpResult<bool> setStatus(const std::string& path, const SftpAttributes& attributes);
    [[nodiscard]] SftpResult<bool> setLinkStatus(const std::string& path, const SftpAttributes& attributes);
    [[nodiscard]] SftpResult<bool> makeFolder(const std::string& path, std::uint32_t mode);
    [[nodiscard]] SftpResult<bool> removeFolder(const std::string& path);
    [[nodiscard]] SftpResult<bool> removeFile(const std::string& path);
    // Refuses to replace an entry already at `to`.
    [[nodiscard]] SftpResult<bool> rename(const std::string& from, const std::string& to);
    // Replaces what is at `to` at once, as rename(2) does.
    [[nodiscard]] SftpResult<bool> replacingRename(const std::string& from, const std::string& to);
    [[nodiscard]] SftpResult<bool> hardLink(const std::string& existing, const std::string& link);
    [[nodiscard]] SftpResult<std::string> readLink(const std::string& path);
    [[nodiscard]] SftpResult<bool> makeSymlink(const std::string& path, const std::string& target);
    [[nodiscard]] SftpResult<SftpFileSystem> fileSystem(const std::string& path);
    [[nodiscard]] SftpResult<std::string> openFile(const std::string& path, std::uint32_t flags,
                                                   const SftpAttributes& attributes = {});
    [[nodiscard]] SftpResult<std::string> openFolder(const std::string& path);
    [[nodiscard]] SftpResult<bool> close(const std::string& handle);
    [[nodiscard]] SftpResult<bool> setHandleStatus(const std::string& handle, const SftpAttributes& attributes);
    [[nodiscard]] SftpResult<bool> flushToDisk(const std::string& handle);

private:
    explicit SftpSession(ChannelChild child) : child_(std::move(child)) {}
    [[nodiscard]] SftpResult<bool> greet();
    [[nodiscard]] SftpResult<SftpAnswer> extendedCall(const char* extension, SftpRequest request);
    void send(std::string packet);
    void sendWaiting();
    void receive();
    void readErrors();
    void takePackets();
    void take(SftpPacketType type, std::string_view body);
    void loseConnection(std::string why);
    std::string lostMessage();

    ChannelChild child_;
    std::set<std::string> extensions_;
    std::map<std::uint32_t, SftpCompletion> pending_;
    std::uint32_t nextId_ = 1;
    std::string outgoing_;
    std::string incoming_;
    std::string errorText_;
    bool greeted_ = false;
    std::optional<SftpError> lost_;
    int wakeUp_ = -1;
};

}  // namespace velmorane::platform
