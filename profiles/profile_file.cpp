#include "profiles/profile_file.h"

#include "platform/paths.h"
#include "platform/spaces.h"
#include "platform/text_file.h"
#include "profiles/file_refusal.h"

#include <array>
#include <charconv>
#include <limits>
#include <optional>
#include <string_view>

namespace velmorane::profiles {
namespace {

// A profile is seven lines: name, work folder, archive folder, direction code and label text,
// action code and label text.
constexpr std::size_t kFieldCount = 7;
constexpr int kSensField = 3;
constexpr int kActionField = 5;
constexpr std::array<int, 2> kFolderFields = {1, 2};

// The file's codes, in the order of the menus: -1 when not chosen. A code no menu has (only a
// hand-edited file holds one) chooses nothing.
constexpr std::array kDirectionCodes = {engine::Direction::WorkToArchive, engine::Direction::ArchiveToWork};
constexpr std::array kActionCodes = {engine::Action::Compare, engine::Action::Update, engine::Action::AddOnly,
                                     engine::Action::DeleteOnly, engine::Action::ReplaceOnly};

template <typename Choice, std::size_t Count>
Choice choiceOfCode(std::int16_t code, const std::array<Choice, Count>& codes)
{
    if (code < 0 || static_cast<std::size_t>(code) >= Count) return Choice::Unset;
    return codes[static_cast<std::size_t>(code)];
}

template <typename Choice, std::size_t Count>
std::string codeOfChoice(Choice choice, const std::array<Choice, Count>& codes)
{
    for (std::size_t code = 0; code < Count; ++code) {
        if (codes[code] == choice) return std::to_string(code);
    }
    return "-1";
}

std::array<std::string, kFieldCount> fieldsOf(const Profile& profile)
{
    const engine::RunSettings& settings = profile.settings;
    return {profile.name, settings.source, settings.archive, codeOfChoice(settings.direction, kDirectionCodes),
            settings.directionText, codeOfChoice(settings.action, kActionCodes), settings.actionText};
}

std::optional<long> wholeNumber(std::string_view text)
{
    text = platform::trimmedSpaces(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<std::int16_t> code(std::string_view text)
{
    const auto value = wholeNumber(text);
    if (!value || *value < std::numeric_limits<std::int16_t>::min() ||
        *value > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(*value);
}

LoadResult incorrect()
{
    return {{}, LoadFailure::Incorrect};
}

// C0 controls and DEL as bytes, C1 controls as their UTF-8 pairs.
bool holdsControlCharacter(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F) return true;
        if (byte == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) return true;
    }
    return false;
}

bool holdsMoreThanCounted(const std::vector<std::string>& lines, std::size_t counted)
{
    for (std::size_t i = counted; i < lines.size(); ++i) {
        if (!platform::trimmedSpaces(lines[i]).empty()) return true;
    }
    return false;
}

}  // namespace

std::string Profile::record() const
{
    const auto fields = fieldsOf(*this);
    std::string text = fields[0];
    for (std::size_t i = 1; i < fields.size(); ++i) text += "\n" + fields[i];
    return text;
}

LoadResult loadProfileFile(const std::string& path)
{
    if (!platform::fileExists(path)) return {};
    const auto lines = platform::readTextLines(path);
    if (!lines.ok() || lines.value.empty()) return incorrect();
    const auto count = wholeNumber(lines.value[0]);
    if (count && *count == 0) {
        LoadResult empty{{}, LoadFailure::Empty};
        empty.table.incorrectFile = holdsMoreThanCounted(lines.value, 1);
        return empty;
    }
    if (!count || *count < 0) return incorrect();

    LoadResult result;
    for (long number = 0; number < *count; ++number) {
        const std::size_t first = 1 + static_cast<std::size_t>(number) * kFieldCount;
        if (first + kFieldCount > lines.value.size()) return incorrect();
        const auto field = [&](std::size_t index) -> const std::string& { return lines.value[first + index]; };
        const auto sens = code(field(kSensField));
        const auto action = code(field(kActionField));
        if (!sens || !action) return incorrect();
        for (const int folder : kFolderFields) {
            if (holdsControlCharacter(field(folder))) return incorrect();
        }
        result.table.profiles.push_back({field(0),
                                         {field(1), field(2), choiceOfCode(*sens, kDirectionCodes),
                                          choiceOfCode(*action, kActionCodes), field(4), field(6)}});
    }
    result.table.incorrectFile = holdsMoreThanCounted(lines.value, 1 + static_cast<std::size_t>(*count) * kFieldCount);
    return result;
}

ProfilesRead readProfiles(const std::string& path)
{
    // Taken before reading: a change made meanwhile only costs one more reading later.
    const platform::FileStamp stamp = platform::fileStamp(path);
    ProfilesRead failed;
    failed.table.fileStamp = stamp;
    // A planted file must never choose the folders that a run deletes in.
    if (auto refusal = refusalReason(path)) {
        failed.problem = ProfileFileProblem{ProfileFileFault::Untrusted, std::move(*refusal)};
        return failed;
    }
    LoadResult result = loadProfileFile(path);
    result.table.fileStamp = stamp;
    if (result.failure == LoadFailure::None) return {std::move(result.table), std::nullopt};
    const bool empty = result.failure == LoadFailure::Empty;
    failed.problem = ProfileFileProblem{empty ? ProfileFileFault::Empty : ProfileFileFault::Incorrect, {}};
    // A file that holds no profile is the program's own, and loses nothing when replaced.
    failed.table.incorrectFile = !empty || result.table.incorrectFile;
    return failed;
}

Reread rereadWhenChanged(const std::string& path, ProfileTable& table)
{
    if (platform::fileStamp(path) == table.fileStamp) return {};
    const bool backupKept = table.backupKept;
    ProfilesRead read = readProfiles(path);
    table = std::move(read.table);
    table.backupKept = backupKept;
    return {true, std::move(read.problem)};
}

platform::MaybeError writeProfileFile(const std::string& path, const ProfileTable& table, Backup backup)
{
    std::vector<std::string> lines;
    lines.reserve(1 + table.profiles.size() * kFieldCount);
    std::string count = " ";  // not " " + to_string(...): GCC 12 warns falsely (-Wrestrict) at -O2
    count += std::to_string(table.count());
    lines.push_back(count + " ");
    for (const Profile& profile : table.profiles) {
        const auto fields = fieldsOf(profile);
        lines.insert(lines.end(), fields.begin(), fields.end());
    }
    return platform::writeTextFileAtomically(path, lines, backup == Backup::Keep ? kBackupSuffix : "");
}

std::optional<ProfileWriteProblem> writeProfiles(const std::string& path, ProfileTable& table, IncorrectFile incorrect)
{
    // Writing over a planted file or link would hand its owner the user's profiles.
    if (auto reason = refusalReason(path)) return ProfileWriteProblem{WriteFault::Failed, std::move(*reason)};
    const bool replacing = table.incorrectFile && platform::fileStamp(path).exists;
    if (replacing && incorrect == IncorrectFile::AskFirst) return ProfileWriteProblem{WriteFault::NeedsReplaceConsent, {}};
    if (auto error = writeProfileFile(path, table, replacing || !table.backupKept ? Backup::Keep : Backup::Skip)) {
        return ProfileWriteProblem{WriteFault::Failed, std::move(error->reason)};
    }
    table.fileStamp = platform::fileStamp(path);
    table.incorrectFile = false;
    table.backupKept = true;
    return std::nullopt;
}

}  // namespace velmorane::profiles
