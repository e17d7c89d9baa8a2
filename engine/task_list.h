#pragma once

#include "engine/task_entry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace velmorane::engine {

// The three lists of a run, in the order they are shown and executed.
enum class ListKind { Add, Replace, Delete };
inline constexpr std::array<ListKind, 3> kListKinds = {ListKind::Add, ListKind::Replace, ListKind::Delete};

// A task list as the review shows it: its entries, each with a selection state. No size limit.
class TaskList {
public:
    explicit TaskList(ListKind kind = ListKind::Add) : kind_(kind) {}

    ListKind kind() const { return kind_; }
    void add(TaskEntry entry);
    void assign(std::vector<TaskEntry> entries);
    void clear();

    std::size_t count() const { return entries_.size(); }
    const TaskEntry& entry(std::size_t index) const { return entries_[index]; }
    const std::vector<TaskEntry>& entries() const { return entries_; }
    // The line the user reads: an add names its source, the other lists the destination.
    std::string text(std::size_t index) const;
    bool selected(std::size_t index) const { return selected_[index]; }
    void setSelected(std::size_t index, bool selected) { selected_[index] = selected; }

    // The removal pass: drops every entry whose selection state equals the flag; the others keep
    // their order and their states.
    void removeWhereSelectionIs(bool flag);

private:
    ListKind kind_;
    std::vector<TaskEntry> entries_;
    std::vector<bool> selected_;
};

// A folder found on both sides that has no entry of its own: its permission bits or owner differ,
// or the lists change what it holds. An execution gives it the source's bits, owner and times once
// it has passed it.
struct CommonFolder {
    std::string sourcePath;
    std::string destPath;
};

// The files the comparison found equal on both sides: for each common folder that has some, its
// lines in the two trees read and where its source files' slots start in `destFileOf`. The slot of
// each of the source line's files holds the place of its equal among the destination line's files,
// or kNotEqual. Four bytes a file: a million fit in 4 MB.
struct UnchangedFiles {
    static constexpr std::uint32_t kNotEqual = 0xffff'ffff;
    struct Folder {
        std::uint32_t sourceLine = 0;
        std::uint32_t destLine = 0;
        std::size_t first = 0;  // into `destFileOf`
    };
    std::vector<Folder> folders;
    std::vector<std::uint32_t> destFileOf;

    void clear()
    {
        folders.clear();
        destFileOf.clear();
    }
    // The slots of folder `index`: [first, end).
    std::size_t end(std::size_t index) const
    {
        return index + 1 < folders.size() ? folders[index + 1].first : destFileOf.size();
    }
};

// The lists to add (fichAjout), to replace (fichModif) and to delete (fichSuppr), indexed by kind.
class TaskLists {
public:
    TaskLists() : lists_{TaskList(ListKind::Add), TaskList(ListKind::Replace), TaskList(ListKind::Delete)} {}

    TaskList& operator[](ListKind kind) { return lists_[static_cast<std::size_t>(kind)]; }
    const TaskList& operator[](ListKind kind) const { return lists_[static_cast<std::size_t>(kind)]; }
    TaskList& addList() { return (*this)[ListKind::Add]; }
    TaskList& replaceList() { return (*this)[ListKind::Replace]; }
    TaskList& deleteList() { return (*this)[ListKind::Delete]; }
    const TaskList& addList() const { return (*this)[ListKind::Add]; }
    const TaskList& replaceList() const { return (*this)[ListKind::Replace]; }
    const TaskList& deleteList() const { return (*this)[ListKind::Delete]; }

    void clear()
    {
        for (TaskList& list : lists_) list.clear();
        foldersToSettle.clear();
        unchangedFiles.clear();
    }

    std::vector<CommonFolder> foldersToSettle;
    UnchangedFiles unchangedFiles;

private:
    std::array<TaskList, 3> lists_;
};

}  // namespace velmorane::engine
