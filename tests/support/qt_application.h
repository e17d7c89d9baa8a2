#pragma once

namespace velmorane::testing {

// The one QApplication of a test program, made on the first call: offscreen unless the environment
// names another platform, with the style and the translations the program itself uses.
void ensureQtApplication();

}  // namespace velmorane::testing
