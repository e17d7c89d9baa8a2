#pragma once

#include "platform/system_error.h"
#include "platform/volume.h"

#include <memory>
#include <string>

namespace velmorane::engine {

// An entry's parent folder, opened one name at a time from the start folder, and its own name.
struct Place {
    platform::FolderRef folder;
    std::string name;
};

// A start folder reached through its volume, opened once: the places of the entries below it.
class StartFolder {
public:
    explicit StartFolder(platform::VolumeAccess& volume);

    platform::VolumeAccess& volume() const { return volume_; }
    // The start folder's path, with its trailing "/", as entries begin.
    const std::string& path() const { return path_; }
    bool opened() const { return root_.ok(); }

    // The place of a path below the start folder; a path outside it is a malformed entry.
    platform::Result<Place> placeOf(const std::string& path) const;
    // The folder at a path below the start folder, or the start folder itself.
    platform::Result<platform::FolderRef> folderAt(const std::string& path) const;

private:
    platform::Result<platform::FolderRef> openBelowRoot(const std::string& relative) const;

    platform::VolumeAccess& volume_;
    const std::string path_;
    const platform::Result<platform::FolderRef> root_;
};

// The two start folders of a run, each through a volume of its own that answers on the caller's
// thread: the requests of an entry follow one another, and a request's filter may make requests
// of its own (a folder copy asks the moves to rename what it comes across) without waiting on
// another thread.
class RunFolders {
public:
    RunFolders(const std::string& sourceFolder, const std::string& destinationFolder,
               platform::Questions questions = platform::Questions::Refused);

    const StartFolder& source() const { return source_; }
    const StartFolder& dest() const { return dest_; }

private:
    std::unique_ptr<platform::VolumeAccess> sourceVolume_;
    std::unique_ptr<platform::VolumeAccess> destVolume_;
    const StartFolder source_;
    const StartFolder dest_;
};

// One folder below a start folder kept open while the entries of that folder are looked at one
// after another; the next folder asked for closes it.
class OpenFolderCache {
public:
    explicit OpenFolderCache(const StartFolder& start) : start_(start) {}

    // The folder at a path below the start folder (as entries name it), or nothing when it cannot
    // be opened.
    const platform::FolderRef* at(const std::string& folderPath);

private:
    const StartFolder& start_;
    bool opened_ = false;
    std::string path_;
    platform::Result<platform::FolderRef> folder_;
};

}  // namespace velmorane::engine
