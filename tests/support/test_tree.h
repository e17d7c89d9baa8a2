#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmorane::testing {

// A fixed, whole-second time for files made by tests, so their date texts never depend on the clock.
inline constexpr std::int64_t kTestTime = 1'700'000'000;

// A fresh folder under /tmp for one test, removed whole in the destructor, read-only and unreadable
// sub-folders included. Paths given to its members are relative to it; missing parent folders are
// made on the way. Each maker returns the full path of what it made.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& root() const { return root_; }
    // The full path of a relative one; "" gives the root itself.
    std::string path(std::string_view relative) const;

    std::string makeFile(std::string_view relative, std::string_view content, std::int64_t mtime = kTestTime);
    // A file of that many zero bytes, made sparse so that sizes beyond 4 GiB cost no disk.
    std::string makeFile(std::string_view relative, std::int64_t size, std::int64_t mtime = kTestTime);
    std::string makeFolder(std::string_view relative);
    std::string makeLink(std::string_view relative, std::string_view target, std::int64_t mtime = kTestTime);
    // The file "profond.txt" holding `content`, at the bottom of `levels` nested folders all named
    // `name` below `relative`: made one folder at a time, so the path may pass any length.
    void makeDeepFile(std::string_view relative, std::string_view name, int levels, std::string_view content);
    // Sets the modification time of a file, folder or link (the link itself, never what it points to).
    void setMtime(std::string_view relative, std::int64_t mtime);

    // Hands the whole tree to another owner, for tests that must run as an ordinary user. Does
    // nothing when the tests do not run as root: they already are such a user.
    void chownAll(unsigned uid, unsigned gid);

private:
    std::string root_;
};

// One line per entry below root, sorted by path: "path|size|mtime|mode|target", where folders end
// with "/" and have no size, a link has its target and mode, and a regular file its content hash.
// Two trees that give the same lines hold the same names, kinds, sizes, times, modes and contents.
// Folder times change whenever an entry is added or removed; leave them out when that is expected.
enum class FolderTimes { Included, Left };
std::vector<std::string> readTree(const std::string& root, FolderTimes folderTimes = FolderTimes::Included);

std::string readFileBytes(const std::string& path);

using Names = std::vector<std::string>;
// The names in a folder, sorted.
Names namesIn(const std::string& folder);
void setMode(const std::string& path, unsigned mode);
// Sets or clears the immutable flag of a folder, as `chattr +i` does; false when refused.
bool setImmutable(const std::string& folder, bool immutable);

// A file's entry in a task list: "path *-* size *-* date".
std::string fileEntry(const std::string& path, std::int64_t size, std::int64_t mtime = kTestTime);

// One profile of ArchProfils.vlr in Windows-1252, from work to archive, a full mirror unless the
// action's code says otherwise.
std::string profileRecord(const std::string& name, const std::string& work, const std::string& archive,
                          const std::string& actionCode = "1");
// A profile file holding these records.
void writeProfileFile(const std::string& path, const std::vector<std::string>& records);

}  // namespace velmorane::testing
