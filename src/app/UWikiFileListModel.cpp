#include "UWikiFileListModel.h"

#include "UQtText.h"

namespace tarnel {

TWikiFileListModel::TWikiFileListModel(const TWikiFileList& list, bool hierarchy, QObject* parent)
    : QAbstractListModel(parent), list_(list), hierarchy_(hierarchy) {}

int TWikiFileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.Count();
}

QVariant TWikiFileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= list_.Count()) return {};
    if (role == Qt::DisplayRole)
        return FromDisplay(hierarchy_ ? list_.DisplayName(index.row())
                                      : list_.PageName(index.row()));
    if (role == Qt::ToolTipRole) return FromDisplay(list_.PageName(index.row()));
    return {};
}

void TWikiFileListModel::Reset() {
    beginResetModel();
    endResetModel();
}

} // namespace tarnel
