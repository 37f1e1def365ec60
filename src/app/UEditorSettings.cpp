#include "UEditorSettings.h"

#include "UQtText.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tarnel {

TfrmEditorSettings::TfrmEditorSettings(const TLanguage& language, QWidget* parent)
    : QDialog(parent), language_(language) {
    setObjectName(QStringLiteral("frmEditorSettings"));
    pgcSettings = new QTabWidget(this);
    auto* wrap = new QWidget(pgcSettings);
    rbnWrapNo = new QRadioButton(wrap);
    rbnWrapRightSide = new QRadioButton(wrap);
    rbnWrapIndication = new QRadioButton(wrap);
    edtWrapColumn = new QLineEdit(wrap);
    edtWrapColumn->setMaximumWidth(80);
    auto* wrapLayout = new QVBoxLayout(wrap);
    wrapLayout->addWidget(rbnWrapNo);
    wrapLayout->addWidget(rbnWrapRightSide);
    auto* column = new QHBoxLayout;
    column->addWidget(rbnWrapIndication);
    column->addWidget(edtWrapColumn);
    column->addStretch();
    wrapLayout->addLayout(column);
    wrapLayout->addStretch();
    auto* view = new QWidget(pgcSettings);
    ckbStayOnTop = new QCheckBox(view);
    auto* viewLayout = new QVBoxLayout(view);
    viewLayout->addWidget(ckbStayOnTop);
    viewLayout->addStretch();
    pgcSettings->addTab(wrap, QString());
    pgcSettings->addTab(view, QString());

    btnOk = new QPushButton(this);
    btnClose = new QPushButton(this);
    btnDetail = new QPushButton(this);
    btnOk->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnDetail);
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pgcSettings);
    layout->addLayout(buttons);

    connect(btnOk, &QPushButton::clicked, this, &TfrmEditorSettings::Accept);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(btnDetail, &QPushButton::clicked, this, &TfrmEditorSettings::Detail);
    ApplyLanguage();
}

void TfrmEditorSettings::ApplyLanguage() {
    const TLanguage& l = language_;
    setWindowTitle(LangQ(l, "Editor.Settings.Title"));
    pgcSettings->setTabText(0, LangQ(l, "Editor.Settings.Tab.WordWrap"));
    pgcSettings->setTabText(1, LangQ(l, "Editor.Settings.Tab.View"));
    rbnWrapNo->setText(LangQ(l, "Editor.Settings.WordWrap.Radio.No"));
    rbnWrapRightSide->setText(LangQ(l, "Editor.Settings.WordWrap.Radio.RightSide"));
    rbnWrapIndication->setText(LangQ(l, "Editor.Settings.WordWrap.Radio.Indication"));
    ckbStayOnTop->setText(LangQ(l, "Editor.Settings.View.StayOnTop"));
    ckbStayOnTop->setToolTip(LangQ(l, "Editor.Settings.View.StayOnTop.Hint"));
    btnOk->setText(LangQ(l, "Editor.Settings.Ok.Button"));
    btnClose->setText(LangQ(l, "Editor.Settings.Close.Button"));
    btnDetail->setText(LangQ(l, "Editor.Settings.Detail.Button"));
}

void TfrmEditorSettings::SetValues(const TEditorSettingsValues& values) {
    values_ = values;
    rbnWrapNo->setChecked(values.WordWrap == 0);
    rbnWrapRightSide->setChecked(values.WordWrap == 1);
    rbnWrapIndication->setChecked(values.WordWrap == 2);
    edtWrapColumn->setText(QString::number(values.WrapColumn));
    ckbStayOnTop->setChecked(values.StayOnTop);
}

