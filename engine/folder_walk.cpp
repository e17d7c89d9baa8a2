#include "engine/folder_walk.h"

#include "platform/paths.h"

#include <utility>

namespace velmorane::engine {
namespace {

// Leaves out the sub-folders and files that the exclusions name.
void applyExclusions(platform::FolderContent& content, const std::string& relative, const Exclusions& exclusions)
{
    std::erase_if(content.subFolders,
                  [&](const std::string& name) { return exclusions.leavesOut(relative + name, true); });
    const auto leftOut = [&](const platform::FileRecord& file) {
        return exclusions.leavesOut(relative + file.name, false);
    };
    std::erase_if(content.files, leftOut);
    std::erase_if(content.specialFiles, leftOut);
}

}  // namespace

ConcurrentWalk::ConcurrentWalk(std::vector<std::string> startFolders, const Exclusions& exclusions,
                               unsigned threadCount)
    : exclusions_(exclusions)
{
    const std::size_t treeCount = startFolders.size();
    trees_.resize(treeCount);
    pending_.resize(treeCount);
    unfinished_.assign(treeCount, 1);
    foldersRead_.assign(treeCount, 0);
    totalUnfinished_ = treeCount;
    for (std::size_t tree = 0; tree < treeCount; ++tree) {
        trees_[tree].startFolder = std::move(startFolders[tree]);
        trees_[tree].folders.emplace_back();
        pending_[tree].push_back(Task{tree, 0, {}, nullptr});
    }
    if (treeCount == 0) return;
    const unsigned count = threadCount == 0 ? 1 : threadCount;
    threads_.reserve(count);
    for (unsigned i = 0; i < count; ++i) threads_.emplace_back([this, i, treeCount] { work(i % treeCount); });
}

ConcurrentWalk::~ConcurrentWalk()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workAdded_.notify_all();
    for (std::thread& thread : threads_) thread.join();
}

bool ConcurrentWalk::waitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return finished_.wait_for(lock, timeout, [this] { return totalUnfinished_ == 0; });
}

WalkProgress ConcurrentWalk::progress() const
{
    std::lock_guard lock(mutex_);
    WalkProgress progress;
    for (std::size_t tree = 0; tree < trees_.size(); ++tree) progress.treeDone.push_back(unfinished_[tree] == 0);
    progress.foldersRead = foldersRead_;
    if (lastRead_) progress.lastFolder = platform::withoutTrailingSeparator(pathOf(lastRead_->first, lastRead_->second));
    return progress;
}

std::vector<WalkedTree> ConcurrentWalk::takeTrees()
{
    std::lock_guard lock(mutex_);
    return std::move(trees_);
}

void ConcurrentWalk::work(std::size_t preferredTree)
{
    while (const auto task = nextTask(preferredTree)) read(*task);
}

std::optional<ConcurrentWalk::Task> ConcurrentWalk::nextTask(std::size_t preferredTree)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stopping_ || totalUnfinished_ == 0) return std::nullopt;
        for (std::size_t step = 0; step < pending_.size(); ++step) {
            auto& stack = pending_[(preferredTree + step) % pending_.size()];
            if (stack.empty()) continue;
            Task task = std::move(stack.back());
            stack.pop_back();
            return task;
        }
        ++idleThreads_;
        workAdded_.wait(lock);
        --idleThreads_;
    }
}

void ConcurrentWalk::read(const Task& task)
{
    std::string name;
    {
        std::lock_guard lock(mutex_);
        name = trees_[task.tree].folders[task.folder].name;
    }
    auto folder = task.parent ? task.parent->openChild(name)
                              : platform::FolderHandle::openStart(trees_[task.tree].startFolder);
    auto content = folder.ok() ? platform::readFolder(folder.value)
                               : platform::Result<platform::FolderContent>::failure(*folder.error);
    if (content.ok()) applyExclusions(content.value, task.relative, exclusions_);
    const auto handle = std::make_shared<const platform::FolderHandle>(std::move(folder.value));

    std::lock_guard lock(mutex_);
    auto& folders = trees_[task.tree].folders;
    folders[task.folder].failure = content.error;
    folders[task.folder].files = std::move(content.value.files);
    folders[task.folder].specialFiles = std::move(content.value.specialFiles);
    folders[task.folder].permissions = content.value.permissions;
    const std::size_t first = folders.size();
    for (std::string& child : content.value.subFolders) {
        folders[task.folder].children.push_back(folders.size());
        folders.push_back(WalkedFolder{std::move(child), task.folder, {}, {}, {}, {}, std::nullopt});
    }
    auto& stack = pending_[task.tree];
    for (std::size_t child = folders.size(); child > first; --child) {
        stack.push_back(Task{task.tree, child - 1, task.relative + folders[child - 1].name + platform::kSeparator, handle});
    }
    const std::size_t added = folders.size() - first;
    unfinished_[task.tree] += added;
    totalUnfinished_ += added;
    --unfinished_[task.tree];
    --totalUnfinished_;
    ++foldersRead_[task.tree];
    lastRead_ = {task.tree, task.folder};
    if (totalUnfinished_ == 0) {
        workAdded_.notify_all();
        finished_.notify_all();
        return;
    }
    for (std::size_t woken = 0; woken < added && woken < idleThreads_; ++woken) workAdded_.notify_one();
}

std::string ConcurrentWalk::pathOf(std::size_t tree, std::size_t folder) const
{
    std::vector<const std::string*> names;
    const auto& folders = trees_[tree].folders;
    std::size_t current = folder;
    while (current != 0) {
        names.push_back(&folders[current].name);
        current = folders[current].parent;
    }
    std::string path = platform::withTrailingSeparator(trees_[tree].startFolder);
    for (auto name = names.rbegin(); name != names.rend(); ++name) path += **name + platform::kSeparator;
    return path;
}

}  // namespace velmorane::engine
