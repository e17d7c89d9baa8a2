#include "platform/request_pool.h"

#include <utility>

namespace velmorane::platform {

RequestPool::RequestPool(unsigned threadCount)
{
    threads_.reserve(threadCount);
    for (unsigned i = 0; i < threadCount; ++i) threads_.emplace_back([this] { work(); });
}

RequestPool::~RequestPool()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    added_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

void RequestPool::submit(std::function<void()> request)
{
    if (threads_.empty()) {
        request();
        return;
    }
    {
        std::lock_guard lock(mutex_);
        queued_.push_back(std::move(request));
    }
    added_.notify_one();
}

void RequestPool::work()
{
    for (;;) {
        std::function<void()> request;
        {
            std::unique_lock lock(mutex_);
            added_.wait(lock, [this] { return stopping_ || !queued_.empty(); });
            if (queued_.empty()) return;
            request = std::move(queued_.front());
            queued_.pop_front();
        }
        request();
    }
}

}  // namespace velmorane::platform
