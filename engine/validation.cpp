#include "engine/validation.h"

#include "platform/folder_identity.h"

namespace velmorane::engine {

std::optional<SettingsFault> settingsFault(const RunSettings& settings)
{
    if (settings.source.empty()) return SettingsFault::NoWorkFolder;
    if (settings.archive.empty()) return SettingsFault::NoArchiveFolder;
    if (settings.direction == Direction::Unset) return SettingsFault::NoDirection;
    if (settings.action == Action::Unset) return SettingsFault::NoAction;
    // One folder by two spellings is still one folder; two folders whose names differ only in
    // letter case are two on Linux.
    if (platform::sameFolder(settings.source, settings.archive)) return SettingsFault::SameFolders;
    return std::nullopt;
}

}  // namespace velmorane::engine
