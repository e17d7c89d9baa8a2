#pragma once

#include "engine/task_list.h"

#include <QAbstractListModel>
#include <QItemSelection>

namespace velmorane::ui {

// Shows a task list in a list view without a widget item per entry, so a review of a hundred
// thousand entries opens at once. The view's selection is copied into the list before an
// execution and back into the view after it.
class TaskListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TaskListModel(engine::TaskList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // Call after the list changed: the view reads it again.
    void reload();

    // The rows selected in the view become the selection states of the list's entries.
    void storeSelection(const QItemSelection& selection);
    // The selection states of the list's entries, as one selection of runs of rows.
    QItemSelection selectionOfList() const;

private:
    engine::TaskList& list_;
    // The row count the view was last told; the list may shrink before the view is told.
    int rows_ = 0;
};

}  // namespace velmorane::ui
