#pragma once

#include "platform/system_error.h"

#include <string>

namespace velmorane::platform {

// How long a notice waits for the desktop's notification daemon: a run that has ended must not
// hang on a daemon that never answers.
inline constexpr int kNoticeTimeoutMilliseconds = 3000;

// Shows a notice on the desktop (org.freedesktop.Notifications on the session bus), without action
// buttons. Without a session bus, or when the daemon refuses or does not answer in time, nothing is
// shown and the reason comes back; it never ends the program.
[[nodiscard]] MaybeError sendDesktopNotice(const std::string& title, const std::string& body,
                                           int timeoutMilliseconds = kNoticeTimeoutMilliseconds);

}  // namespace velmorane::platform
