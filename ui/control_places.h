#pragma once

#include <string>
#include <vector>

class QWidget;

namespace velmorane::ui {

// The visible named controls of a window that reach outside their parent, or over a visible named
// control beside them, each as "name: outside parent" or "name: under other". The content of a
// scrolled area counts as inside: the user scrolls to it.
std::vector<std::string> misplacedControls(const QWidget* window);

// Whether the window with its frame lies within the part of its screen that windows may take.
bool fitsScreen(const QWidget* window);

}  // namespace velmorane::ui
