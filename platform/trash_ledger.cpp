#include "platform/trash_ledger.h"

#include "platform/directory_entries.h"
#include "platform/file_operations.h"
#include "platform/paths.h"
#include "platform/state_file.h"
#include "platform/volumes.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

constexpr const char* kHeader = "velmorane trashed 1";
constexpr std::size_t kLongestInfo = 64 * 1024;

// One line per entry: its three fields, each escaped as the mounts table does. Anything else makes
// the whole list unusable.
std::vector<TrashedEntry> parseEntries(const std::vector<std::string>& lines)
{
    if (lines.empty() || lines.front() != kHeader) return {};
    std::vector<TrashedEntry> entries;
    for (auto line = lines.begin() + 1; line != lines.end(); ++line) {
        std::istringstream fields(*line);
        std::string trash, trashName, infoText, extra;
        if (!(fields >> trash >> trashName >> infoText) || fields >> extra) return {};
        entries.push_back({decodeOctalEscapes(trash), decodeOctalEscapes(trashName), decodeOctalEscapes(infoText)});
    }
    return entries;
}

// The trash folder's files/ and info/, reached without following a link, the trash being the user's own.
struct OpenTrash {
    FolderHandle files;
    FolderHandle info;
};

std::optional<OpenTrash> openTrash(const std::string& trash)
{
    auto parent = FolderHandle::openStart(parentFolder(trash));
    if (!parent.ok()) return std::nullopt;
    auto folder = parent.value.openChild(lastComponent(trash));
    struct stat own{};
    if (!folder.ok() || ::fstat(folder.value.fd(), &own) != 0 || own.st_uid != ::geteuid()) return std::nullopt;
    auto files = folder.value.openChild("files");
    auto info = folder.value.openChild("info");
    if (!files.ok() || !info.ok()) return std::nullopt;
    return OpenTrash{std::move(files.value), std::move(info.value)};
}

std::string infoName(const std::string& trashName)
{
    return trashName + ".trashinfo";
}

// Whether the .trashinfo still says what the program wrote: else the entry is the user's now.
bool stillAsWritten(const FolderHandle& info, const TrashedEntry& entry)
{
    const int fd = ::openat(info.fd(), infoName(entry.trashName).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    std::string text(kLongestInfo, '\0');
    const ssize_t length = ::read(fd, text.data(), text.size());
    ::close(fd);
    return length >= 0 && text.substr(0, static_cast<std::size_t>(length)) == entry.infoText;
}

// The bytes of a file, or of everything below a folder, a link counting as its own text.
std::uint64_t bytesOf(const FolderHandle& folder, const std::string& name)
{
    struct stat info{};
    if (::fstatat(folder.fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return 0;
    if (!S_ISDIR(info.st_mode)) return static_cast<std::uint64_t>(info.st_size);
    const auto inside = folder.openChild(name);
    if (!inside.ok()) return 0;
    std::vector<std::string> names;
    [[maybe_unused]] const auto unread = forEachDirectoryEntry(
        inside.value, [&](std::string_view entry, unsigned char) { names.emplace_back(entry); });
    std::uint64_t total = 0;
    for (const std::string& entry : names) total += bytesOf(inside.value, entry);
    return total;
}

// Removes an entry and then its .trashinfo; the bytes freed, nothing when it could not go.
std::optional<std::uint64_t> removeEntry(const OpenTrash& trash, const std::string& trashName)
{
    const std::uint64_t bytes = bytesOf(trash.files, trashName);
    const auto kind = lookUp(trash.files, trashName);
    if (!kind.ok()) return std::nullopt;
    const MaybeError error = kind.value == EntryKind::Folder ? deleteFolder(trash.files, trashName)
                                                             : deleteFile(trash.files, trashName);
    if (error) return std::nullopt;
    ::unlinkat(trash.info.fd(), infoName(trashName).c_str(), 0);
    return bytes;
}

}  // namespace

TrashLedger::TrashLedger(std::string stateFile)
    : stateFile_(stateFile.empty() ? joinPath(stateFolder(), "trashed") : std::move(stateFile))
{
    if (const auto lines = readStateFile(stateFile_)) entries_ = parseEntries(*lines);
}

void TrashLedger::add(const Trashing& trashing)
{
    if (trashing.outcome != TrashOutcome::Trashed) return;
    entries_.push_back({trashing.trash, trashing.trashName, trashing.infoText});
    changed_ = true;
}

std::uint64_t TrashLedger::free(const std::string& trash, std::uint64_t wanted, const Trashing* kept)
{
    const auto opened = openTrash(trash);
    if (!opened) return 0;
    std::uint64_t freed = 0;
    std::vector<TrashedEntry> left;
    for (TrashedEntry& entry : entries_) {
        const bool inProgress = kept && kept->trash == entry.trash && kept->trashName == entry.trashName;
        if (entry.trash != trash || inProgress || freed >= wanted) {
            left.push_back(std::move(entry));
            continue;
        }
        changed_ = true;
        if (!stillAsWritten(opened->info, entry)) continue;
        if (const auto bytes = removeEntry(*opened, entry.trashName)) {
            freed += *bytes;
        } else {
            left.push_back(std::move(entry));
        }
    }
    entries_ = std::move(left);
    return freed;
}

void TrashLedger::forgetGone()
{
    std::map<std::string, std::optional<OpenTrash>> trashes;
    std::erase_if(entries_, [&](const TrashedEntry& entry) {
        auto [place, added] = trashes.try_emplace(entry.trash);
        if (added) place->second = openTrash(entry.trash);
        // A volume that is not there keeps its entries for when it comes back.
        if (!place->second) return false;
        struct stat info{};
        const bool gone = ::fstatat(place->second->info.fd(), infoName(entry.trashName).c_str(), &info,
                                    AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT;
        changed_ = changed_ || gone;
        return gone;
    });
}

MaybeError TrashLedger::save()
{
    forgetGone();
    if (!changed_) return std::nullopt;
    std::vector<std::string> lines{kHeader};
    for (const TrashedEntry& entry : entries_) {
        lines.push_back(encodeOctalEscapes(entry.trash) + " " + encodeOctalEscapes(entry.trashName) + " " +
                        encodeOctalEscapes(entry.infoText));
    }
    return writeStateFile(stateFile_, lines);
}

}  // namespace velmorane::platform
