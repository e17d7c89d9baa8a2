#include "execution/run_report.h"

#include "execution/outcome_texts.h"
#include "platform/date_text.h"
#include "platform/paths.h"
#include "platform/state_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <filesystem>
#include <system_error>

namespace velmorane::execution {
namespace {

constexpr std::size_t kTimeWidth = 19;      // 2026-12-08T01:15:00
constexpr std::size_t kSequenceWidth = 6;   // runs of the same second follow one another
constexpr std::string_view kExtension = ".txt";

// A report's name: the profile's key, when it ran, its place among the runs of that second.
std::string reportName(const std::string& profileKey, std::int64_t time, unsigned sequence)
{
    char number[16];
    std::snprintf(number, sizeof number, "%06u", sequence);
    return profileKey + "_" + platform::isoDateText(time) + "_" + number + std::string(kExtension);
}

bool isReportOf(const std::string& name, const std::string& profileKey)
{
    const std::size_t sequence = profileKey.size() + 1 + kTimeWidth + 1;
    if (name.size() != sequence + kSequenceWidth + kExtension.size() || !name.starts_with(profileKey + "_") ||
        !name.ends_with(kExtension) || name[sequence - 1] != '_') {
        return false;
    }
    return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(sequence),
                       name.begin() + static_cast<std::ptrdiff_t>(sequence + kSequenceWidth),
                       [](char c) { return c >= '0' && c <= '9'; });
}

// The profile's reports, oldest first: their names sort as their times and sequences do.
std::vector<std::string> reportsOf(const std::string& profileKey)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(reportFolder(), error)) {
        std::string name = entry.path().filename().string();
        if (isReportOf(name, profileKey)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    return names;
}

unsigned nextSequence(const std::vector<std::string>& reports, const std::string& profileKey, std::int64_t time)
{
    const std::string sameSecond = profileKey + "_" + platform::isoDateText(time) + "_";
    unsigned sequence = 0;
    for (const std::string& name : reports) {
        if (!name.starts_with(sameSecond)) continue;
        sequence = std::max(sequence, static_cast<unsigned>(std::stoul(name.substr(sameSecond.size(), kSequenceWidth))) + 1);
    }
    return sequence;
}

void removeOldest(const std::vector<std::string>& reports, std::size_t kept)
{
    if (reports.size() <= kept) return;
    for (std::size_t i = 0; i < reports.size() - kept; ++i) {
        std::remove(platform::joinPath(reportFolder(), reports[i]).c_str());
    }
}

// A report is read in the desktop's text viewer: UTF-8 with LF, whatever a path holds. It is a new
// file, made without following a link.
platform::MaybeError writeReportFile(const std::string& path, const std::vector<std::string>& lines)
{
    if (auto error = platform::prepareStateFile(path)) return error;
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return platform::systemError(errno);
    const bool whole = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const int writeError = errno;
    ::close(fd);
    if (whole) return std::nullopt;
    std::remove(path.c_str());
    return platform::systemError(writeError ? writeError : EIO);
}

}  // namespace

std::string reportFolder()
{
    return platform::joinPath(platform::stateFolder(), "rapports");
}

std::string reportLine(const EntryFailure& failure)
{
    return failureFilesText(failure) + " : " + failureReasonText(failure);
}

platform::Result<std::string> writeRunReport(const std::string& profileKey, const std::string& windowTitle,
                                             const std::string& outcome, const std::vector<EntryFailure>& failures,
                                             std::int64_t time)
{
    const std::vector<std::string> before = reportsOf(profileKey);
    const std::string path =
        platform::joinPath(reportFolder(), reportName(profileKey, time, nextSequence(before, profileKey, time)));
    std::vector<std::string> lines{"Le " + platform::shortDateText(time) + " à " + platform::longTimeText(time),
                                   "Exécution du " + windowTitle + " : " + outcome};
    for (const EntryFailure& failure : failures) lines.push_back(reportLine(failure));
    if (auto error = writeReportFile(path, lines)) return platform::Result<std::string>::failure(*error);
    removeOldest(before, kReportsKept - 1);
    return {path, std::nullopt};
}

std::optional<std::string> lastRunReport(const std::string& profileKey)
{
    const std::vector<std::string> reports = reportsOf(profileKey);
    if (reports.empty()) return std::nullopt;
    return platform::joinPath(reportFolder(), reports.back());
}

}  // namespace velmorane::execution
