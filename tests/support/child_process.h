#pragma once

#include "tests/support/test_tree.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace velmorane::testing {

// Runs body in a forked child and returns the text it returned. Lets a test change what must not
// leak into the other tests (its root folder, its user). A child that dies says so in the text.
std::string inChild(const std::function<std::string()>& body);

// Inside a child: become the ordinary user "nobody", so that permissions apply even when the tests
// run as root. Give the tree to that user first (TempFolder::chownAll). False when it failed.
inline constexpr unsigned kNobody = 65534;
bool becomeNobody();

struct ProgramRun {
    int exitCode = -1;  // -1 when the program did not end by itself
    std::string out;
    std::string err;
};

// Starts a program in a working directory as on a machine without display (neither DISPLAY nor
// WAYLAND_DISPLAY, no QT_QPA_PLATFORM chosen for it, no session bus) but for the variables given, waits for it
// and collects both its output streams.
ProgramRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& workingDirectory,
                      const std::vector<std::pair<std::string, std::string>>& environment = {});

// Standard error of an unattended run without the line naming its report ("Rapport : …"), for the
// tests of what else it says; the tests of reports check that line themselves.
std::string withoutReportLine(const std::string& err);

// What a tool of the system (/usr/bin/NAME) prints, or why it failed.
std::string tool(const std::string& name, const std::vector<std::string>& arguments);

// Runs body as the ordinary user "nobody" when the tests run as root, so that permissions apply;
// the tree is handed to that user first. What body returns comes back from the child.
std::string asOrdinaryUser(TempFolder& tree, const std::function<std::string()>& body);

}  // namespace velmorane::testing
