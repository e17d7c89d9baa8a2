#include "platform/sftp_volume.h"

#include "platform/folder_listing.h"
#include "platform/paths.h"
#include "platform/sftp_calls.h"
#include "platform/sftp_errors.h"
#include "platform/temporary_name.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace velmorane::platform {
namespace {

// The steps of an execution wait on the server's answers, not on this machine: a few threads
// keep enough of them in flight.
constexpr unsigned kMostExecutionThreads = 8;

// Files written through this many sessions are made durable together: a disk syncs several
// files at once in little more time than one (measured: 2 000 files of 100 KiB added in 0.9 of
// the time one session takes).
constexpr unsigned kWritingSessions = 4;

template <typename T>
Result<T> failed(SystemError error)
{
    return Result<T>::failure(std::move(error));
}

// A folder's place holds a link or a file: it is not entered, as a local volume's O_NOFOLLOW refuses it.
std::optional<SystemError> notAFolder(const SftpAttributes& attributes)
{
    if (attributes.isFolder()) return std::nullopt;
    return systemError(attributes.isLink() ? ELOOP : ENOTDIR);
}

FileRecord recordOf(SftpNamedEntry& entry)
{
    const SftpAttributes& attributes = entry.attributes;
    FileRecord record;
    record.name = std::move(entry.name);
    record.size = static_cast<std::int64_t>(attributes.size.value_or(0));
    record.modified = attributes.modificationTime.value_or(0);
    record.isLink = attributes.isLink();
    record.permissions = {static_cast<std::uint16_t>(attributes.permissions.value_or(0) & 07777), attributes.uid.value_or(0),
                          attributes.gid.value_or(0)};
    return record;
}

void addEntry(FolderContent& content, SftpNamedEntry entry)
{
    const SftpAttributes& attributes = entry.attributes;
    if (entry.name == "..") return;
    if (entry.name == ".") {
        content.permissions = recordOf(entry).permissions;
    } else if (attributes.isFolder()) {
        content.subFolders.push_back(std::move(entry.name));
    } else if (!attributes.isRegularFile() && !attributes.isLink()) {
        content.specialFiles.push_back(recordOf(entry));
    } else if (isTemporaryName(entry.name)) {
        content.holdsTemporaries = true;
    } else {
        content.files.push_back(recordOf(entry));
    }
}

// One folder read on the session's thread: its LSTAT and OPENDIR leave together, then two
// READDIRs stay in flight until its end, so that a folder of a hundred names costs one round trip.
class FolderReading : public std::enable_shared_from_this<FolderReading> {
public:
    FolderReading(SftpChannel& channel, FolderRef folder, Completion<ReadFolderAnswer> done)
        : channel_(channel), folder_(std::move(folder)), done_(std::move(done))
    {
    }

    void start()
    {
        const std::string& path = sftpFolder(folder_).serverPath();
        channel_.submit(linkStatusRequest(withoutTrailingSeparator(path)), [self = shared_from_this()](auto answer) {
            const auto attributes = answeredAttributes(answer);
            if (!attributes.ok()) self->fail(systemErrorOf(*attributes.error));
            else if (const auto refused = notAFolder(attributes.value)) self->fail(*refused);
        });
        channel_.submit(folderOpeningRequest(path), [self = shared_from_this()](auto answer) {
            const auto handle = answeredHandle(answer);
            if (!handle.ok()) return self->fail(systemErrorOf(*handle.error));
            self->handle_ = handle.value;
            if (self->failure_) return self->close();
            self->askNames();
            self->askNames();
        });
    }

private:
    void askNames()
    {
        ++inFlight_;
        channel_.submit(folderReadingRequest(handle_), [self = shared_from_this()](SftpResult<SftpAnswer> answer) {
            --self->inFlight_;
            if (!answer.ok()) self->fail(systemErrorOf(*answer.error));
            if (!answer.ok() || answer.value.type == SftpPacketType::Status) self->ended_ = true;
            if (!self->ended_) {
                for (SftpNamedEntry& entry : answer.value.names) addEntry(self->content_, std::move(entry));
                self->askNames();
            }
            if (self->ended_ && self->inFlight_ == 0) self->close();
        });
    }

    // The answer goes out at once: the CLOSE needs no waiting for.
    void close()
    {
        channel_.submit(closingRequest(handle_), [](const SftpResult<SftpAnswer>&) {});
        if (failure_) return finish();
        sortContent(content_);
        done_({ReadFolderAnswer{std::move(folder_), std::move(content_)}, std::nullopt});
    }

    void fail(SystemError error)
    {
        if (!failure_) failure_ = std::move(error);
        if (handle_.empty() && !finished_) finish();
    }

    void finish()
    {
        if (finished_) return;
        finished_ = true;
        done_(failed<ReadFolderAnswer>(*failure_));
    }

    SftpChannel& channel_;
    FolderRef folder_;
    Completion<ReadFolderAnswer> done_;
    std::string handle_;
    FolderContent content_;
    int inFlight_ = 0;
    bool ended_ = false;
    bool finished_ = false;
    std::optional<SystemError> failure_;
};

}  // namespace