void TfrmEditorSettings::Accept() {
    bool ok = false;
    int column = edtWrapColumn->text().trimmed().toInt(&ok);
    if (!ok || column < 1 || column > 1000) {
        // The dialog stays open on a column that is no number of columns.
        QString message = QStringLiteral("'%1' is not a valid integer value (1-1000).")
                              .arg(edtWrapColumn->text());
        if (MessageHook)
            MessageHook(message);
        else
            QMessageBox::warning(this, windowTitle(), message);
        edtWrapColumn->setFocus();
        return;
    }
    values_.WordWrap = rbnWrapIndication->isChecked() ? 2 : rbnWrapRightSide->isChecked() ? 1 : 0;
    values_.WrapColumn = column;
    values_.StayOnTop = ckbStayOnTop->isChecked();
    properties_.WrapColumn = column;
    accept();
}

void TfrmEditorSettings::Detail() {
    TEditorProperties p = properties_;
    bool ok = false;
    int column = edtWrapColumn->text().trimmed().toInt(&ok);
    if (ok && column >= 1 && column <= 1000) p.WrapColumn = column;
    bool changed = false;
    if (DetailHook) {
        changed = DetailHook(p);
    } else {
        TfrmEditorProperties dialog(p, language_, this);
        if (dialog.exec() == QDialog::Accepted) {
            p = dialog.Properties();
            changed = true;
        }
    }
    if (!changed) return;
    properties_ = p;
    edtWrapColumn->setText(QString::number(p.WrapColumn));
}

TfrmEditorProperties::TfrmEditorProperties(const TEditorProperties& p, const TLanguage& language,
                                           QWidget* parent)
    : QDialog(parent), base_(p) {
    setObjectName(QStringLiteral("frmEditorProperties"));
    setWindowTitle(LangQ(language, "Editor.Property.Title"));
    cmbFont = new QFontComboBox(this);
    cmbFont->setCurrentFont(QFont(FromUtf8(p.FontFamily)));
    auto spin = [this](int low, int high, int value) {
        auto* s = new QSpinBox(this);
        s->setRange(low, high);
        s->setValue(value);
        return s;
    };
    spnFontSize = spin(4, 72, p.FontSize);
    spnTabWidth = spin(1, 32, p.TabWidth);
    spnWrapColumn = spin(1, 1000, p.WrapColumn);
    auto check = [this](const char* key, bool value, const TLanguage& l) {
        auto* c = new QCheckBox(LangQ(l, key), this);
        c->setChecked(value);
        return c;
    };
    ckbLineNumbers = check("Editor.Property.LineNumbers", p.LineNumbers, language);
    ckbLineEnds = check("Editor.Property.LineEnds", p.LineEnds, language);
    ckbEndMark = check("Editor.Property.EndMark", p.EndMark, language);
    ckbAddresses = check("Editor.Property.Addresses", p.Addresses, language);
    ckbBrackets = check("Editor.Property.Brackets", p.Brackets, language);
    auto* font = new QHBoxLayout;
    font->addWidget(cmbFont, 1);
    font->addWidget(spnFontSize);
    auto* form = new QFormLayout;
    form->addRow(LangQ(language, "Editor.Property.Font"), font);
    form->addRow(LangQ(language, "Editor.Property.TabWidth"), spnTabWidth);
    form->addRow(LangQ(language, "Editor.Property.WrapColumn"), spnWrapColumn);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    for (QCheckBox* c : {ckbLineNumbers, ckbLineEnds, ckbEndMark, ckbAddresses, ckbBrackets})
        layout->addWidget(c);
    layout->addWidget(buttons);
}

TEditorProperties TfrmEditorProperties::Properties() const {
    TEditorProperties p = base_;
    p.FontFamily = cmbFont->currentFont().family().toStdString();
    p.FontSize = spnFontSize->value();
    p.TabWidth = spnTabWidth->value();
    p.WrapColumn = spnWrapColumn->value();
    p.LineNumbers = ckbLineNumbers->isChecked();
    p.LineEnds = ckbLineEnds->isChecked();
    p.EndMark = ckbEndMark->isChecked();
    p.Addresses = ckbAddresses->isChecked();
    p.Brackets = ckbBrackets->isChecked();
    return p;
}

} // namespace tarnel
