#pragma once

#include <future>
#include <utility>

namespace velmorane::platform {

// The answer of one request to a volume, waited for: `submit` is given the completion to pass on.
// For those who need one answer before going on; whoever can keep requests in flight does.
template <typename Answer, typename Submit>
Answer awaited(Submit submit)
{
    std::promise<Answer> promise;
    auto future = promise.get_future();
    submit([&promise](Answer answer) { promise.set_value(std::move(answer)); });
    return future.get();
}

}  // namespace velmorane::platform
