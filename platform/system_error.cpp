#include "platform/system_error.h"

#include <cstring>

namespace velmorane::platform {

SystemError systemError(int errorNumber)
{
    return SystemError{errorNumber, std::strerror(errorNumber)};
}

}  // namespace velmorane::platform
