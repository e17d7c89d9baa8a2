#include "platform/freed_memory.h"

#include <malloc.h>

namespace velmorane::platform {

void returnFreedMemory()
{
    ::malloc_trim(0);
}

}  // namespace velmorane::platform
