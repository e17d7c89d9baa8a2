#pragma once

#include "platform/system_error.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmorane::execution {

inline constexpr const char* kJournalFileName = "ArchJournal.vlr";

// The two lines an unattended execution leaves: when, and which profile, with " : OK" or the
// number of failures.
std::vector<std::string> journalLines(const std::string& windowTitle, int failures, std::int64_t time);
// The lines of an unattended run that stopped before executing: " : Non exécuté (" + the reason + ")".
std::vector<std::string> notExecutedLines(const std::string& windowTitle, const std::string& reason,
                                          std::int64_t time);

// The lines of an unattended execution the user stopped: " : Interrompue (N fichier(s) traité(s))".
std::vector<std::string> interruptedLines(const std::string& windowTitle, std::size_t entriesDone, std::int64_t time);

// What the second line says after the profile: "OK", "3 erreur(s)", "Non exécuté (…)", "Interrompue (…)".
std::string journalOutcome(const std::vector<std::string>& lines, const std::string& windowTitle);
inline constexpr const char* kGoodOutcome = "OK";

[[nodiscard]] platform::MaybeError writeJournalEntry(const std::string& path, const std::string& windowTitle, int failures,
                                       std::int64_t time);
[[nodiscard]] platform::MaybeError writeJournalLines(const std::string& path, const std::vector<std::string>& lines);

}  // namespace velmorane::execution
