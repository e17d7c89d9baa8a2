#pragma once

#include "platform/volume.h"

#include <future>
#include <utility>

namespace velmorane::testing {

// The answer of one request to a volume, waited for: `submit` is given the completion to pass on.
template <typename T, typename Submit>
platform::Result<T> answerOf(Submit submit)
{
    std::promise<platform::Result<T>> promise;
    auto future = promise.get_future();
    submit([&promise](platform::Result<T> answer) { promise.set_value(std::move(answer)); });
    return future.get();
}

template <typename Submit>
platform::MaybeError failureOf(Submit submit)
{
    std::promise<platform::MaybeError> promise;
    auto future = promise.get_future();
    submit([&promise](platform::MaybeError failure) { promise.set_value(std::move(failure)); });
    return future.get();
}

}  // namespace velmorane::testing
