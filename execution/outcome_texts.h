#pragma once

#include "engine/settings.h"
#include "engine/validation.h"
#include "execution/executor.h"
#include "execution/mirror_run.h"

#include <optional>
#include <string>
#include <vector>

namespace velmorane::execution {

// The program's name: the title of the texts that have none of their own.
inline constexpr const char* kApplicationTitle = "Velmorane";

// A text as the user reads it: its title, then its lines joined by line feeds.
struct OutcomeText {
    std::string title;
    std::string text;
};

std::string settingsFaultText(engine::SettingsFault fault);

// What the user is told of a refused run; the journal keeps its first line.
OutcomeText refusalText(const Refusal& refusal);
std::string journalReason(const Refusal& refusal);
// The question to go on despite a refusal a person may overrule: a moved volume or a source
// without files, then a volume's top folder as destination.
OutcomeText goOnAnywayText(const Refusal& refusal);
OutcomeText volumeRootQuestionText(const Refusal& refusal);

// The "Erreur grave" question of a failed entry: its reason, then the files it concerns.
OutcomeText failureQuestionText(const EntryFailure& failure);
std::string failureReasonText(const EntryFailure& failure);
std::string failureFilesText(const EntryFailure& failure);

// What the report and standard error add at the end, one line each: the volumes where no trash
// could be used, the room made in the trashes, then a destination that keeps no ACL or extended
// attribute of those its source's files have (said once per run).
std::vector<std::string> executionNotes(const ExecutionReport& report);

// A line for standard error: the journal that did not take a run's entry, the volumes that could
// not be remembered.
std::string journalFailureText(const platform::SystemError& error);
std::string volumesNotRecordedText(const platform::SystemError& error);

// The report of an interactive execution: none for a comparison, when nothing was taken, or after
// a stop answered No; what was done when the user stopped it.
std::optional<OutcomeText> executionReportText(const ExecutionReport& report, const engine::RunFlags& flags);

}  // namespace velmorane::execution
