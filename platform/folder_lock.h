#pragma once

#include "platform/folder_handle.h"
#include "platform/system_error.h"

#include <string>

namespace velmorane::platform {

enum class LockKind { Shared, Exclusive };

// A lock on a folder, held for as long as this object lives. It is the kernel's (flock), so it
// goes with the program if the program dies.
class FolderLock {
public:
    // Never waits: a lock that another holds fails at once with EWOULDBLOCK.
    static Result<FolderLock> take(const std::string& folder, LockKind kind);

private:
    FolderHandle folder_;
};

// Whether two paths name one folder, whatever their spelling or the links on the way.
bool isSameFolder(const std::string& a, const std::string& b);

}  // namespace velmorane::platform
