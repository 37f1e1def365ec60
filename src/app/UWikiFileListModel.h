// A list model over one of the engine's page lists, so that a wiki of 100,000 pages shows at
// once: the view asks only for the rows it draws, and the names are decoded then.
#pragma once

#include "storage/UWikiFileList.h"

#include <QAbstractListModel>

namespace tarnel {

class TWikiFileListModel : public QAbstractListModel {
    Q_OBJECT
public:
    // `hierarchy`: rows show DisplayName (the page list) instead of PageName (search results).
    TWikiFileListModel(const TWikiFileList& list, bool hierarchy, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // The list changed under the model.
    void Reset();
    const TWikiFileList& List() const { return list_; }

private:
    const TWikiFileList& list_;
    bool hierarchy_;
};

} // namespace tarnel
