#include "execution/executor.h"

#include "engine/task_entry.h"
#include "platform/file_attributes.h"
#include "platform/file_operations.h"
#include "platform/letter_case.h"
#include "platform/paths.h"

#include <cerrno>
#include <string_view>
#include <unordered_set>

namespace velmorane::execution {
namespace {

platform::SystemError malformedEntry()
{
    return {EINVAL, "Entrée de tâche incorrecte"};
}

platform::SystemError outsideDestination()
{
    return {EPERM, "Chemin hors du dossier de destination"};
}

bool hasDotDotComponent(std::string_view path)
{
    return path == ".." || path.starts_with("../") || path.ends_with("/..") ||
           path.find("/../") != std::string_view::npos;
}

// An entry's parent folder, opened one name at a time from the start folder, and its own name.
struct Place {
    platform::FolderHandle folder;
    std::string name;
};

platform::Result<Place> placeOf(const platform::Result<platform::FolderHandle>& root, const std::string& rootPath,
                                const std::string& path)
{
    if (!root.ok()) return platform::Result<Place>::failure(*root.error);
    if (path.size() <= rootPath.size() || !path.starts_with(rootPath)) {
        return platform::Result<Place>::failure(malformedEntry());
    }
    const std::string relative = path.substr(rootPath.size());
    auto folder = root.value.openBelow(platform::parentFolder(relative));
    if (!folder.ok()) return platform::Result<Place>::failure(*folder.error);
    return {Place{std::move(folder.value), platform::lastComponent(relative)}, std::nullopt};
}

// The folders an execution has copied or deleted, to recognise entries that lie inside one of them.
class FolderSet {
public:
    void add(const std::string& folder) { folders_.insert(platform::withTrailingSeparator(folder)); }

    bool contains(std::string_view path) const
    {
        if (folders_.empty()) return false;
        for (std::size_t slash = path.find('/'); slash != std::string_view::npos && slash + 1 < path.size();
             slash = path.find('/', slash + 1)) {
            if (folders_.count(std::string(path.substr(0, slash + 1)))) return true;
        }
        return false;
    }

private:
    std::unordered_set<std::string> folders_;
};

class Execution {
public:
    Execution(TaskLists& lists, const ExecutionSettings& settings, const FailureQuestion& ask, CounterSink& counters,
              platform::EventPump& pump)
        : lists_(lists), settings_(settings), ask_(ask), counters_(counters), pump_(pump),
          sourceRootPath_(platform::withTrailingSeparator(settings.dosSource)),
          destRootPath_(platform::withTrailingSeparator(settings.dosDest)),
          sourceRoot_(platform::FolderHandle::openStart(settings.dosSource)),
          destRoot_(platform::FolderHandle::openStart(settings.dosDest))
    {
    }

    ExecutionReport run()
    {
        const auto& flags = settings_.flags;
        const auto listedFolders = destinationFolders();
        executeList(lists_.fichAjout(), flags.execAjout, settings_.ajoutSelectedChosen, &copiedFolders_,
                    &Execution::addEntry) &&
            executeList(lists_.fichModif(), flags.execModif, settings_.modifSelectedChosen, nullptr,
                        &Execution::replaceEntry) &&
            executeList(lists_.fichSuppr(), flags.execSuppr, settings_.supprSelectedChosen, &deletedFolders_,
                        &Execution::deleteEntry);
        if (!flags.seulComparer && !report_.stopped) settleCommonFolders();
        if (!flags.seulComparer) removeLeftoverTemporaries(listedFolders);
        return report_;
    }

private:
    using EntryAction = bool (Execution::*)(const engine::TaskEntry&);

    // Executes the entries whose selection state equals the choice, then the removal pass. An entry
    // inside a folder this list already copied or deleted came or went with it: it leaves the list
    // with no look-up and no question. False when the user stopped the execution.
    bool executeList(TaskList& list, bool takesPart, bool choice, const FolderSet* handledFolders, EntryAction execute)
    {
        if (!takesPart || list.count() == 0) return true;
        report_.activeListHadEntries = true;
        for (std::size_t i = 0; i < list.count(); ++i) {
            showCounter(list.kind(), i);
            if (handledFolders && handledFolders->contains(list.entry(i).destPath)) {
                report_.actionFaite = true;
                list.setSelected(i, choice);
                continue;
            }
            if (list.selected(i) != choice) continue;
            report_.actionFaite = true;
            if (!(this->*execute)(list.entry(i))) return false;
        }
        list.removeWhereSelectionIs(choice);
        return true;
    }

