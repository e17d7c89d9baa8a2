#pragma once

#include <optional>
#include <string>
#include <utility>

namespace velmorane::platform {

// A failure of the operating system: its error number and its own text.
struct SystemError {
    int number = 0;
    std::string reason;
};

// The locale whose C library messages give the reasons: the interface is French whatever the
// user's locale is.
inline constexpr const char* kReasonLocale = "fr_FR.UTF-8";

// The C library's text for an error number in the locale named, or its English text when that
// locale is not installed.
std::string systemReason(int errorNumber, const char* localeName);

SystemError systemError(int errorNumber);

// A source file written while it was copied. No call of the system failed: it takes the number
// of "try again", since the next run copies the file again, and gives its own reason.
SystemError changedWhileCopied();

// Empty on success.
using MaybeError = std::optional<SystemError>;

// A value, or why there is none: the system's error by default, or a failure of the caller's own kind.
template <typename T, typename E = SystemError>
struct Result {
    T value{};
    std::optional<E> error;

    bool ok() const { return !error; }
    static Result failure(E e) { return Result{T{}, std::move(e)}; }
};

}  // namespace velmorane::platform
