#pragma once

#include "platform/system_error.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmorane::platform {

// $HOME, or the user's home folder in the password database when it is unset.
std::string homeFolder();

// The folder where the program keeps what it remembers between runs: $XDG_STATE_HOME/velmorane,
// or ~/.local/state/velmorane when that variable is unset or not an absolute path.
std::string stateFolder();

// The lines of a state file, or nothing when it is missing or cannot be trusted: anything but a
// plain file (a link included), a file of another user, a file that cannot be read.
std::optional<std::vector<std::string>> readStateFile(const std::string& path);

// Writes a state file whole, making its folders (private to the user) when missing. A link or a
// file of another user at its place is never written through nor replaced.
MaybeError writeStateFile(const std::string& path, const std::vector<std::string>& lines);

// Reads a state file, changes its lines and writes it back while no other program updating it
// does (a lock file beside it, "NAME.lock"): two runs ending together each keep what they add.
// `change` is given the lines read, or nothing when the file is missing or untrusted.
using StateChange = std::function<std::vector<std::string>(std::optional<std::vector<std::string>>)>;
MaybeError updateStateFile(const std::string& path, const StateChange& change);

// Whether a state file may be read: the user's own plain file, not a link.
bool trustedStateFile(const std::string& path);
// Before a state file is written: its folders exist (private to the user), and nothing at its
// place is a link or another user's file.
MaybeError prepareStateFile(const std::string& path);

}  // namespace velmorane::platform
