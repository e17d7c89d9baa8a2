#pragma once

#include "engine/exclusions.h"
#include "engine/folder_structure.h"
#include "platform/entry_records.h"
#include "platform/volume.h"

#include <condition_variable>
#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace velmorane::engine {

// One folder of a tree as the walk read it. What few folders have is kept beside the tree.
struct WalkedFolder {
    std::string name;  // empty for the start folder
    std::size_t parent = 0;
    std::vector<platform::FileRecord> files;
    platform::Permissions permissions;
    // Its sub-folders, in listing order, are the folders [firstChild, firstChild + childCount).
    std::uint32_t firstChild = 0;
    std::uint32_t childCount = 0;
    bool holdsTemporaries = false;
};

// Every folder of one tree; folder 0 is the start folder. One vector, not small blocks strewn
// among the files' records: freed after the walk, it leaves whole pages to give back.
struct WalkedTree {
    std::string startFolder;
    std::vector<WalkedFolder> folders;
    std::unordered_map<std::size_t, platform::SystemError> failures;  // by folder
    SpecialFiles specialFiles;                                         // by folder
};

// Where a walk stands, for a progress screen: copied under the walk's lock, never shared.
struct WalkProgress {
    std::vector<bool> treeDone;
    std::vector<std::size_t> foldersRead;
    std::string lastFolder;  // full path of the folder read last, without trailing separator
};

// Reads several trees at once, one per volume, each folder opened relative to its parent and read
// once, by one request that brings its entries' attributes. Up to `inFlight` folders are asked
// for at once, across the trees; the folders still to read are taken depth first, so few stay
// open. The volumes answer on their own threads, which never touch the toolkit. Each folder's
// content is kept in listing order, so what the walk finds never depends on timing.
class ConcurrentWalk {
public:
    ConcurrentWalk(std::vector<platform::VolumeAccess*> volumes, const Exclusions& exclusions, unsigned inFlight);
    ~ConcurrentWalk();  // waits for the requests in flight, whatever state the walk is in
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
        std::string name;
        std::string relative;        // below the start folder, ending with "/" unless empty
        platform::FolderRef parent;  // null for a start folder
    };

    void askForMore();
    // Takes the folders to ask for next, up to `inFlight_` in flight, each from the tree with the
    // fewest in flight. Under the lock.
    std::vector<Task> takeTasks();
    // A volume may answer at once, on this thread: requests go out with the lock released.
    void ask(Task task);
    void received(const Task& task, platform::Result<platform::ReadFolderAnswer> answer);
    // Keeps a folder's content and queues its sub-folders. Under the lock.
    void keep(const Task& task, const platform::MaybeError& failure, platform::FolderContent& content,
              const platform::FolderRef& folder);
    std::string pathOf(std::size_t tree, std::size_t folder) const;

    std::vector<platform::VolumeAccess*> volumes_;
    const Exclusions& exclusions_;
    const std::size_t inFlight_;
    std::vector<WalkedTree> trees_;
    std::vector<std::vector<Task>> pending_;  // per tree, taken from the back: depth first
    std::vector<std::size_t> unfinished_;     // per tree: tasks queued or being read
    std::vector<std::size_t> asked_;          // per tree: requests in flight
    std::vector<std::size_t> foldersRead_;
    std::optional<std::pair<std::size_t, std::size_t>> lastRead_;
    std::size_t totalUnfinished_ = 0;
    std::size_t totalAsked_ = 0;
    std::size_t answersBeingKept_ = 0;
    bool stopping_ = false;
    mutable std::mutex mutex_;
    std::condition_variable answered_;  // wakes the waiter and the destructor when the walk ends or stops
};

}  // namespace velmorane::engine
