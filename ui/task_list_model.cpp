#include "ui/task_list_model.h"

namespace velmorane::ui {

TaskListModel::TaskListModel(engine::TaskList& list, QObject* parent)
    : QAbstractListModel(parent), list_(list), rows_(static_cast<int>(list.count()))
{
}

int TaskListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

QVariant TaskListModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row >= list_.count()) return {};
    return QString::fromStdString(list_.text(row));
}

void TaskListModel::reload()
{
    beginResetModel();
    rows_ = static_cast<int>(list_.count());
    endResetModel();
}

void TaskListModel::storeSelection(const QItemSelection& selection)
{
    for (std::size_t row = 0; row < list_.count(); ++row) list_.setSelected(row, false);
    for (const QItemSelectionRange& range : selection) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (static_cast<std::size_t>(row) < list_.count()) list_.setSelected(static_cast<std::size_t>(row), true);
        }
    }
}

QItemSelection TaskListModel::selectionOfList() const
{
    QItemSelection selection;
    const int count = static_cast<int>(list_.count());
    for (int row = 0; row < count;) {
        if (!list_.selected(static_cast<std::size_t>(row))) {
            ++row;
            continue;
        }
        const int first = row;
        while (row < count && list_.selected(static_cast<std::size_t>(row))) ++row;
        selection.select(index(first), index(row - 1));
    }
    return selection;
}

}  // namespace velmorane::ui
