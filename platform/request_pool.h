#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace velmorane::platform {

// A few threads that answer a volume's requests in the order they came. The destructor answers
// the requests still queued, then joins the threads. A pool of no thread answers each request at
// once, on the thread that submits it.
class RequestPool {
public:
    explicit RequestPool(unsigned threadCount);
    ~RequestPool();
    RequestPool(const RequestPool&) = delete;
    RequestPool& operator=(const RequestPool&) = delete;

    void submit(std::function<void()> request);

private:
    void work();

    std::deque<std::function<void()>> queued_;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable added_;
    std::vector<std::thread> threads_;
};

}  // namespace velmorane::platform
