#include "engine/settings.h"

namespace velmorane::engine {

RunFlags flagsFor(std::int16_t typeAction)
{
    switch (typeAction) {
    case 1: return {false, true, true, true};
    case 2: return {false, true, false, false};
    case 3: return {false, false, false, true};
    case 4: return {false, false, true, false};
    default: return {true, false, false, false};
    }
}

}  // namespace velmorane::engine
