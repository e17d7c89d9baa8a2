#pragma once

#include "platform/entry_records.h"
#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <optional>
#include <string>
#include <string_view>

namespace velmorane::platform {

// The desktop's trash, laid out as every freedesktop.org desktop shares it, so that any file
// manager (or `gio trash --list`) shows what went there and puts it back where it was.
//
// An entry is named by its open folder and plain name (a link is acted on as a link, never
// followed) and by its absolute path, which its `.trashinfo` keeps. It goes to the home trash
// ($XDG_DATA_HOME/Trash, by default ~/.local/share/Trash) when it lies on the same volume; else to
// the trash at the top folder of its own volume: .Trash/$uid when .Trash is a real folder with the
// sticky bit, else .Trash-$uid. A trash folder that is a link or belongs to another user is never
// used. The .trashinfo is written first, under a name no other trashing holds ("NAME", "NAME 2",
// ...), then the entry is renamed into the trash: same volume, no copy, a whole folder at once.

// A trashing's files/ and info/ folders, kept open as long as the trashing is kept.
struct TrashPlaces {
    FolderHandle files;
    FolderHandle info;
};

// A .trashinfo's text for an entry at `path` trashed now; a volume's trash keeps the path below its
// top folder (empty: the home trash, which keeps the whole path).
std::string trashInfoText(const std::string& path, const std::string& topFolder);
// An entry's name in a trash: "NAME", then "NAME 2", "NAME 3"..., cut to fit with its .trashinfo.
std::string trashNameFor(std::string_view name, int number);
std::string trashInfoName(const std::string& trashName);

// The trash that entries of this folder (absolute path) would go to, found or made now; nothing
// when no trash can be used on its volume, for the reasons NoTrash covers.
std::optional<std::string> usableTrash(const FolderHandle& folder, const std::string& folderPath);

// `absolutePath` may end with "/" for a folder. A failure (the Result's error: the entry vanished,
// the volume is full, the folder holds the trash, a volume is mounted there, the trash refuses the
// entry, as an immutable folder's) leaves the entry where it was and the trash as it was. NoTrash
// covers a read-only volume, no permission, an unsafe or foreign trash folder, a name the volume
// refuses, an entry on another volume than its trash, and a folder on fusefat (whose driver leaves
// a renamed folder empty).
Result<Trashing> moveToTrash(const FolderHandle& folder, std::string_view name, const std::string& absolutePath);

// For a file or link about to be replaced: a hard link to it is kept in the trash, so its name
// never disappears and the new file is then renamed over it (CopyMode::Replace). The link shares
// the old file: whatever changes it before the rename (clearReadOnly) changes the trash's copy too.
// NoHardLinks (FAT, exFAT, or a file the user may not link): moveToTrash the old file, then put the
// new one in with CopyMode::Add; when that fails, undoTrashing puts the old file back.
Result<Trashing> keepReplacedInTrash(const FolderHandle& folder, std::string_view name,
                                     const std::string& absolutePath);

// Takes a trashing back: the entry returns under its name if the name is free (if the name still
// holds the same file, only the trash's link goes), and its .trashinfo is removed.
MaybeError undoTrashing(const Trashing& trashing, const FolderHandle& folder, std::string_view name);

}  // namespace velmorane::platform
