#include "UFilePropertiesDialog.h"

#include "UQtText.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace tarnel {

TfrmFileProperties::TfrmFileProperties(const TFileProperties& p, const TLanguage& language,
                                       QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmFileProperties"));
    setWindowTitle(LangQ(language, "Main.Property.Title"));
    auto value = [this](const QString& text) {
        auto* label = new QLabel(text, this);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        return label;
    };
    lblPath = value(FromUtf8(p.Path));
    lblPath->setWordWrap(true);
    lblSize = value(QLocale().toString(qulonglong(p.Size)));
    lblModified = value(QLocale().toString(QDateTime::fromSecsSinceEpoch(qint64(p.Modified)),
                                           QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    lblEncoding = value(FromUtf8(p.EncodingName()));
    lblLineBreak = value(FromUtf8(p.LineBreakName().empty() ? "-" : p.LineBreakName()));

    auto* form = new QFormLayout;
    form->addRow(LangQ(language, "Main.Property.Path"), lblPath);
    form->addRow(LangQ(language, "Main.Property.Size"), lblSize);
    form->addRow(LangQ(language, "Main.Property.Modified"), lblModified);
    form->addRow(LangQ(language, "Main.Property.Encoding"), lblEncoding);
    form->addRow(LangQ(language, "Main.Property.LineBreak"), lblLineBreak);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = buttons->addButton(LangQ(language, "Main.Property.Close.Button"),
                                            QDialogButtonBox::AcceptRole);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

} // namespace tarnel
