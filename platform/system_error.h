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

SystemError systemError(int errorNumber);

// Empty on success.
using MaybeError = std::optional<SystemError>;

template <typename T>
struct Result {
    T value{};
    MaybeError error;

    bool ok() const { return !error; }
    static Result failure(SystemError e) { return Result{T{}, std::move(e)}; }
};

}  // namespace velmorane::platform
