#pragma once

#include "engine/task_list.h"

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

namespace velmorane::execution {

// The workers an execution runs each list on: at least one; VELMORANE_WORKERS sets it for tests
// and benchmarks.
unsigned executionWorkers();

// How the workers deal out one list. Entries are taken in the order of the list, one at a time;
// an entry waits while another entry of the same place is being executed (the same name in any
// letter case, on a volume that ignores it), or of a folder above it, since that folder's copy or
// deletion may take it along. A question about a failure waits until every earlier entry is
// over, so that questions come in list order, and no entry is taken while one is asked.
class EntryWorkers {
public:
    // What becomes of the entry the workers come to next: `Skip` when it needs no worker (left out,
    // or gone with its folder), `Run` to give it to a worker, `Stop` to take no more.
    enum class Take { Skip, Run, Stop };
    // Called in list order under the workers' lock, once the folders above the entry are done.
    using Decide = std::function<Take(std::size_t index)>;
    // Carries an entry out on a worker, outside the lock.
    using Execute = std::function<void(std::size_t index)>;
    // The place an entry takes on its volume, as that volume tells names apart ("dossier/nom").
    using PlaceOf = std::function<std::string(const engine::TaskEntry&)>;

    EntryWorkers(const engine::TaskList& list, unsigned workers, PlaceOf placeOf);

    // Runs the list to its end, or until Decide says Stop; returns once every worker is joined.
    void run(const Decide& decide, const Execute& execute);

    // For an entry being executed: waits for its turn to ask (every earlier entry over, no other
    // question open), then asks; the other workers take no entry meanwhile. An answer No stops the
    // list: the entries in flight finish, no other is taken. Nothing is asked once the list is
    // stopping: `std::nullopt` then.
    std::optional<bool> askInTurn(std::size_t index, const std::function<bool()>& ask);
    // Whatever the workers share with the decisions is kept under this lock.
    std::mutex& lock() { return mutex_; }

private:
    std::optional<std::size_t> nextEntry(std::unique_lock<std::mutex>& held, const Decide& decide);
    const std::string& placeOfEntry(std::size_t index);
    bool placeTaken(std::size_t index);
    void finish(std::size_t index);
    void work(const Decide& decide, const Execute& execute);

    struct Running {
        std::size_t index;
        std::string place;
        bool isFolder;
    };

    const engine::TaskList& list_;
    const unsigned workers_;
    const PlaceOf placeOf_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t next_ = 0;
    std::size_t overBefore_ = 0;  // every entry before it is over
    std::vector<char> over_;
    std::vector<Running> running_;  // entries taken and not over
    std::string nextPlace_;         // the place of entry next_, worked out once
    std::size_t nextPlaceOf_ = static_cast<std::size_t>(-1);
    bool asking_ = false;
    bool stopping_ = false;
};

}  // namespace velmorane::execution
