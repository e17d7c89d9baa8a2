#pragma once

#include "platform/system_error.h"

#include <string>
#include <string_view>

namespace velmorane::platform {

// A folder kept open. What lies below it is reached relative to it, one name at a time, so no
// path is ever resolved again and a link put in a folder's place is never entered.
class FolderHandle {
public:
    FolderHandle() = default;
    explicit FolderHandle(int fd) : fd_(fd) {}
    ~FolderHandle();
    FolderHandle(FolderHandle&& other) noexcept;
    FolderHandle& operator=(FolderHandle&& other) noexcept;
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }

    // A start folder named by the user: a link naming it is followed here, and only here.
    static Result<FolderHandle> openStart(const std::string& path);
    // A sub-folder; a link in its place fails with the system's reason and is not entered.
    Result<FolderHandle> openChild(std::string_view name) const;
    // A folder below this one ("a/b/", or "" for this folder itself), opened one name at a time.
    Result<FolderHandle> openBelow(std::string_view relative) const;

private:
    int fd_ = -1;
};

// A name that can stand for one entry of a folder: not empty, no "/", not "." or "..".
bool isPlainName(std::string_view name);

}  // namespace velmorane::platform
