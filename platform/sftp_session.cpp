#include "platform/sftp_session.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

constexpr std::uint32_t kProtocolVersion = 3;
// OpenSSH's server answers at most 256 KiB in a packet; a longer length is a broken stream.
constexpr std::uint32_t kLongestAnswer = 1024 * 1024;
constexpr std::size_t kLongestErrorText = 64 * 1024;
// After the channel closes, ssh says why on standard error just before it ends.
constexpr int kLastWordsMilliseconds = 2000;

SftpError badAnswer(std::string what)
{
    return SftpError{SftpFailure::BadAnswer, SftpStatus::BadMessage, std::move(what)};
}

// ssh ends its lines with "\r\n" when it writes to standard error.
std::string trimmed(std::string text)
{
    for (std::size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at)) text.erase(at, 1);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

bool readNames(SftpPacketReader& reader, std::vector<SftpNamedEntry>& names)
{
    std::uint32_t count = 0;
    if (!reader.readUint32(count)) return false;
    std::string longName;
    for (std::uint32_t i = 0; i < count; ++i) {
        SftpNamedEntry entry;
        if (!reader.readString(entry.name) || !reader.readString(longName) || !reader.readAttributes(entry.attributes)) {
            return false;
        }
        names.push_back(std::move(entry));
    }
    return true;
}

// The answer's fields after its number, by its type.
bool readAnswer(SftpPacketType type, SftpPacketReader& reader, SftpAnswer& answer)
{
    std::uint32_t code = 0;
    std::string language;
    switch (type) {
    case SftpPacketType::Status:
        if (!reader.readUint32(code)) return false;
        answer.status = static_cast<SftpStatus>(code);
        // Servers of the first drafts send no message; none is needed.
        if (!reader.atEnd() && (!reader.readString(answer.message) || !reader.readString(language))) return false;
        return true;
    case SftpPacketType::Handle:
    case SftpPacketType::Data:
        return reader.readString(answer.bytes);
    case SftpPacketType::Name:
        return readNames(reader, answer.names);
    case SftpPacketType::Attributes:
        return reader.readAttributes(answer.attributes);
    case SftpPacketType::ExtendedReply: {
        std::uint8_t byte = 0;
        while (reader.readByte(byte)) answer.bytes.push_back(static_cast<char>(byte));
        return true;
    }
    default:
        return false;
    }
}

SftpResult<SftpAnswer> completed(SftpAnswer answer)
{
    const bool failed = answer.type == SftpPacketType::Status && answer.status != SftpStatus::Ok &&
                        answer.status != SftpStatus::EndOfFile;
    if (!failed) return {std::move(answer), std::nullopt};
    return SftpResult<SftpAnswer>::failure(SftpError{SftpFailure::ServerStatus, answer.status, answer.message});
}

template <typename T>
SftpResult<T> failedAs(const SftpError& error)
{
    return SftpResult<T>::failure(error);
}

}  // namespace

SftpResult<bool> answeredDone(const SftpResult<SftpAnswer>& answer)
{
    if (!answer.ok()) return failedAs<bool>(*answer.error);
    if (answer.value.type != SftpPacketType::Status) return failedAs<bool>(badAnswer("réponse inattendue du serveur"));
    return {true, std::nullopt};
}

SftpResult<std::string> answeredHandle(const SftpResult<SftpAnswer>& answer)
{
    if (!answer.ok()) return failedAs<std::string>(*answer.error);
    if (answer.value.type != SftpPacketType::Handle) return failedAs<std::string>(badAnswer("réponse inattendue du serveur"));
    return {answer.value.bytes, std::nullopt};
}

SftpResult<std::string> answeredName(const SftpResult<SftpAnswer>& answer)
{
    if (!answer.ok()) return failedAs<std::string>(*answer.error);
    if (answer.value.type != SftpPacketType::Name || answer.value.names.size() != 1) {
        return failedAs<std::string>(badAnswer("réponse inattendue du serveur"));
    }
    return {answer.value.names.front().name, std::nullopt};
}

