#include "USearchingDialog.h"

#include "UQtText.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnel {

TfrmSearching::TfrmSearching(const TLanguage& language, QWidget* parent) : QDialog(parent) {
    setWindowTitle(LangQ(language, "Searching.Title"));
    label_ = new QLabel(LangQ(language, "Searching.Caption"), this);
    progress_ = new QProgressBar(this);
    btnCancel = new QPushButton(LangQ(language, "Searching.Cancel.Button"), this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(progress_);
    layout->addWidget(btnCancel, 0, Qt::AlignRight);
    connect(btnCancel, &QPushButton::clicked, this, [this] { cancelled_ = true; });
    // The main window takes no input while the search runs.
    setWindowModality(Qt::ApplicationModal);
    resize(320, sizeHint().height());
}

void TfrmSearching::SetProgress(int done, int total) {
    if (progress_->maximum() != total) progress_->setRange(0, total);
    progress_->setValue(done);
}

void TfrmSearching::closeEvent(QCloseEvent* event) {
    cancelled_ = true;
    event->accept();
}

void TfrmSearching::reject() {
    cancelled_ = true;
}

} // namespace tarnel