const SftpFolder& sftpFolder(const FolderRef& folder)
{
    return static_cast<const SftpFolder&>(*folder);
}

FolderRef childFolderOf(const FolderRef& parent, const std::string& name)
{
    const SftpFolder& folder = sftpFolder(parent);
    return std::make_shared<const SftpFolder>(folder.path() + name + kSeparator, folder.serverPath() + name + kSeparator);
}

SftpVolume::SftpVolume(std::string startFolder, SftpAddress address, SshConnection connection, unsigned concurrency)
    : startFolder_(std::move(startFolder)), address_(std::move(address)), connection_(connection),
      channel_(std::move(connection)), pool_(std::min(concurrency, kMostExecutionThreads))
{
}

// The extra sessions share the first one's connection, and ask nothing: where the server refuses
// another session on it (its MaxSessions), ssh logs in anew, which a password would stop; the
// first session then writes their files. Without a shared connection each would be another login.
SftpChannel& SftpVolume::writingChannel()
{
    std::call_once(writersOpened_, [this] {
        if (connection_.sharingFolder.empty()) return;
        SshConnection silent = connection_;
        silent.unattended = true;
        for (unsigned extra = 1; extra < kWritingSessions; ++extra) {
            writers_.push_back(std::make_unique<SftpChannel>(silent));
        }
    });
    const auto turn = nextWriter_++ % (writers_.size() + 1);
    if (turn == 0 || writers_[turn - 1]->connectionFailure()) return channel_;
    return *writers_[turn - 1];
}

const SftpVolume::ServerFacts& SftpVolume::facts() const
{
    std::call_once(factsFound_, [this] {
        if (channel_.connectionFailure()) return;
        // Two rounds of requests in flight together: the paths, then what lies at them.
        auto paths = callAll(channel_, {realPathRequest(address_.path), realPathRequest("."),
                                        linkStatusRequest(address_.path)});
        const auto start = answeredName(paths[0]);
        const auto home = answeredName(paths[1]);
        facts_.realStart = start.ok() ? start.value : address_.path;
        if (!home.ok()) return;
        facts_.home = home.value;
        const bool sized = channel_.offers(kStatvfs);
        std::vector<SftpRequest> looks{linkStatusRequest(facts_.home), extendedRequest(kStatvfs, {facts_.home}),
                                       extendedRequest(kStatvfs, {facts_.realStart})};
        // SFTP does not say what file system the start folder is on. Giving it the bits it has
        // changes nothing where bits are kept; one without them (FAT) does not support it. Not
        // where the system may drop a set-group-ID bit on the way, which FAT never shows.
        const auto own = answeredAttributes(paths[2]);
        const std::uint32_t bits = own.ok() ? own.value.permissions.value_or(0) & 07777 : 0;
        if (own.ok() && own.value.isFolder() && (bits & (S_ISUID | S_ISGID)) == 0) {
            SftpAttributes same;
            same.permissions = bits;
            looks.push_back(statusSettingRequest(address_.path, same));
        }
        auto found = callAll(channel_, std::move(looks));
        // The SSH user owns its home: what it may set follows from that.
        if (const auto owner = answeredAttributes(found[0]); owner.ok()) facts_.serverUid = owner.value.uid;
        if (const auto system = answeredFileSystem(found[1]); sized && system.ok()) facts_.homeSystem = system.value.id;
        if (const auto system = answeredFileSystem(found[2]); sized && system.ok()) facts_.startSystem = system.value.id;
        if (found.size() > 3) {
            const auto bits = answeredDone(found[3]);
            facts_.keepsBits = bits.ok() || systemErrorOf(*bits.error).number != EOPNOTSUPP;
        }
    });
    return facts_;
}

std::string SftpVolume::identity() const
{
    const ServerFacts& known = facts();
    // Appended rather than ":" + to_string(...): GCC 12 warns falsely (-Wrestrict) on that at -O2.
    std::string identity = "sftp:" + address_.user + "@" + address_.host;
    if (address_.port) identity.append(":").append(std::to_string(*address_.port));
    identity.append(":").append(known.realStart);
    if (known.startSystem) identity.append(":").append(std::to_string(*known.startSystem));
    return identity;
}

// SFTP version 3 carries bits, owners by number and whole seconds, and nothing else. A file system
// of the server without bits is taken for FAT, the commonest: local times to two seconds, no owners.
VolumeCapabilities SftpVolume::capabilities() const
{
    VolumeCapabilities kept;
    kept.times = facts().keepsBits ? TimePrecision::Seconds : TimePrecision::TwoSeconds;
    kept.localTimes = !facts().keepsBits;
    kept.keepsPermissions = facts().keepsBits;
    kept.keepsOwners = facts().keepsBits;
    kept.setsAnyOwner = facts().keepsBits && facts().serverUid == 0u;
    kept.keepsAcls = false;
    kept.keepsExtendedAttributes = false;
    kept.keepsHardLinks = false;
    kept.keepsHoles = false;
    kept.keepsFileIdentity = false;
    return kept;
}

