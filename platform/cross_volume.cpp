#include "platform/cross_volume.h"

#include "platform/awaited_answer.h"

namespace velmorane::platform {
namespace {

constexpr std::int64_t kPieceSize = 1024 * 1024;

Result<EntryStatus> statusOf(const VolumeAccess& volume, const FolderRef& folder, const std::string& name)
{
    return awaited<Result<EntryStatus>>([&](auto done) { readable(volume).entryStatus(folder, name, done); });
}

Result<std::string> targetOf(const VolumeAccess& volume, const FolderRef& folder, const std::string& name)
{
    return awaited<Result<std::string>>([&](auto done) { readable(volume).readLink(folder, name, done); });
}

Result<std::string> pieceOf(const VolumeAccess& volume, const FolderRef& folder, const std::string& name,
                            std::int64_t offset)
{
    return awaited<Result<std::string>>(
        [&](auto done) { readable(volume).readFile(folder, name, offset, kPieceSize, done); });
}

bool unchanged(const EntryStatus& before, const Result<EntryStatus>& after)
{
    return after.ok() && after.value.kind == before.kind && after.value.size == before.size &&
           after.value.modified == before.modified;
}

}  // namespace

VolumeAccess& readable(const VolumeAccess& volume)
{
    return const_cast<VolumeAccess&>(volume);
}

Result<bool> sameBytesAcross(const VolumeAccess& first, const FolderRef& firstFolder, const std::string& firstName,
                             const VolumeAccess& second, const FolderRef& secondFolder, const std::string& secondName)
{
    const auto one = statusOf(first, firstFolder, firstName);
    const auto other = statusOf(second, secondFolder, secondName);
    if (!one.ok()) return Result<bool>::failure(*one.error);
    if (!other.ok()) return Result<bool>::failure(*other.error);
    if (one.value.kind != other.value.kind || one.value.size != other.value.size) return {false, std::nullopt};
    if (one.value.kind == EntryKind::Link) {
        const auto oneTarget = targetOf(first, firstFolder, firstName);
        const auto otherTarget = targetOf(second, secondFolder, secondName);
        return {oneTarget.ok() && otherTarget.ok() && oneTarget.value == otherTarget.value, std::nullopt};
    }
    if (one.value.kind != EntryKind::File) return {false, std::nullopt};
    for (std::int64_t offset = 0; offset < one.value.size; offset += kPieceSize) {
        const auto onePiece = pieceOf(first, firstFolder, firstName, offset);
        const auto otherPiece = pieceOf(second, secondFolder, secondName, offset);
        if (!onePiece.ok()) return Result<bool>::failure(*onePiece.error);
        if (!otherPiece.ok()) return Result<bool>::failure(*otherPiece.error);
        if (onePiece.value != otherPiece.value) return {false, std::nullopt};
    }
    const bool steady = unchanged(one.value, statusOf(first, firstFolder, firstName)) &&
                        unchanged(other.value, statusOf(second, secondFolder, secondName));
    return {steady, std::nullopt};
}

}  // namespace velmorane::platform
