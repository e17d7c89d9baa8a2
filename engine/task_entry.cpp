#include "engine/task_entry.h"

#include "platform/date_text.h"

namespace velmorane::engine {

std::string folderEntryText(const std::string& folderPath)
{
    return folderPath + kFolderMarker;
}

std::string fileEntryText(const std::string& filePath, std::int64_t size, std::int64_t modified)
{
    return filePath + kFileSeparator + std::to_string(size) + kFileSeparator + platform::dateText(modified);
}

}  // namespace velmorane::engine