SftpResult<SftpAttributes> answeredAttributes(const SftpResult<SftpAnswer>& answer)
{
    if (!answer.ok()) return failedAs<SftpAttributes>(*answer.error);
    if (answer.value.type != SftpPacketType::Attributes) return failedAs<SftpAttributes>(badAnswer("réponse inattendue du serveur"));
    return {answer.value.attributes, std::nullopt};
}

SftpResult<SftpFileSystem> answeredFileSystem(const SftpResult<SftpAnswer>& answer)
{
    if (!answer.ok()) return failedAs<SftpFileSystem>(*answer.error);
    SftpPacketReader reader(answer.value.bytes);
    std::uint64_t fragmentSize = 0;
    std::uint64_t files = 0;
    std::uint64_t flags = 0;
    SftpFileSystem system;
    if (answer.value.type != SftpPacketType::ExtendedReply || !reader.readUint64(system.blockSize) ||
        !reader.readUint64(fragmentSize) || !reader.readUint64(system.blocks) || !reader.readUint64(system.freeBlocks) ||
        !reader.readUint64(system.availableBlocks) || !reader.readUint64(files) || !reader.readUint64(files) ||
        !reader.readUint64(files) || !reader.readUint64(system.id) || !reader.readUint64(flags) ||
        !reader.readUint64(system.nameMax)) {
        return failedAs<SftpFileSystem>(badAnswer("réponse inattendue du serveur"));
    }
    // The counts of blocks are in fragments, as statvfs(3) gives them.
    if (fragmentSize != 0) system.blockSize = fragmentSize;
    return {system, std::nullopt};
}

std::vector<std::string> sshArguments(const SshConnection& connection)
{
    std::vector<std::string> arguments{"ssh"};
    if (!connection.configFile.empty()) arguments.insert(arguments.end(), {"-F", connection.configFile});
    if (connection.address.port) arguments.insert(arguments.end(), {"-p", std::to_string(*connection.address.port)});
    if (connection.unattended) arguments.insert(arguments.end(), {"-o", "BatchMode=yes"});
    if (!connection.sharingFolder.empty()) {
        arguments.insert(arguments.end(), {"-o", "ControlMaster=auto", "-o", "ControlPath=" + connection.sharingFolder + "/%C",
                                           "-o", "ControlPersist=60"});
    }
    const std::string& user = connection.address.user;
    arguments.insert(arguments.end(), {"-s", "--", user.empty() ? connection.address.host : user + "@" + connection.address.host, "sftp"});
    return arguments;
}

SftpResult<std::unique_ptr<SftpSession>> SftpSession::open(const SshConnection& connection)
{
    Result<ChannelChild> child = ChannelChild::start(sshArguments(connection));
    if (!child.ok()) {
        return SftpResult<std::unique_ptr<SftpSession>>::failure(
            SftpError{SftpFailure::ConnectionLost, SftpStatus::NoConnection, "ssh : " + child.error->reason});
    }
    std::unique_ptr<SftpSession> session(new SftpSession(std::move(child.value)));
    if (const SftpResult<bool> greeting = session->greet(); !greeting.ok()) {
        return SftpResult<std::unique_ptr<SftpSession>>::failure(*greeting.error);
    }
    return {std::move(session), std::nullopt};
}

SftpSession::~SftpSession() = default;

SftpResult<bool> SftpSession::greet()
{
    SftpPacketWriter init(SftpPacketType::Init);
    init.addUint32(kProtocolVersion);
    send(init.finish());
    while (!greeted_ && run()) {
    }
    if (lost_) return failedAs<bool>(*lost_);
    return {true, std::nullopt};
}

void SftpSession::submit(SftpRequest request, SftpCompletion completion)
{
    if (lost_) {
        completion(SftpResult<SftpAnswer>::failure(*lost_));
        return;
    }
    const std::uint32_t id = nextId_++;
    SftpPacketWriter writer(request.type);
    writer.addUint32(id);
    writer.addEncoded(request.fields);
    pending_.emplace(id, std::move(completion));
    send(writer.finish());
}

void SftpSession::send(std::string packet)
{
    outgoing_ += packet;
    sendWaiting();
}

