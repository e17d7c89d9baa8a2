#include "platform/freed_memory.h"

#include <malloc.h>

namespace velmorane::platform {

void keepMemoryCompact()
{
    constexpr int kArenas = 2;
    constexpr int kMappedApartFrom = 4 * 1024 * 1024;
    ::mallopt(M_ARENA_MAX, kArenas);
    ::mallopt(M_MMAP_THRESHOLD, kMappedApartFrom);
}

void returnFreedMemory()
{
    ::malloc_trim(0);
}

}  // namespace velmorane::platform
