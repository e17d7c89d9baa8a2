#pragma once

#include "platform/entry_records.h"

#include <cstdint>
#include <vector>

namespace velmorane::platform {

// The user copies are made as, read once for a whole comparison or copy (not kept longer: a
// process may change its user): what a copy keeps of an owner and a group depends on it.
class CopyingUser {
public:
    static CopyingUser current();

    // Root gives its copies any owner and group.
    bool keepsOwners() const { return uid_ == 0; }
    std::uint32_t uid() const { return uid_; }
    bool isMemberOf(std::uint32_t gid) const;
    // The permission bits a copy of a file with these permissions gets: setuid and setgid go where
    // the owner cannot be kept, setgid where the group cannot (a plain user keeps the groups he is in).
    std::uint32_t modeOfCopy(const Permissions& source) const;

private:
    std::uint32_t uid_ = 0;
    std::vector<std::uint32_t> groups_;
};

}  // namespace velmorane::platform
