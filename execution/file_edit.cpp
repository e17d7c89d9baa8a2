#include "execution/file_edit.h"

#include "platform/file_operations.h"
#include "platform/letter_case.h"
#include "platform/paths.h"
#include "platform/spaces.h"

namespace velmorane::execution {

NewName checkNewName(const std::string& name, const std::optional<std::string>& typed)
{
    if (!typed || platform::trimmedSpaces(*typed).empty() ||
        platform::equalIgnoringCase(platform::trimmedSpaces(*typed), name)) {
        return NewName::Unchanged;
    }
    return typed->find('/') == std::string::npos ? NewName::Acceptable : NewName::HoldsSeparator;
}

platform::MaybeError renameChosenFile(const std::string& folder, const std::string& name, const std::string& newName)
{
    const std::string path = platform::joinPath(folder, name);
    if (auto error = platform::clearReadOnly(path)) return error;
    return platform::renameFile(path, platform::joinPath(folder, newName));
}

platform::MaybeError deleteChosenFile(const std::string& folder, const std::string& name)
{
    return platform::deleteFile(platform::joinPath(folder, name));
}

}  // namespace velmorane::execution
