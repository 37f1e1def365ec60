#include "UCssSelectDialog.h"

#include "UQtText.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <stdexcept>

namespace tarnel {

TfrmCssSelect::TfrmCssSelect(TDesignList designs, const TLanguage& language, Apply apply,
                             Message message, QWidget* parent)
    : QDialog(parent), designs_(std::move(designs)), language_(language), apply_(std::move(apply)),
      message_(std::move(message)) {
    setObjectName(QStringLiteral("frmCssSelect"));
    setWindowTitle(BuiltIn("Settings.Design.Title"));
    setModal(false);
    lsbDesigns = new QListWidget(this);
    edtStyleSheet = new QPlainTextEdit(this);
    edtStyleSheet->setReadOnly(true);
    edtStyleSheet->setLineWrapMode(QPlainTextEdit::NoWrap);
    btnUpdate = new QPushButton(BuiltIn("Settings.Design.Update.Button"), this);
    btnUpdate->setToolTip(BuiltIn("Settings.Design.Update.Button.Hint"));
    btnOk = new QPushButton(BuiltIn("Settings.Design.Ok.Button"), this);
    btnCancel = new QPushButton(BuiltIn("Settings.Design.Cancel.Button"), this);
    btnApply = new QPushButton(BuiltIn("Settings.Design.Apply.Button"), this);

    auto* left = new QVBoxLayout;
    left->addWidget(lsbDesigns);
    left->addWidget(btnUpdate);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(edtStyleSheet, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnCancel);
    buttons->addWidget(btnApply);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    resize(640, 420);

    connect(lsbDesigns, &QListWidget::itemClicked, this, [this] { ShowStyleSheet(); });
    connect(btnUpdate, &QPushButton::clicked, this, [this] { RefreshDesigns(); });
    connect(btnApply, &QPushButton::clicked, this, [this] { ApplyDesign(); });
    connect(btnOk, &QPushButton::clicked, this, [this] {
        if (ApplyDesign()) hide();
    });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::hide);
}

void TfrmCssSelect::RefreshDesigns() {
    lsbDesigns->clear();
    std::vector<std::string> names = designs_.Designs();
    for (const std::string& name : names)
        lsbDesigns->addItem(FromUtf8(name));
    int index = designs_.IndexOf(currentDesign_);
    lsbDesigns->setCurrentRow(index);
    if (index < 0) lsbDesigns->clearSelection();
    ShowStyleSheet();
}

void TfrmCssSelect::ShowStyleSheet() {
    QListWidgetItem* item = lsbDesigns->currentItem();
    if (!item || !item->isSelected()) return; // no selection: the text stays
    try {
        std::string text = designs_.StyleSheetText(item->text().toStdString());
        edtStyleSheet->setPlainText(QString::fromUtf8(text.data(), int(text.size())));
    } catch (const std::exception& e) {
        if (message_) message_(QString::fromStdString(e.what()));
    }
}

bool TfrmCssSelect::ApplyDesign() {
    QListWidgetItem* item = lsbDesigns->currentItem();
    if (!item || !item->isSelected()) {
        if (message_) message_(LangQ(language_, "Settings.Design.NoSelect"));
        return false;
    }
    currentDesign_ = item->text().toStdString();
    if (apply_) apply_(currentDesign_);
    return true;
}

void TfrmCssSelect::ApplyLanguage() {
    setWindowTitle(LangQ(language_, "Settings.Design.Title", windowTitle()));
    btnUpdate->setText(LangQ(language_, "Settings.Design.Update.Button", btnUpdate->text()));
    btnUpdate->setToolTip(
        LangQ(language_, "Settings.Design.Update.Button.Hint", btnUpdate->toolTip()));
    btnOk->setText(LangQ(language_, "Settings.Design.Ok.Button", btnOk->text()));
    btnCancel->setText(LangQ(language_, "Settings.Design.Cancel.Button", btnCancel->text()));
    btnApply->setText(LangQ(language_, "Settings.Design.Apply.Button", btnApply->text()));
}

void TfrmCssSelect::Open() {
    if (!isVisible()) RefreshDesigns();
    ApplyLanguage();
    if (QWidget* owner = parentWidget()) {
        QRect frame = owner->frameGeometry();
        move(frame.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

} // namespace tarnel
