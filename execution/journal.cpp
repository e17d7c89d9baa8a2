#include "execution/journal.h"

#include "platform/date_text.h"
#include "platform/text_file.h"

namespace velmorane::execution {

std::vector<std::string> journalLines(const std::string& windowTitle, int failures, std::int64_t time)
{
    const std::string outcome = failures == 0 ? "OK" : std::to_string(failures) + " erreur(s)";
    return {"Le " + platform::shortDateText(time) + " à " + platform::longTimeText(time),
            "\tExécution du " + windowTitle + " : " + outcome};
}

platform::MaybeError writeJournalEntry(const std::string& path, const std::string& windowTitle, int failures,
                                       std::int64_t time)
{
    return platform::appendTextLines(path, journalLines(windowTitle, failures, time));
}

}  // namespace velmorane::execution
