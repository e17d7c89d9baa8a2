#include "engine/settings.h"

namespace velmorane::engine {

RunFlags flagsFor(Action action)
{
    switch (action) {
    case Action::Update: return {false, true, true, true};
    case Action::AddOnly: return {false, true, false, false};
    case Action::DeleteOnly: return {false, false, false, true};
    case Action::ReplaceOnly: return {false, false, true, false};
    case Action::Compare:
    case Action::Unset: break;
    }
    return {true, false, false, false};
}

}  // namespace velmorane::engine