void SftpSession::sendWaiting()
{
    while (!outgoing_.empty() && !lost_) {
        const ssize_t sent = ::send(child_.channel(), outgoing_.data(), outgoing_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            outgoing_.erase(0, static_cast<std::size_t>(sent));
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return;
        } else if (errno != EINTR) {
            loseConnection("");
        }
    }
}

bool SftpSession::run()
{
    if (lost_) return false;
    // A closed descriptor (-1) is left out by poll itself.
    pollfd watched[3] = {{child_.channel(), static_cast<short>(POLLIN | (outgoing_.empty() ? 0 : POLLOUT)), 0},
                         {child_.errors(), POLLIN, 0},
                         {wakeUp_, POLLIN, 0}};
    if (::poll(watched, 3, -1) < 0) return errno == EINTR;
    if (watched[1].revents != 0) readErrors();
    if (watched[0].revents & POLLOUT) sendWaiting();
    if (watched[0].revents & (POLLIN | POLLHUP | POLLERR)) receive();
    return !lost_;
}

void SftpSession::runUntilIdle()
{
    while (!pending_.empty() && run()) {
    }
}

void SftpSession::receive()
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::recv(child_.channel(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (count > 0) {
            incoming_.append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR) continue;
        const bool closed = count == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        takePackets();
        if (closed && !lost_) loseConnection("");
        return;
    }
}

void SftpSession::readErrors()
{
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(child_.errors(), buffer, sizeof buffer);
        if (count > 0) {
            if (errorText_.size() < kLongestErrorText) errorText_.append(buffer, static_cast<std::size_t>(count));
        } else if (count == 0) {
            child_.closeErrors();
            return;
        } else if (errno != EINTR) {
            return;
        }
    }
}

void SftpSession::takePackets()
{
    // Each packet leaves the buffer before its completion runs, which may itself wait for answers.
    while (!lost_) {
        const std::optional<std::uint32_t> length = sftpPacketLength(incoming_);
        if (!length) return;
        if (*length == 0 || *length > kLongestAnswer) {
            loseConnection("le serveur a envoyé un paquet illisible");
            return;
        }
        if (incoming_.size() < 4 + std::size_t{*length}) return;
        const std::string packet = incoming_.substr(4, *length);
        incoming_.erase(0, 4 + std::size_t{*length});
        take(static_cast<SftpPacketType>(static_cast<std::uint8_t>(packet.front())), std::string_view(packet).substr(1));
    }
}

void SftpSession::take(SftpPacketType type, std::string_view body)
{
    SftpPacketReader reader(body);
    if (!greeted_) {
        std::uint32_t version = 0;
        if (type != SftpPacketType::Version || !reader.readUint32(version) || version != kProtocolVersion) {
            loseConnection("le serveur ne parle pas la version 3 de SFTP");
            return;
        }
        std::string name;
        std::string data;
        while (reader.readString(name) && reader.readString(data)) extensions_.insert(name);
        greeted_ = true;
        return;
    }
    std::uint32_t id = 0;
    SftpAnswer answer;
    answer.type = type;
    const bool readable = reader.readUint32(id) && readAnswer(type, reader, answer);
    const auto waiting = pending_.find(id);
    if (!readable || waiting == pending_.end()) {
        loseConnection("le serveur a envoyé une réponse illisible");
        return;
    }
    SftpCompletion completion = std::move(waiting->second);
    pending_.erase(waiting);
    completion(completed(std::move(answer)));
}

std::string SftpSession::lostMessage()
{
    // ssh writes why it ended as it ends: wait for its last words a moment.
    for (int waited = 0; child_.errors() >= 0 && waited < kLastWordsMilliseconds; waited += 50) {
        pollfd watched{child_.errors(), POLLIN, 0};
        if (::poll(&watched, 1, 50) > 0) readErrors();
    }
    const std::string said = trimmed(errorText_);
    return said.empty() ? "la connexion SSH s'est fermée" : said;
}

void SftpSession::loseConnection(std::string why)
{
    lost_ = SftpError{SftpFailure::ConnectionLost, SftpStatus::ConnectionLost, why.empty() ? lostMessage() : why};
    outgoing_.clear();
    std::map<std::uint32_t, SftpCompletion> waiting;
    waiting.swap(pending_);
    for (auto& [id, completion] : waiting) completion(SftpResult<SftpAnswer>::failure(*lost_));
}

