#include "execution/journal.h"

#include "platform/date_text.h"
#include "platform/text_file.h"

namespace velmorane::execution {

namespace {

std::string profileLineStart(const std::string& windowTitle)
{
    return "\tExécution du " + windowTitle + " : ";
}

std::vector<std::string> entryLines(const std::string& windowTitle, const std::string& outcome, std::int64_t time)
{
    return {"Le " + platform::shortDateText(time) + " à " + platform::longTimeText(time),
            profileLineStart(windowTitle) + outcome};
}

}  // namespace

std::vector<std::string> journalLines(const std::string& windowTitle, int failures, std::int64_t time)
{
    return entryLines(windowTitle, failures == 0 ? kGoodOutcome : std::to_string(failures) + " erreur(s)", time);
}

std::string journalOutcome(const std::vector<std::string>& lines, const std::string& windowTitle)
{
    const std::string start = profileLineStart(windowTitle);
    if (lines.size() < 2 || !lines[1].starts_with(start)) return {};
    return lines[1].substr(start.size());
}

std::vector<std::string> notExecutedLines(const std::string& windowTitle, const std::string& reason,
                                          std::int64_t time)
{
    return entryLines(windowTitle, "Non exécuté (" + reason + ")", time);
}

std::vector<std::string> interruptedLines(const std::string& windowTitle, std::size_t entriesDone, std::int64_t time)
{
    return entryLines(windowTitle, "Interrompue (" + std::to_string(entriesDone) + " fichier(s) traité(s))", time);
}

platform::MaybeError writeJournalEntry(const std::string& path, const std::string& windowTitle, int failures,
                                       std::int64_t time)
{
    return writeJournalLines(path, journalLines(windowTitle, failures, time));
}

platform::MaybeError writeJournalLines(const std::string& path, const std::vector<std::string>& lines)
{
    return platform::appendTextLines(path, lines);
}

}  // namespace velmorane::execution
