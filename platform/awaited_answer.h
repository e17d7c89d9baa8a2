#pragma once

#include <condition_variable>
#include <cstddef>
#include <future>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

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

// The answers of many requests sent at once and waited for together: over a network, one wait for
// all rather than one each. `submit(i, completion)` sends the i-th, or returns false to leave it out
// (its answer stays empty).
template <typename Answer, typename Submit>
std::vector<std::optional<Answer>> awaitedAll(std::size_t count, Submit submit)
{
    std::vector<std::optional<Answer>> answers(count);
    std::mutex mutex;
    std::condition_variable answered;
    std::size_t pending = 0;
    for (std::size_t i = 0; i < count; ++i) {
        {
            std::lock_guard lock(mutex);
            ++pending;
        }
        const bool sent = submit(i, [&, i](Answer answer) {
            std::lock_guard lock(mutex);
            answers[i] = std::move(answer);
            --pending;
            answered.notify_one();
        });
        if (!sent) {
            std::lock_guard lock(mutex);
            --pending;
        }
    }
    std::unique_lock lock(mutex);
    answered.wait(lock, [&] { return pending == 0; });
    return answers;
}

}  // namespace velmorane::platform