VolumeGuarantees SftpVolume::guarantees() const
{
    return {false, false, true};
}

// Each folder read costs two round trips (OPENDIR, then READDIR): enough of them in flight hide a
// distant server's latency, few enough for the server's open handles.
unsigned SftpVolume::folderReadsInFlight() const
{
    return 256;
}

// The server carries out one request at a time: enough copies in flight keep it busy while each
// waits for its answers (measured: 16 add 2 000 files in 0.7 of what 4 take).
unsigned SftpVolume::entriesInFlight() const
{
    return 16;
}

void SftpVolume::openStart(Completion<FolderRef> done)
{
    if (const auto& failure = channel_.connectionFailure()) return done(failed<FolderRef>(connectionErrorOf(*failure)));
    FolderRef start = std::make_shared<const SftpFolder>(withTrailingSeparator(startFolder_),
                                                         withTrailingSeparator(address_.path));
    channel_.submit(linkStatusRequest(address_.path), [start = std::move(start), done = std::move(done)](auto answer) {
        const auto attributes = answeredAttributes(answer);
        if (!attributes.ok()) return done(failed<FolderRef>(systemErrorOf(*attributes.error)));
        if (const auto refused = notAFolder(attributes.value)) return done(failed<FolderRef>(*refused));
        done({start, std::nullopt});
    });
}

void SftpVolume::readStart(Completion<ReadFolderAnswer> done)
{
    if (const auto& failure = channel_.connectionFailure()) {
        return done(failed<ReadFolderAnswer>(connectionErrorOf(*failure)));
    }
    FolderRef start = std::make_shared<const SftpFolder>(withTrailingSeparator(startFolder_),
                                                         withTrailingSeparator(address_.path));
    std::make_shared<FolderReading>(channel_, std::move(start), std::move(done))->start();
}

void SftpVolume::openFolder(FolderRef parent, std::string name, Completion<FolderRef> done)
{
    FolderRef folder = childFolderOf(parent, name);
    const std::string path = withoutTrailingSeparator(sftpFolder(folder).serverPath());
    channel_.submit(linkStatusRequest(path), [folder = std::move(folder), done = std::move(done)](auto answer) {
        const auto attributes = answeredAttributes(answer);
        if (!attributes.ok()) return done(failed<FolderRef>(systemErrorOf(*attributes.error)));
        if (const auto refused = notAFolder(attributes.value)) return done(failed<FolderRef>(*refused));
        done({folder, std::nullopt});
    });
}

void SftpVolume::readFolder(FolderRef parent, std::string name, Completion<ReadFolderAnswer> done)
{
    std::make_shared<FolderReading>(channel_, childFolderOf(parent, name), std::move(done))->start();
}

void SftpVolume::readFile(FolderRef folder, std::string name, std::int64_t offset, std::int64_t length,
                          Completion<std::string> done)
{
    if (offset < 0 || length < 0) return done(failed<std::string>(systemError(EINVAL)));
    pool_.submit([this, path = sftpFolder(folder).serverPath() + name, offset, length, done = std::move(done)] {
        done(remoteBytes(channel_, path, static_cast<std::uint64_t>(offset), static_cast<std::uint64_t>(length)));
    });
}

void SftpVolume::readLink(FolderRef folder, std::string name, Completion<std::string> done)
{
    channel_.submit(linkReadingRequest(sftpFolder(folder).serverPath() + name), [done = std::move(done)](auto answer) {
        const auto target = answeredName(answer);
        if (!target.ok()) return done(failed<std::string>(systemErrorOf(*target.error)));
        done({target.value, std::nullopt});
    });
}

// Neither ACLs nor extended attributes travel over SFTP: there is nothing to compare.
void SftpVolume::attributesDiffer(const VolumeAccess&, FolderRef, std::string, FolderRef, std::string,
                                  Completion<bool> done)
{
    done({false, std::nullopt});
}

void SftpVolume::entryStatus(FolderRef folder, std::string name, Completion<EntryStatus> done)
{
    channel_.submit(linkStatusRequest(sftpFolder(folder).serverPath() + name), [done = std::move(done)](auto answer) {
        const auto attributes = answeredAttributes(answer);
        if (!attributes.ok()) {
            const SystemError error = systemErrorOf(*attributes.error);
            if (error.number == ENOENT) return done({EntryStatus{}, std::nullopt});
            return done(failed<EntryStatus>(error));
        }
        const SftpAttributes& found = attributes.value;
        const EntryKind kind = found.isRegularFile() ? EntryKind::File
                               : found.isLink()      ? EntryKind::Link
                               : found.isFolder()    ? EntryKind::Folder
                                                     : EntryKind::Other;
        const std::int64_t modified = std::int64_t{found.modificationTime.value_or(0)} * 1'000'000'000;
        done({EntryStatus{kind, static_cast<std::int64_t>(found.size.value_or(0)), modified, {}}, std::nullopt});
    });
}

}  // namespace velmorane::platform
