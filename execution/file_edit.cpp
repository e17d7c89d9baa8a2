#include "execution/file_edit.h"

#include "platform/awaited_answer.h"
#include "platform/letter_case.h"
#include "platform/spaces.h"
#include "platform/volume.h"

namespace velmorane::execution {
namespace {

using platform::awaited;
using platform::FolderRef;
using platform::MaybeError;
using platform::Result;

// The chosen file's folder, through a volume that answers in place.
struct ChosenFolder {
    std::unique_ptr<platform::VolumeAccess> volume;
    Result<FolderRef> opened;

    explicit ChosenFolder(const std::string& folder)
        : volume(platform::openVolume(folder, 0)),
          opened(awaited<Result<FolderRef>>([this](auto done) { volume->openStart(done); }))
    {
    }
};

}  // namespace

NewName checkNewName(const std::string& name, const std::optional<std::string>& typed)
{
    if (!typed || platform::trimmedSpaces(*typed).empty() ||
        platform::equalIgnoringCase(platform::trimmedSpaces(*typed), name)) {
        return NewName::Unchanged;
    }
    return typed->find('/') == std::string::npos ? NewName::Acceptable : NewName::HoldsSeparator;
}

MaybeError renameChosenFile(const std::string& folder, const std::string& name, const std::string& newName)
{
    const ChosenFolder chosen(folder);
    if (!chosen.opened.ok()) return chosen.opened.error;
    const FolderRef& at = chosen.opened.value;
    if (auto error = awaited<MaybeError>([&](auto done) { chosen.volume->clearReadOnly(at, name, done); })) {
        return error;
    }
    return awaited<MaybeError>(
        [&](auto done) { chosen.volume->rename(at, name, at, newName, platform::RenameMode::NoReplace, done); });
}

MaybeError deleteChosenFile(const std::string& folder, const std::string& name)
{
    const ChosenFolder chosen(folder);
    if (!chosen.opened.ok()) return chosen.opened.error;
    return awaited<MaybeError>([&](auto done) { chosen.volume->remove(chosen.opened.value, name, done); });
}

}  // namespace velmorane::execution
