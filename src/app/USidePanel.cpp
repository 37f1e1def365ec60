#include "USidePanel.h"

#include "UQtText.h"
#include "conversion/UContentsShelf.h"
#include "storage/URecentFileList.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace tarnel {

namespace {

QListView* MakeListView(QAbstractItemModel* model, QWidget* parent) {
    auto* view = new QListView(parent);
    // Uniform rows let the view lay out 100,000 names without measuring each one.
    view->setUniformItemSizes(true);
    view->setLayoutMode(QListView::Batched);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setModel(model);
    return view;
}

// A tooltip and a status-bar text from a hint "short|long".
void SetHint(QWidget* widget, const TLanguage& language, const char* key) {
    QString hint = LangQ(language, key, widget->statusTip());
    if (hint.isEmpty()) return;
    int bar = hint.indexOf(QLatin1Char('|'));
    widget->setToolTip(bar < 0 ? hint : hint.left(bar));
    widget->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}

} // namespace

void TSidePanel::Refresh(TWikiFileListModel& model) {
    model.Reset();
    QStringList skipped;
    for (const std::string& entry : model.List().skipped)
        skipped << QString::fromUtf8(entry.data(), qsizetype(entry.size()));
    if (!skipped.isEmpty()) emit entriesSkipped(skipped);
}

TSidePanel::TSidePanel(const TWikiFileList& pages, const TWikiFileList& results, QWidget* parent)
    : QTabWidget(parent), pagesModel_(new TWikiFileListModel(pages, true, this)),
      resultsModel_(new TWikiFileListModel(results, false, this)) {
    setObjectName(QStringLiteral("pgcList"));

    tbsFileList = new QWidget(this);
    auto* listLayout = new QVBoxLayout(tbsFileList);
    listLayout->setContentsMargins(2, 2, 2, 2);
    lsbFileList = MakeListView(pagesModel_, tbsFileList);
    lsbFileList->setObjectName(QStringLiteral("lsbFileList"));
    lsbFileList->setContextMenuPolicy(Qt::CustomContextMenu);
    btnUpdate = new QPushButton(BuiltIn("Main.Side.Tab.List.Update"), tbsFileList);
    btnUpdate->setEnabled(false); // until a page has been shown
    listLayout->addWidget(lsbFileList);
    listLayout->addWidget(btnUpdate);

    tbsRecentFileList = new QWidget(this);
    auto* recentLayout = new QVBoxLayout(tbsRecentFileList);
    recentLayout->setContentsMargins(2, 2, 2, 2);
    lsbRecentFileList = new QListWidget(tbsRecentFileList);
    lsbRecentFileList->setContextMenuPolicy(Qt::CustomContextMenu);
    recentLayout->addWidget(lsbRecentFileList);

    tbsContentsList = new QWidget(this);
    auto* contentsLayout = new QVBoxLayout(tbsContentsList);
    contentsLayout->setContentsMargins(2, 2, 2, 2);
    lsbContentsList = new QListWidget(tbsContentsList);
    lsbContentsList->setContextMenuPolicy(Qt::CustomContextMenu);
    contentsLayout->addWidget(lsbContentsList);

    tbsSearch = new QWidget(this);
    auto* searchLayout = new QVBoxLayout(tbsSearch);
    searchLayout->setContentsMargins(2, 2, 2, 2);
    edtSearch = new QLineEdit(tbsSearch);
    ckbTitle = new QCheckBox(BuiltIn("Main.Side.Tab.Search.Title"), tbsSearch);
    ckbContent = new QCheckBox(BuiltIn("Main.Side.Tab.Search.Content"), tbsSearch);
    ckbTitle->setChecked(true);
    ckbContent->setChecked(true);
    btnSearch = new QPushButton(BuiltIn("Main.Side.Tab.Search.Search"), tbsSearch);
    auto* row = new QHBoxLayout;
    row->addWidget(ckbTitle);
    row->addWidget(ckbContent);
    row->addStretch();
    row->addWidget(btnSearch);
    lsbSearchResultList = MakeListView(resultsModel_, tbsSearch);
    searchLayout->addWidget(edtSearch);
    searchLayout->addLayout(row);
    searchLayout->addWidget(lsbSearchResultList);

    addTab(tbsFileList, BuiltIn("Main.Side.Tab.List"));
    addTab(tbsRecentFileList, BuiltIn("Main.Side.Tab.Recent"));
    addTab(tbsContentsList, BuiltIn("Main.Side.Tab.Contents"));
    addTab(tbsSearch, BuiltIn("Main.Side.Tab.Search"));

    connect(lsbFileList, &QListView::clicked, this,
            [this](const QModelIndex& index) { emit pageClicked(index.row()); });
    connect(lsbFileList, &QListView::doubleClicked, this,
            [this](const QModelIndex& index) { emit pageDoubleClicked(index.row()); });
    connect(lsbFileList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        QModelIndex index = lsbFileList->indexAt(pos);
        if (index.isValid()) // a right-click on no item shows no menu
            emit pageMenuRequested(index.row(), lsbFileList->viewport()->mapToGlobal(pos));
    });
    connect(btnUpdate, &QPushButton::clicked, this, &TSidePanel::updateRequested);
    connect(lsbRecentFileList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit recentClicked(lsbRecentFileList->row(item)); });
    connect(lsbRecentFileList, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) {
                if (QListWidgetItem* item = lsbRecentFileList->itemAt(pos))
                    emit recentClicked(lsbRecentFileList->row(item));
            });
    connect(lsbContentsList, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { emit contentsClicked(lsbContentsList->row(item)); });
    connect(lsbContentsList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QListWidgetItem* item = lsbContentsList->itemAt(pos)) {
            lsbContentsList->setCurrentItem(item);
            emit contentsClicked(lsbContentsList->row(item));
        }
    });
    connect(lsbSearchResultList, &QListView::clicked, this,
            [this](const QModelIndex& index) { emit resultClicked(index.row()); });
    connect(btnSearch, &QPushButton::clicked, this, &TSidePanel::searchRequested);
    connect(edtSearch, &QLineEdit::returnPressed, this, &TSidePanel::searchRequested);
}

