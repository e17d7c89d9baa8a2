#include "platform/copying_user.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {

CopyingUser CopyingUser::current()
{
    CopyingUser user;
    user.uid_ = ::geteuid();
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    groups.resize(static_cast<std::size_t>(std::max(::getgroups(static_cast<int>(groups.size()), groups.data()), 0)));
    user.groups_.assign(groups.begin(), groups.end());
    user.groups_.push_back(::getegid());
    return user;
}

bool CopyingUser::isMemberOf(std::uint32_t gid) const
{
    return std::find(groups_.begin(), groups_.end(), gid) != groups_.end();
}

std::uint32_t CopyingUser::modeOfCopy(const Permissions& source) const
{
    if (keepsOwners()) return source.mode;
    if (source.uid != uid_) return source.mode & ~std::uint32_t{S_ISUID | S_ISGID};
    if (!isMemberOf(source.gid)) return source.mode & ~std::uint32_t{S_ISGID};
    return source.mode;
}

}  // namespace velmorane::platform
