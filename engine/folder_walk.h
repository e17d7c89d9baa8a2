#pragma once

#include "engine/exclusions.h"
#include "platform/folder_handle.h"
#include "platform/folder_listing.h"

#include <condition_variable>
#include <chrono>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace velmorane::engine {

// One folder of a tree as the walk read it.
struct WalkedFolder {
    std::string name;  // empty for the start folder
    std::size_t parent = 0;
    std::vector<platform::FileRecord> files;
    std::vector<platform::FileRecord> specialFiles;
    platform::Permissions permissions;
    std::vector<std::size_t> children;  // its sub-folders, in listing order
    std::optional<platform::SystemError> failure;
};

// Every folder of one tree; folder 0 is the start folder.
struct WalkedTree {
    std::string startFolder;
    std::deque<WalkedFolder> folders;
};

// Where a walk stands, for a progress screen: copied under the walk's lock, never shared.
struct WalkProgress {
    std::vector<bool> treeDone;
    std::vector<std::size_t> foldersRead;
    std::string lastFolder;  // full path of the folder read last, without trailing separator
};

// Reads several trees at once on a pool of threads, each folder opened relative to its parent's
// descriptor and read once. The threads only read the disk: they never touch the toolkit. Each
// folder's content is kept in listing order, so what the walk finds never depends on timing.
class ConcurrentWalk {
public:
    ConcurrentWalk(std::vector<std::string> startFolders, const Exclusions& exclusions, unsigned threadCount);
    ~ConcurrentWalk();  // stops the threads and joins them, whatever state the walk is in
    ConcurrentWalk(const ConcurrentWalk&) = delete;
    ConcurrentWalk& operator=(const ConcurrentWalk&) = delete;

    // True once every folder is read; waits at most `timeout` for that.
    bool waitFor(std::chrono::milliseconds timeout);
    WalkProgress progress() const;
    // The trees, once waitFor has returned true.
    std::vector<WalkedTree> takeTrees();

private:
    struct Task {
        std::size_t tree;
        std::size_t folder;
        std::string relative;  // below the start folder, ending with "/" unless empty
        std::shared_ptr<const platform::FolderHandle> parent;  // null for a start folder
    };

    void work(std::size_t preferredTree);
    std::optional<Task> nextTask(std::size_t preferredTree);
    void read(const Task& task);
    std::string pathOf(std::size_t tree, std::size_t folder) const;

    const Exclusions& exclusions_;
    std::vector<WalkedTree> trees_;
    std::vector<std::vector<Task>> pending_;  // per tree, taken from the back: depth first
    std::vector<std::size_t> unfinished_;     // per tree: tasks queued or being read
    std::vector<std::size_t> foldersRead_;
    std::optional<std::pair<std::size_t, std::size_t>> lastRead_;
    std::size_t totalUnfinished_ = 0;
    std::size_t idleThreads_ = 0;
    bool stopping_ = false;
    mutable std::mutex mutex_;
    std::condition_variable workAdded_;  // wakes idle threads, one per folder queued
    std::condition_variable finished_;   // wakes the waiter when every folder is read
    std::vector<std::thread> threads_;
};

}  // namespace velmorane::engine