void TSidePanel::RefreshRecent(const TRecentFileList& recent) {
    lsbRecentFileList->clear();
    for (int i = 0; i < recent.Count(); ++i)
        lsbRecentFileList->addItem(FromDisplay(recent.PageName(i)));
    if (recent.Count() > 0) lsbRecentFileList->setCurrentRow(0);
}

void TSidePanel::RefreshContents(const TContentsShelf& contents) {
    lsbContentsList->clear();
    for (int i = 0; i < contents.Count(); ++i)
        lsbContentsList->addItem(FromDisplay(contents.DisplayText(i)));
    if (contents.Count() > 0) lsbContentsList->setCurrentRow(0);
}

void TSidePanel::SelectPage(int row) {
    if (row < 0) {
        lsbFileList->clearSelection();
        lsbFileList->setCurrentIndex(QModelIndex());
        return;
    }
    QModelIndex index = pagesModel_->index(row);
    lsbFileList->setCurrentIndex(index);
    lsbFileList->scrollTo(index);
}

int TSidePanel::SelectedPage() const {
    QModelIndexList rows = lsbFileList->selectionModel()->selectedIndexes();
    return rows.isEmpty() ? -1 : rows.front().row();
}

QAbstractItemView* TSidePanel::ActiveList() const {
    switch (currentIndex()) {
    case ListTab:
        return lsbFileList;
    case RecentTab:
        return lsbRecentFileList;
    case ContentsTab:
        return lsbContentsList;
    case SearchTab:
        return lsbSearchResultList;
    default:
        return nullptr;
    }
}

void TSidePanel::ApplyLanguage(const TLanguage& language) {
    const char* tabKeys[] = {"Main.Side.Tab.List", "Main.Side.Tab.Recent", "Main.Side.Tab.Contents",
                             "Main.Side.Tab.Search"};
    const char* tabHints[] = {"Main.Side.Tab.List.Hint", "Main.Side.Tab.Recent.Hint",
                              "Main.Side.Tab.Contents.Hint", "Main.Side.Tab.Search.Hint"};
    for (int i = 0; i < 4; ++i) {
        setTabText(i, LangQ(language, tabKeys[i], tabText(i)));
        QString hint = LangQ(language, tabHints[i], tabToolTip(i));
        int bar = hint.indexOf(QLatin1Char('|'));
        setTabToolTip(i, bar < 0 ? hint : hint.left(bar));
    }
    btnUpdate->setText(LangQ(language, "Main.Side.Tab.List.Update", btnUpdate->text()));
    ckbTitle->setText(LangQ(language, "Main.Side.Tab.Search.Title", ckbTitle->text()));
    ckbContent->setText(LangQ(language, "Main.Side.Tab.Search.Content", ckbContent->text()));
    btnSearch->setText(LangQ(language, "Main.Side.Tab.Search.Search", btnSearch->text()));
    SetHint(ckbTitle, language, "Main.Side.Tab.Search.Title.Hint");
    SetHint(ckbContent, language, "Main.Side.Tab.Search.Content.Hint");
}

} // namespace tarnel
