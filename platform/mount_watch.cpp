#include "platform/mount_watch.h"

#include <fcntl.h>

namespace velmorane::platform {

MountTableWatch::MountTableWatch() : table_(::open("/proc/self/mounts", O_RDONLY | O_CLOEXEC)) {}

}  // namespace velmorane::platform