SftpResult<SftpAnswer> SftpSession::call(SftpRequest request)
{
    std::optional<SftpResult<SftpAnswer>> result;
    submit(std::move(request), [&result](SftpResult<SftpAnswer> answer) { result = std::move(answer); });
    while (!result && run()) {
    }
    if (!result) return SftpResult<SftpAnswer>::failure(*lost_);
    return std::move(*result);
}

SftpResult<SftpAnswer> SftpSession::extendedCall(const char* extension, SftpRequest request)
{
    if (!offers(extension)) {
        return SftpResult<SftpAnswer>::failure(
            SftpError{SftpFailure::Unsupported, SftpStatus::Unsupported, std::string("le serveur n'offre pas ") + extension});
    }
    return call(std::move(request));
}

SftpResult<std::string> SftpSession::realPath(const std::string& path) { return answeredName(call(realPathRequest(path))); }
SftpResult<SftpAttributes> SftpSession::linkStatus(const std::string& path) { return answeredAttributes(call(linkStatusRequest(path))); }
SftpResult<SftpAttributes> SftpSession::status(const std::string& path) { return answeredAttributes(call(statusRequest(path))); }
SftpResult<bool> SftpSession::removeFolder(const std::string& path) { return answeredDone(call(folderRemovalRequest(path))); }
SftpResult<bool> SftpSession::removeFile(const std::string& path) { return answeredDone(call(fileRemovalRequest(path))); }
SftpResult<std::string> SftpSession::readLink(const std::string& path) { return answeredName(call(linkReadingRequest(path))); }
SftpResult<std::string> SftpSession::openFolder(const std::string& path) { return answeredHandle(call(folderOpeningRequest(path))); }
SftpResult<bool> SftpSession::close(const std::string& handle) { return answeredDone(call(closingRequest(handle))); }

SftpResult<bool> SftpSession::setStatus(const std::string& path, const SftpAttributes& attributes)
{
    return answeredDone(call(statusSettingRequest(path, attributes)));
}

SftpResult<bool> SftpSession::setLinkStatus(const std::string& path, const SftpAttributes& attributes)
{
    return answeredDone(extendedCall(kLinkSetStat, linkStatusSettingRequest(path, attributes)));
}

SftpResult<bool> SftpSession::setHandleStatus(const std::string& handle, const SftpAttributes& attributes)
{
    return answeredDone(call(handleStatusSettingRequest(handle, attributes)));
}

SftpResult<bool> SftpSession::makeFolder(const std::string& path, std::uint32_t mode)
{
    SftpAttributes attributes;
    attributes.permissions = mode;
    return answeredDone(call(folderMakingRequest(path, attributes)));
}

SftpResult<bool> SftpSession::rename(const std::string& from, const std::string& to)
{
    return answeredDone(call(renameRequest(from, to)));
}

SftpResult<bool> SftpSession::replacingRename(const std::string& from, const std::string& to)
{
    return answeredDone(extendedCall(kPosixRename, extendedRequest(kPosixRename, {from, to})));
}

SftpResult<bool> SftpSession::hardLink(const std::string& existing, const std::string& link)
{
    return answeredDone(extendedCall(kHardLink, extendedRequest(kHardLink, {existing, link})));
}

SftpResult<bool> SftpSession::makeSymlink(const std::string& path, const std::string& target)
{
    return answeredDone(call(symlinkRequest(path, target)));
}

SftpResult<SftpFileSystem> SftpSession::fileSystem(const std::string& path)
{
    return answeredFileSystem(extendedCall(kStatvfs, extendedRequest(kStatvfs, {path})));
}

SftpResult<std::string> SftpSession::openFile(const std::string& path, std::uint32_t flags, const SftpAttributes& attributes)
{
    return answeredHandle(call(fileOpeningRequest(path, flags, attributes)));
}

SftpResult<bool> SftpSession::flushToDisk(const std::string& handle)
{
    return answeredDone(extendedCall(kFsync, extendedRequest(kFsync, {handle})));
}

}  // namespace velmorane::platform
