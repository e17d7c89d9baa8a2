#pragma once

namespace velmorane::testing {

// The one QApplication of a test program, made on the first call: offscreen unless the environment
// names another platform, set up as the program sets up its own.
void ensureQtApplication();

}  // namespace velmorane::testing
