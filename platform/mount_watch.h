#pragma once

#include "platform/open_file.h"

namespace velmorane::platform {

// Says when a volume is mounted or unmounted: the kernel marks the open table of mounts with a
// priority event for a poll, which an event loop watches on the descriptor.
class MountTableWatch {
public:
    MountTableWatch();
    // -1 when the table cannot be opened: the drives are then read once.
    int descriptor() const { return table_.fd(); }

private:
    OpenFile table_;
};

}  // namespace velmorane::platform
