// The left panel of the main window: four tabs with the page list, the recent pages, the
// contents of the page shown and the search. It only shows lists and reports clicks; the
// main window decides what a click opens.
#pragma once

#include "UWikiFileListModel.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

namespace tarnel {

class TLanguage;
class TRecentFileList;
class TContentsShelf;

class TSidePanel : public QTabWidget {
    Q_OBJECT
public:
    TSidePanel(const TWikiFileList& pages, const TWikiFileList& results, QWidget* parent = nullptr);

    enum Tab { ListTab = 0, RecentTab = 1, ContentsTab = 2, SearchTab = 3 };

    // Refills from the engine's lists.
    // Entries of the folder that are no pages (a folder or a link named like one) are
    // reported by `entriesSkipped`.
    void RefreshPages() { Refresh(*pagesModel_); }
    void RefreshResults() { Refresh(*resultsModel_); }
    void RefreshRecent(const TRecentFileList& recent);
    void RefreshContents(const TContentsShelf& contents);
    // Selects row `row` of the page list (-1: nothing).
    void SelectPage(int row);
    int SelectedPage() const;
    void ApplyLanguage(const TLanguage& language);
    // The list of the active tab, for the Ctrl+J shortcut; none on a tab without a list.
    QAbstractItemView* ActiveList() const;

    QListView* lsbFileList;
    QPushButton* btnUpdate;
    QListWidget* lsbRecentFileList;
    QListWidget* lsbContentsList;
    QLineEdit* edtSearch;
    QCheckBox* ckbTitle;
    QCheckBox* ckbContent;
    QPushButton* btnSearch;
    QListView* lsbSearchResultList;
    QWidget* tbsFileList;
    QWidget* tbsRecentFileList;
    QWidget* tbsContentsList;
    QWidget* tbsSearch;

signals:
    void pageClicked(int row);
    void pageMenuRequested(int row, const QPoint& globalPos);
    void pageDoubleClicked(int row);
    void recentClicked(int row);
    void contentsClicked(int row);
    void resultClicked(int row);
    void searchRequested();
    void updateRequested();
    // The entries the list passed over, one "NAME: skipped, why" each (file-system names).
    void entriesSkipped(const QStringList& entries);

private:
    void Refresh(TWikiFileListModel& model);

    TWikiFileListModel* pagesModel_;
    TWikiFileListModel* resultsModel_;
};

} // namespace tarnel
