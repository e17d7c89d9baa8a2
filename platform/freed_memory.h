#pragma once

namespace velmorane::platform {

// Gives back to the system the pages of memory the program freed. A walk's reading threads each
// allocate from an arena of their own and free there what they sorted: what comes after, on
// another thread, would otherwise grow on top of those idle pages.
void returnFreedMemory();

}  // namespace velmorane::platform
