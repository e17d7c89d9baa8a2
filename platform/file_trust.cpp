#include "platform/file_trust.h"

#include <sys/stat.h>
#include <unistd.h>

namespace velmorane::platform {
namespace {

bool ownedByAnother(const struct stat& info)
{
    return info.st_uid != ::geteuid() && info.st_uid != 0;
}

}  // namespace

FileTrust fileTrust(const std::string& path)
{
    struct stat own{};
    if (::lstat(path.c_str(), &own) != 0) return FileTrust::Trusted;
    if (ownedByAnother(own)) return FileTrust::OwnedByAnother;
    struct stat file = own;
    // A link's own permission bits mean nothing; a dangling one is for the caller's open to report.
    if (S_ISLNK(own.st_mode) && ::stat(path.c_str(), &file) != 0) return FileTrust::Trusted;
    if (ownedByAnother(file)) return FileTrust::OwnedByAnother;
    if (file.st_mode & S_IWOTH) return FileTrust::WritableByOthers;
    return FileTrust::Trusted;
}

}  // namespace velmorane::platform
