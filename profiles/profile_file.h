#pragma once

#include "engine/settings.h"
#include "platform/file_stamp.h"
#include "platform/system_error.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace velmorane::profiles {

inline constexpr const char* kProfileFileName = "ArchProfils.vlr";
// The first rewrite of a session keeps the file it replaces under its name followed by this; later
// rewrites keep it there, so that it still holds the file as the session first found it.
inline constexpr const char* kBackupSuffix = ".bak";

// A saved set of settings under its name. The texts of the direction and action labels are kept as
// they were shown, not derived again from the direction and action.
struct Profile {
    std::string name;
    engine::RunSettings settings;

    // The seven lines the file holds for it, joined by line feeds, as the ordering compares them.
    std::string record() const;
    bool operator==(const Profile&) const = default;
};

// The loaded profiles; a profile's number (from 1) is its place in the file and in the menu.
struct ProfileTable {
    ProfileTable() = default;
    explicit ProfileTable(std::vector<Profile> loaded) : profiles(std::move(loaded)) {}

    std::vector<Profile> profiles;
    // The file as it was when the table was read from it or written to it. A file that no longer
    // matches was changed by someone else, and is read again before a change is applied to it.
    platform::FileStamp fileStamp;
    // The file failed to load, or holds more than the profiles its count says: it is replaced only
    // after a question that names it.
    bool incorrectFile = false;
    // This session has already kept the file it first replaced as the backup.
    bool backupKept = false;

    int count() const { return static_cast<int>(profiles.size()); }
    const Profile& at(int number) const { return profiles.at(static_cast<std::size_t>(number - 1)); }
    Profile& at(int number) { return profiles.at(static_cast<std::size_t>(number - 1)); }
};

enum class LoadFailure { None, Empty, Incorrect };

struct LoadResult {
    ProfileTable table;
    LoadFailure failure = LoadFailure::None;
};

// No file is no failure: there are just no profiles. A folder holding a control character (a
// line break, a NUL) makes the file incorrect: no folder is named so. Only the profiles the count
// says are loaded; anything but blank lines after them marks the table's file incorrect without a
// box, so that what follows is not dropped unasked.
LoadResult loadProfileFile(const std::string& path);
// Why the profile file could not be used: a file others may have planted (why, in `reason`), a
// file that holds no profile, or one that cannot be read as profiles.
enum class ProfileFileFault { Untrusted, Empty, Incorrect };
struct ProfileFileProblem {
    ProfileFileFault fault;
    std::string reason;
};

// The table, and the problem the user is to be told of: a failed load leaves no profile, and marks
// an incorrect file so that it is not replaced unasked.
struct ProfilesRead {
    ProfileTable table;
    std::optional<ProfileFileProblem> problem;
};
ProfilesRead readProfiles(const std::string& path);

// Loads the file again, as readProfiles, when it changed on disk since the table was read or
// written, so that a change made by hand is kept; the session's backup stays.
struct Reread {
    bool reread = false;
    std::optional<ProfileFileProblem> problem;
};
Reread rereadWhenChanged(const std::string& path, ProfileTable& table);

// Writes the file whole, the previous one kept under its name and ".bak" when asked.
enum class Backup { Keep, Skip };
[[nodiscard]] platform::MaybeError writeProfileFile(const std::string& path, const ProfileTable& table, Backup backup = Backup::Keep);
// Why the table was not written: the file of a failed load waits for the user's word to be replaced,
// or the file could not be written (why, in `reason`).
enum class WriteFault { NeedsReplaceConsent, Failed };
struct ProfileWriteProblem {
    WriteFault fault;
    std::string reason;
};
enum class IncorrectFile { AskFirst, Replace };

// Writes the file; the profiles of the table stay as they are either way. The file of a failed load
// is replaced only when the user said so, and is then kept as the backup, as the question promises;
// otherwise only the session's first rewrite keeps one. When written, the table's stamp is the new
// file's.
[[nodiscard]] std::optional<ProfileWriteProblem> writeProfiles(const std::string& path, ProfileTable& table,
                                                               IncorrectFile incorrect = IncorrectFile::AskFirst);

}  // namespace velmorane::profiles
