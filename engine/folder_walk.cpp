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

ConcurrentWalk::ConcurrentWalk(std::vector<platform::VolumeAccess*> volumes, const Exclusions& exclusions,
                               unsigned inFlight)
    : volumes_(std::move(volumes)), exclusions_(exclusions), inFlight_(inFlight == 0 ? 1 : inFlight)
{
    const std::size_t treeCount = volumes_.size();
    trees_.resize(treeCount);
    pending_.resize(treeCount);
    unfinished_.assign(treeCount, 1);
    asked_.assign(treeCount, 0);
    foldersRead_.assign(treeCount, 0);
    totalUnfinished_ = treeCount;
    for (std::size_t tree = 0; tree < treeCount; ++tree) {
        trees_[tree].startFolder = volumes_[tree]->startFolder();
        trees_[tree].folders.emplace_back();
        pending_[tree].push_back(Task{tree, 0, {}, {}, nullptr});
    }
    askForMore();
}

ConcurrentWalk::~ConcurrentWalk()
{
    std::unique_lock lock(mutex_);
    stopping_ = true;
    answered_.wait(lock, [this] { return totalAsked_ == 0 && answersBeingKept_ == 0; });
}

bool ConcurrentWalk::waitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    return answered_.wait_for(lock, timeout, [this] { return totalUnfinished_ == 0; });
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

void ConcurrentWalk::askForMore()
{
    std::vector<Task> tasks;
    {
        std::lock_guard lock(mutex_);
        tasks = takeTasks();
    }
    for (Task& task : tasks) ask(std::move(task));
}

std::vector<ConcurrentWalk::Task> ConcurrentWalk::takeTasks()
{
    std::vector<Task> tasks;
    while (!stopping_ && totalAsked_ < inFlight_) {
        std::optional<std::size_t> chosen;
        for (std::size_t tree = 0; tree < pending_.size(); ++tree) {
            if (!pending_[tree].empty() && (!chosen || asked_[tree] < asked_[*chosen])) chosen = tree;
        }
        if (!chosen) break;
        tasks.push_back(std::move(pending_[*chosen].back()));
        pending_[*chosen].pop_back();
        ++asked_[*chosen];
        ++totalAsked_;
    }
    return tasks;
}

void ConcurrentWalk::ask(Task task)
{
    platform::VolumeAccess& volume = *volumes_[task.tree];
    if (!task.parent) {
        volume.readStart([this, task](auto answer) { received(task, std::move(answer)); });
        return;
    }
    platform::FolderRef parent = task.parent;
    std::string name = task.name;
    volume.readFolder(std::move(parent), std::move(name),
                      [this, task = std::move(task)](auto answer) { received(task, std::move(answer)); });
}

void ConcurrentWalk::received(const Task& task, platform::Result<platform::ReadFolderAnswer> answer)
{
    platform::FolderContent& content = answer.value.content;
    if (answer.ok()) applyExclusions(content, task.relative, exclusions_);
    std::vector<Task> next;
    {
        std::lock_guard lock(mutex_);
        keep(task, answer.error, content, answer.value.folder);
        --asked_[task.tree];
        --totalAsked_;
        // Counted until its last touch of the walk, so that the destructor waits for it.
        ++answersBeingKept_;
        next = takeTasks();
    }
    for (Task& nextTask : next) ask(std::move(nextTask));
    std::lock_guard lock(mutex_);
    --answersBeingKept_;
    // Only the end of the walk is waited for: waking the waiter at every folder costs two cores dearly.
    if (totalUnfinished_ == 0 || stopping_) answered_.notify_all();
}

void ConcurrentWalk::keep(const Task& task, const platform::MaybeError& failure, platform::FolderContent& content,
                          const platform::FolderRef& folder)
{
    WalkedTree& tree = trees_[task.tree];
    auto& folders = tree.folders;
    if (failure) tree.failures.emplace(task.folder, *failure);
    folders[task.folder].files = std::move(content.files);
    if (!content.specialFiles.empty()) tree.specialFiles.emplace(task.folder, std::move(content.specialFiles));
    folders[task.folder].permissions = content.permissions;
    folders[task.folder].holdsTemporaries = content.holdsTemporaries;
    const std::size_t first = folders.size();
    folders[task.folder].firstChild = static_cast<std::uint32_t>(first);
    folders[task.folder].childCount = static_cast<std::uint32_t>(content.subFolders.size());
    for (std::string& child : content.subFolders) {
        folders.push_back(WalkedFolder{std::move(child), task.folder, {}, {}, 0, 0, false});
    }
    auto& stack = pending_[task.tree];
    for (std::size_t child = folders.size(); child > first; --child) {
        const std::string& name = folders[child - 1].name;
        stack.push_back(Task{task.tree, child - 1, name, task.relative + name + platform::kSeparator, folder});
    }
    const std::size_t added = folders.size() - first;
    unfinished_[task.tree] += added;
    totalUnfinished_ += added;
    --unfinished_[task.tree];
    --totalUnfinished_;
    ++foldersRead_[task.tree];
    lastRead_ = {task.tree, task.folder};
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
