#include "execution/entry_workers.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace velmorane::execution {
namespace {

// A copy waits on the disk about as long as it works: a few per core keep both busy.
constexpr unsigned kDefaultWorkers = 4;

}  // namespace

unsigned executionWorkers()
{
    const char* text = std::getenv("VELMORANE_WORKERS");
    if (!text) return kDefaultWorkers;
    const std::string_view value(text);
    unsigned workers = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), workers);
    if (error != std::errc() || end != value.data() + value.size() || workers == 0) return kDefaultWorkers;
    return workers;
}

EntryWorkers::EntryWorkers(const engine::TaskList& list, unsigned workers, PlaceOf placeOf)
    : list_(list), workers_(std::max(workers, 1u)), placeOf_(std::move(placeOf)), over_(list.count(), 0)
{
}

void EntryWorkers::run(const Decide& decide, const Execute& execute)
{
    std::vector<std::jthread> others;
    others.reserve(workers_ - 1);
    for (unsigned i = 1; i < workers_; ++i) others.emplace_back([&] { work(decide, execute); });
    work(decide, execute);
}

void EntryWorkers::work(const Decide& decide, const Execute& execute)
{
    std::unique_lock held(mutex_);
    while (const auto index = nextEntry(held, decide)) {
        held.unlock();
        execute(*index);
        held.lock();
        finish(*index);
    }
}

std::optional<std::size_t> EntryWorkers::nextEntry(std::unique_lock<std::mutex>& held, const Decide& decide)
{
    for (;;) {
        changed_.wait(held, [&] {
            return stopping_ || next_ >= list_.count() || (!asking_ && !placeTaken(next_));
        });
        if (stopping_ || next_ >= list_.count()) return std::nullopt;
        const std::size_t index = next_++;
        switch (decide(index)) {
        case Take::Skip: finish(index); break;
        case Take::Stop:
            stopping_ = true;
            changed_.notify_all();
            return std::nullopt;
        case Take::Run: {
            const engine::TaskEntry& entry = list_.entry(index);
            running_.push_back({index, placeOfEntry(index), entry.isFolder()});
            return index;
        }
        }
    }
}

// Asked again at each wake-up of a waiting worker: the same entry's place is worked out once.
const std::string& EntryWorkers::placeOfEntry(std::size_t index)
{
    if (nextPlaceOf_ != index) {
        nextPlace_ = placeOf_(list_.entry(index));
        nextPlaceOf_ = index;
    }
    return nextPlace_;
}

bool EntryWorkers::placeTaken(std::size_t index)
{
    if (running_.empty()) return false;
    const std::string& place = placeOfEntry(index);
    return std::any_of(running_.begin(), running_.end(), [&](const Running& other) {
        if (other.place == place) return true;
        return other.isFolder && place.size() > other.place.size() && place.starts_with(other.place) &&
               place[other.place.size()] == '/';
    });
}

void EntryWorkers::finish(std::size_t index)
{
    over_[index] = 1;
    while (overBefore_ < over_.size() && over_[overBefore_]) ++overBefore_;
    std::erase_if(running_, [index](const Running& entry) { return entry.index == index; });
    changed_.notify_all();
}

std::optional<bool> EntryWorkers::askInTurn(std::size_t index, const std::function<bool()>& ask)
{
    std::unique_lock held(mutex_);
    changed_.wait(held, [&] { return stopping_ || (overBefore_ >= index && !asking_); });
    if (stopping_) return std::nullopt;
    asking_ = true;
    held.unlock();
    const bool goOn = ask();
    held.lock();
    asking_ = false;
    if (!goOn) stopping_ = true;
    changed_.notify_all();
    return goOn;
}

}  // namespace velmorane::execution