    bool addEntry(const engine::TaskEntry& entry)
    {
        if (!insideDestination(entry.destPath)) return failed(outsideDestination());
        currentSlot_ = entry.sourcePath;
        targetSlot_ = entry.destPath;
        const auto from = placeOf(sourceRoot_, sourceRootPath_, entry.sourcePath);
        if (!from.ok()) return failed(*from.error);
        const auto to = placeOf(destRoot_, destRootPath_, entry.destPath);
        if (!to.ok()) return failed(*to.error);
        if (!entry.isFolder()) {
            const auto error = platform::copyFile(from.value.folder, from.value.name, to.value.folder, to.value.name,
                                                  platform::CopyMode::Add, pump_);
            return !error || failed(*error);
        }
        const auto copy = platform::copyFolder(from.value.folder, from.value.name, to.value.folder, to.value.name, pump_,
                                               leftOutBelow(entry.sourcePath.substr(sourceRootPath_.size())));
        if (copy.created) copiedFolders_.add(entry.destPath);
        return !copy.failure || failed(*copy.failure);
    }

    bool replaceEntry(const engine::TaskEntry& entry)
    {
        targetSlot_ = entry.destPath;
        if (!insideDestination(entry.destPath)) return failed(outsideDestination());
        const auto to = placeOf(destRoot_, destRootPath_, entry.destPath);
        if (!to.ok()) return failed(*to.error);
        if (const auto found = platform::lookUp(to.value.folder, to.value.name); !found.ok()) {
            if (!failed(*found.error)) return false;
        } else {
            currentSlot_ = entry.destPath;
            const auto error = platform::clearReadOnly(to.value.folder, to.value.name);
            if (error && !failed(*error)) return false;
        }
        currentSlot_ = entry.sourcePath;
        const auto from = placeOf(sourceRoot_, sourceRootPath_, entry.sourcePath);
        if (!from.ok()) return failed(*from.error);
        // Only the attributes differ: they are set again, unless the content changed since.
        if (entry.attributesOnly) {
            const auto updated =
                platform::updateAttributes(from.value.folder, from.value.name, to.value.folder, to.value.name);
            if (!updated.ok()) return failed(*updated.error);
            if (updated.value) return true;
        }
        const auto error = platform::copyFile(from.value.folder, from.value.name, to.value.folder, to.value.name,
                                              platform::CopyMode::Replace, pump_);
        return !error || failed(*error);
    }

    bool deleteEntry(const engine::TaskEntry& entry)
    {
        if (!insideDestination(entry.destPath)) return failed(outsideDestination());
        targetSlot_ = entry.destPath;
        const auto at = placeOf(destRoot_, destRootPath_, entry.destPath);
        if (!at.ok()) return failed(*at.error);
        if (const auto found = platform::lookUp(at.value.folder, at.value.name); !found.ok()) {
            return failed(*found.error);
        }
        if (entry.isFolder()) {
            const auto error = platform::deleteFolder(at.value.folder, at.value.name,
                                                      leftOutBelow(entry.destPath.substr(destRootPath_.size())));
            if (error) return failed(*error);
            deletedFolders_.add(entry.destPath);
            return true;
        }
        if (const auto error = platform::clearReadOnly(at.value.folder, at.value.name); error && !failed(*error)) {
            return false;
        }
        const auto error = platform::deleteFile(at.value.folder, at.value.name);
        return !error || failed(*error);
    }

    // Common folders have no entry: they get the source's bits, owner and times once passed, their
    // content being done. A failure is put to the user like that of an entry.
    void settleCommonFolders()
    {
        for (const engine::CommonFolder& folder : lists_.foldersToSettle) {
            if (!insideDestination(folder.destPath) && folder.destPath != destRootPath_) continue;
            currentSlot_ = folder.sourcePath;
            targetSlot_ = folder.destPath;
            const auto from = openBelowRoot(sourceRoot_, sourceRootPath_, folder.sourcePath);
            const auto to = openBelowRoot(destRoot_, destRootPath_, folder.destPath);
            platform::MaybeError error = from.ok() ? to.error : from.error;
            if (!error) error = platform::settleFolder(from.value, to.value);
            // A folder gone since the comparison made its entries fail already.
            if (!error || error->number == ENOENT || error->number == ENOTDIR) continue;
            if (!failed(*error)) return;
        }
    }

