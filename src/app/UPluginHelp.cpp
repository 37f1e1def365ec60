#include "UPluginHelp.h"

#include "settings/UTarnelReg.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarnel {

namespace {

enum Column { NameColumn, VersionColumn, TypeColumn, FileNameColumn, AuthorColumn, Columns };

const char* const kHeaderKeys[Columns] = {"PluginUsage.Header.Name", "PluginUsage.Header.Version",
                                          "PluginUsage.Header.Type", "PluginUsage.Header.FileName",
                                          "PluginUsage.Header.Author"};

QPlainTextEdit* InfoBox(QWidget* parent) {
    auto* box = new QPlainTextEdit(parent);
    box->setReadOnly(true);
    box->setMaximumHeight(box->fontMetrics().lineSpacing() * 4 + 12);
    return box;
}

} // namespace

TfrmPluginHelp::TfrmPluginHelp(const TLanguage& language, TTarnelReg& settings, QWidget* parent)
    : QDialog(parent), language_(language), settings_(settings) {
    setObjectName(QStringLiteral("frmPluginHelp"));
    setModal(false);
    captions_.AddTitle(this, "PluginUsage.Title");

    lsvPluginList = new QTreeWidget(this);
    lsvPluginList->setColumnCount(Columns);
    lsvPluginList->setRootIsDecorated(false);
    lsvPluginList->setSelectionBehavior(QAbstractItemView::SelectRows);
    lsvPluginList->setSelectionMode(QAbstractItemView::SingleSelection);
    lsvPluginList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lsvPluginList->setAllColumnsShowFocus(true);
    QTreeWidgetItem* header = lsvPluginList->headerItem();
    for (int c = 0; c < Columns; ++c) {
        captions_.Add([header, c] { return header->text(c); },
                      [header, c](const QString& t) { header->setText(c, t); }, kHeaderKeys[c]);
    }
    header->setTextAlignment(VersionColumn, Qt::AlignRight | Qt::AlignVCenter);
    header->setTextAlignment(TypeColumn, Qt::AlignRight | Qt::AlignVCenter);

    edtFileName = new QLineEdit(this);
    edtFileName->setReadOnly(true);
    edtSyntax = InfoBox(this);
    edtDescription = InfoBox(this);
    edtExample = InfoBox(this);
    auto* info = new QFormLayout;
    auto label = [&](const char* key) { return captions_.Add(new QLabel(this), key); };
    info->addRow(label("PluginUsage.Info.FileName"), edtFileName);
    info->addRow(label("PluginUsage.Info.Syntax"), edtSyntax);
    info->addRow(label("PluginUsage.Info.Description"), edtDescription);
    info->addRow(label("PluginUsage.Info.Example"), edtExample);

    bbnClose = captions_.Add(new QPushButton(this), "PluginUsage.Close.Button");
    connect(bbnClose, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(bbnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lsvPluginList, 1);
    layout->addLayout(info);
    layout->addLayout(buttons);
    resize(560, 440);

    connect(lsvPluginList, &QTreeWidget::itemSelectionChanged, this, [this] { ShowSelected(); });
}

void TfrmPluginHelp::Fill(const TPluginShelf& shelf) {
    lsvPluginList->clear();
    rows_ = PluginUsageRows(shelf);
    for (const TPluginUsageRow& row : rows_) {
        auto* item = new QTreeWidgetItem(lsvPluginList);
        item->setText(NameColumn, FromDisplay(row.Name));
        item->setText(VersionColumn, FromDisplay(row.Version));
        item->setText(TypeColumn, FromUtf8(row.Type));
        item->setText(FileNameColumn, FromUtf8(row.FileName));
        item->setText(AuthorColumn, FromDisplay(row.Author));
        item->setTextAlignment(VersionColumn, Qt::AlignRight | Qt::AlignVCenter);
        item->setTextAlignment(TypeColumn, Qt::AlignRight | Qt::AlignVCenter);
    }
    // Wide enough for the header and every row.
    QHeaderView* header = lsvPluginList->header();
    header->resizeSections(QHeaderView::ResizeToContents);
    for (int c = 0; c < Columns; ++c)
        header->resizeSection(c, header->sectionSize(c) + 16);
}

void TfrmPluginHelp::Place(const TDesktopArea& desktop) {
    TWindowPlace place = PlaceOnDesktop(settings_.PluginTop, settings_.PluginLeft, desktop);
    move(place.left, place.top);
    placed_ = true;
    StorePlace();
}

void TfrmPluginHelp::ApplyLanguage() {
    captions_.Apply(language_);
}

void TfrmPluginHelp::ShowSelected() {
    QList<QTreeWidgetItem*> selected = lsvPluginList->selectedItems();
    if (selected.isEmpty()) return;
    int index = lsvPluginList->indexOfTopLevelItem(selected.first());
    if (index < 0 || index >= static_cast<int>(rows_.size())) return;
    const TPluginUsageRow& row = rows_[static_cast<std::size_t>(index)];
    edtFileName->setText(FromUtf8(row.Path));
    edtSyntax->setPlainText(FromDisplay(row.Syntax));
    edtDescription->setPlainText(FromDisplay(row.Description));
    edtExample->setPlainText(FromDisplay(row.Example));
}

void TfrmPluginHelp::StorePlace() {
    if (!placed_) return;
    settings_.PluginTop = pos().y();
    settings_.PluginLeft = pos().x();
}

void TfrmPluginHelp::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    if (isVisible()) StorePlace();
}

void TfrmPluginHelp::hideEvent(QHideEvent* event) {
    StorePlace();
    QDialog::hideEvent(event);
}

} // namespace tarnel
