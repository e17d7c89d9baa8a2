#include "engine/task_entry.h"

#include "platform/date_text.h"

namespace velmorane::engine {

std::string entryText(const TaskEntry& entry, const std::string& shownPath)
{
    if (entry.isFolder()) return shownPath + kFolderMarker;
    return shownPath + kFileSeparator + std::to_string(entry.size) + kFileSeparator + platform::dateText(entry.modified);
}

}  // namespace velmorane::engine
