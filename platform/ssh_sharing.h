#pragma once

#include <string>

namespace velmorane::platform {

// The private folder where ssh keeps one connection to each server for a minute, which the next
// connections share (ControlMaster): a run after the folder list browsed a server, and each
// connection of a run after the first, ask no second password. The user's runtime folder, else
// one of the user's own in /tmp; empty when neither can be used, and then each connection is its own.
std::string sharedConnectionsFolder();

}  // namespace velmorane::platform
