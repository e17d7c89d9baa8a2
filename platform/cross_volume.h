#pragma once

#include "platform/awaited_answer.h"
#include "platform/paths.h"
#include "platform/volume.h"

#include <functional>
#include <string>

namespace velmorane::platform {

// Requests that read one volume's entries while another's are written or compared: the entries
// of a volume of another kind are read through its own requests. Never from a completion.

// A source only read: the requests are not const, but reading changes nothing of it.
VolumeAccess& readable(const VolumeAccess& volume);

// Whether two entries hold the same bytes (links: the same target), reading both in pieces; a
// file that changes while it is read proves nothing.
Result<bool> sameBytesAcross(const VolumeAccess& first, const FolderRef& firstFolder, const std::string& firstName,
                             const VolumeAccess& second, const FolderRef& secondFolder, const std::string& secondName);

// Where a folder's content read from a volume of another kind lands, `Folder` naming a folder of
// the writing side: each file copied (an add), each sub-folder made, then, once filled, given its
// source's attributes.
template <typename Folder>
struct ContentLanding {
    std::function<MaybeError(const FolderRef& from, const std::string& name, const Folder& to)> copyFile;
    std::function<Result<Folder>(const Folder& parent, const std::string& name)> makeFolder;
    std::function<MaybeError(const FolderRef& from, const std::string& name, const Folder& made)> settleFolder;
};

// Copies what a source folder holds into `to`, sub-folders whole, leaving out what the filter
// names (by its path inside the copied folder, `inside`). The first failure is kept; the rest
// goes on until the run is stopped.
template <typename Folder>
void copyContentAcross(const VolumeAccess& source, const FolderRef& from, const std::string& fromName, const Folder& to,
                       const std::string& inside, const ContentLanding<Folder>& landing, RunControl& control,
                       const EntryFilter& leavesOut, MaybeError& failure)
{
    const auto keep = [&](MaybeError error) {
        if (error && !failure) failure = std::move(error);
    };
    const auto read = awaited<Result<ReadFolderAnswer>>(
        [&](auto done) { readable(source).readFolder(from, fromName, done); });
    if (!read.ok()) return keep(read.error);
    const auto within = [&](const std::string& name) { return inside.empty() ? name : inside + kSeparator + name; };
    for (const FileRecord& file : read.value.content.files) {
        if (control.stopRequested()) return;
        if (leavesOut && leavesOut(within(file.name.str()), false)) continue;
        keep(landing.copyFile(read.value.folder, file.name.str(), to));
    }
    for (const std::string& name : read.value.content.subFolders) {
        if (control.stopRequested()) return;
        if (leavesOut && leavesOut(within(name), true)) continue;
        const Result<Folder> made = landing.makeFolder(to, name);
        if (!made.ok()) {
            keep(made.error);
            continue;
        }
        copyContentAcross(source, read.value.folder, name, made.value, within(name), landing, control, leavesOut, failure);
        keep(landing.settleFolder(read.value.folder, name, made.value));
    }
}

}  // namespace velmorane::platform