    static platform::Result<platform::FolderHandle> openBelowRoot(const platform::Result<platform::FolderHandle>& root,
                                                                  const std::string& rootPath, const std::string& path)
    {
        if (!root.ok()) return platform::Result<platform::FolderHandle>::failure(*root.error);
        if (!path.starts_with(rootPath)) return platform::Result<platform::FolderHandle>::failure(malformedEntry());
        return root.value.openBelow(path.substr(rootPath.size()));
    }

    // The destination folders that hold the entries of the lists, below the destination root.
    std::unordered_set<std::string> destinationFolders() const
    {
        std::unordered_set<std::string> folders;
        for (const ListKind kind : engine::kListKinds) {
            const TaskList& list = lists_[kind];
            for (std::size_t i = 0; i < list.count(); ++i) {
                const std::string& path = list.entry(i).destPath;
                if (!insideDestination(path)) continue;
                folders.insert(platform::parentFolder(path.substr(destRootPath_.size())));
            }
        }
        return folders;
    }

    // A killed copy leaves its temporary file behind; an execution clears those of the folders it works in.
    void removeLeftoverTemporaries(const std::unordered_set<std::string>& folders) const
    {
        if (!destRoot_.ok()) return;
        for (const std::string& folder : folders) {
            const auto handle = destRoot_.value.openBelow(folder);
            if (handle.ok()) platform::removeLeftoverTemporaries(handle.value);
        }
    }

    // The run's exclusions for what lies inside a folder, given the folder's path below its start folder.
    platform::EntryFilter leftOutBelow(const std::string& folder) const
    {
        return [this, folder](const std::string& pathInside, bool isFolder) {
            return settings_.exclusions.leavesOut(folder + pathInside, isFolder);
        };
    }

    // Strictly below the destination root: the executor never touches anything else.
    bool insideDestination(const std::string& path) const
    {
        return path.size() > destRootPath_.size() && path.starts_with(destRootPath_) && !hasDotDotComponent(path);
    }

    void showCounter(ListKind list, std::size_t index)
    {
        counters_.setCounter(list, std::to_string(index + 1));
        pump_.processEvents();
    }

    // Puts the failure to the user; false when the execution must stop.
    bool failed(const platform::SystemError& error)
    {
        if (!ask_({error, currentSlot_, targetSlot_})) {
            report_.stopped = true;
            return false;
        }
        ++report_.failures;
        return true;
    }

    TaskLists& lists_;
    const ExecutionSettings& settings_;
    const FailureQuestion& ask_;
    CounterSink& counters_;
    platform::EventPump& pump_;
    const std::string sourceRootPath_;
    const std::string destRootPath_;
    const platform::Result<platform::FolderHandle> sourceRoot_;
    const platform::Result<platform::FolderHandle> destRoot_;
    std::string currentSlot_;
    std::string targetSlot_;
    FolderSet copiedFolders_;
    FolderSet deletedFolders_;
    ExecutionReport report_;
};

}  // namespace

ExecutionReport executeTasks(TaskLists& lists, const ExecutionSettings& settings, const FailureQuestion& ask,
                             CounterSink& counters, platform::EventPump& pump)
{
    return Execution(lists, settings, ask, counters, pump).run();
}

platform::Message failureQuestion(const EntryFailure& failure)
{
    const std::string text = "Erreur : " + std::to_string(failure.error.number) + " - " + failure.error.reason +
                             "\r\nSur le fichier : " + failure.currentFile + " ou " + failure.target +
                             "\r\nFaut-il continuer ?";
    return platform::question(text, "Erreur grave", platform::Icon::Critical);
}

std::optional<platform::Message> executionReport(const ExecutionReport& report, const engine::RunFlags& flags)
{
    if (flags.seulComparer || !report.actionFaite || report.stopped) return std::nullopt;
    if (report.failures == 0) {
        return platform::Message{"Exécution terminée correctement !", "Rapport d'activité", platform::Icon::Information};
    }
    return platform::Message{"Exécution terminée avec " + std::to_string(report.failures) + " erreur(s).",
                             "Rapport d'activité", platform::Icon::Warning};
}

}  // namespace velmorane::execution
