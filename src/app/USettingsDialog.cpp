#include "USettingsDialog.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QVBoxLayout>
#include <algorithm>

namespace tarnel {

namespace {

// A tab sheet whose controls stand one below the other, top-aligned.
QVBoxLayout* Sheet(QWidget* sheet) {
    auto* layout = new QVBoxLayout(sheet);
    layout->setAlignment(Qt::AlignTop);
    return layout;
}

} // namespace

TfrmSettings::TfrmSettings(const TLanguage& language, QWidget* parent)
    : QDialog(parent), language_(language) {
    setObjectName(QStringLiteral("frmSettings"));
    setModal(true);
    captions_.AddTitle(this, "Settings.Wiki.Title");
    pgcSettings = new QTabWidget(this);
    auto tab = [&](QWidget*& sheet, const char* name, const char* key) {
        sheet = new QWidget(pgcSettings);
        sheet->setObjectName(QLatin1String(name));
        captions_.AddTab(pgcSettings, pgcSettings->addTab(sheet, QString()), key);
    };
    auto label = [&](QWidget* sheet, const char* key) {
        return captions_.Add(new QLabel(sheet), key);
    };
    auto check = [&](QWidget* sheet, const char* key) {
        return captions_.Add(new QCheckBox(sheet), key);
    };
    auto radio = [&](QWidget* group, const char* key) {
        return captions_.Add(new QRadioButton(group), key);
    };

    // File: top page, extension, and the auto-save box that nothing uses.
    tab(tbsFile, "tbsFile", "Settings.Wiki.Tab.File");
    {
        auto* layout = new QFormLayout(tbsFile);
        edtTopPage = new QLineEdit(tbsFile);
        edtExtension = new QLineEdit(QStringLiteral(".txt"), tbsFile);
        layout->addRow(label(tbsFile, "Settings.Wiki.File.TopPage"), edtTopPage);
        layout->addRow(label(tbsFile, "Settings.Wiki.File.Extension"), edtExtension);
        // Auto-save is kept and written back, but nothing acts on it: never shown.
        ckbAutoSave = new QCheckBox(tbsFile);
        ckbAutoSave->setVisible(false);
        ckbAutoSave->setEnabled(false);
    }

    tab(tbsLink, "tbsLink", "Settings.Wiki.Tab.Link");
    {
        QVBoxLayout* layout = Sheet(tbsLink);
        layout->addWidget(ckbOpenBrowserOuterLink =
                              check(tbsLink, "Settings.Wiki.Link.OpenBrowserOuterLink"));
        layout->addWidget(ckbDontLinkWikiName =
                              check(tbsLink, "Settings.Wiki.Link.DontLinkWikiName"));
        layout->addWidget(ckbLooseWikiName = check(tbsLink, "Settings.Wiki.Link.LooseWikiName"));
    }

    tab(tbsView, "tbsView", "Settings.Wiki.Tab.View");
    {
        QVBoxLayout* layout = Sheet(tbsView);
        auto* group = captions_.Add(new QGroupBox(tbsView), "Settings.Wiki.View.Caption");
        auto* inner = new QVBoxLayout(group);
        inner->addWidget(rdbAboutBlank = radio(group, "Settings.Wiki.View.Radio.AboutBlank"));
        inner->addWidget(rdbTemporaryFile = radio(group, "Settings.Wiki.View.Radio.TemporaryFile"));
        layout->addWidget(group);
        layout->addWidget(label(tbsView, "Settings.Wiki.View.Description.1"));
        layout->addWidget(label(tbsView, "Settings.Wiki.View.Description.2"));
    }

    tab(tbsEditor, "tbsEditor", "Settings.Wiki.Tab.Editor");
    {
        QVBoxLayout* layout = Sheet(tbsEditor);
        auto* group = captions_.Add(new QGroupBox(tbsEditor), "Settings.Wiki.Editor.Caption");
        auto* inner = new QVBoxLayout(group);
        inner->addWidget(rdbBuiltIn = radio(group, "Settings.Wiki.View.Radio.BuildIn"));
        inner->addWidget(rdbStandard = radio(group, "Settings.Wiki.View.Radio.Standard"));
        rdbAssigned = new QRadioButton(group);
        // A language file may write the caption's quotes as \" pairs.
        captions_.Add([this] { return rdbAssigned->text(); },
                      [this](const QString& text) {
                          rdbAssigned->setText(
                              QString(text).replace(QStringLiteral("\\\""), QStringLiteral("\"")));
                      },
                      "Settings.Wiki.View.Radio.Indication");
        inner->addWidget(rdbAssigned);
        auto* command = new QHBoxLayout;
        edtAssigned = new QLineEdit(group);
        btnBrowse = captions_.Add(new QPushButton(group), "Settings.Wiki.View.Browse.Button");
        command->addWidget(edtAssigned, 1);
        command->addWidget(btnBrowse);
        inner->addLayout(command);
        layout->addWidget(group);
        layout->addWidget(label(tbsEditor, "Settings.Wiki.View.Required"));
        connect(btnBrowse, &QPushButton::clicked, this, [this] { Browse(); });
    }

    tab(tbsEncoding, "tbsEncoding", "Settings.Wiki.Tab.Encoding");
    {
        QVBoxLayout* layout = Sheet(tbsEncoding);
        auto* group =
            captions_.Add(new QGroupBox(tbsEncoding), "Settings.Wiki.ReadEncoding.Caption");
        auto* inner = new QVBoxLayout(group);
        inner->addWidget(rdbEuc = radio(group, "Settings.Wiki.ReadEncoding.Radio.Euc"));
        inner->addWidget(rdbAuto = radio(group, "Settings.Wiki.ReadEncoding.Radio.Auto"));
        layout->addWidget(group);
        layout->addWidget(ckbTitleEncoding = check(tbsEncoding, "Settings.Wiki.TitleEncoding"));
        layout->addWidget(ckbFileNameEncoding =
                              check(tbsEncoding, "Settings.Wiki.FileNameEncoding"));
    }

    tab(tbsTray, "tbsTray", "Settings.Wiki.Tab.Tray");
    {
        QVBoxLayout* layout = Sheet(tbsTray);
        layout->addWidget(ckbTrayMinimize = check(tbsTray, "Settings.Wiki.Tray.Minimize"));
        layout->addWidget(label(tbsTray, "Settings.Wiki.Tray.Required"));
    }

    tab(tbsRestrict, "tbsRestrict", "Settings.Wiki.Tab.Restrict");
    {
        QVBoxLayout* layout = Sheet(tbsRestrict);
        layout->addWidget(ckbRestrictNotation =
                              check(tbsRestrict, "Settings.Wiki.RestrictChangeWikiNotation"));
        layout->addWidget(ckbRestrictNewWiki =
                              check(tbsRestrict, "Settings.Wiki.RestrictCreateNewWiki"));
    }

    tab(tbsNotation, "tbsNotation", "Settings.Wiki.Tab.Notation");
    {
        QVBoxLayout* layout = Sheet(tbsNotation);
        auto* row = new QHBoxLayout;
        row->addWidget(ckbLineBreak =
                           check(tbsNotation, "Settings.Wiki.Notation.DoNotIgnoreLineBreaks"));
        row->addWidget(label(tbsNotation, "Settings.Wiki.Notation.ForPukiWiki"));
        row->addStretch();
        layout->addLayout(row);
    }

    tab(tbsList, "tbsList", "Settings.Wiki.Tab.List");
    Sheet(tbsList)->addWidget(ckbDisplayHierarchy =
                                  check(tbsList, "Settings.Wiki.List.DisplayHierarchy"));

    btnOk = captions_.Add(new QPushButton(this), "Settings.Wiki.Ok.Button");
    btnClose = captions_.Add(new QPushButton(this), "Settings.Wiki.Close.Button");
    btnOk->setDefault(true);
    connect(btnOk, &QPushButton::clicked, this, &TfrmSettings::accept);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOk);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pgcSettings);
    layout->addLayout(buttons);
    // Wide enough for the nine tabs side by side.
    resize(std::max(560, pgcSettings->tabBar()->sizeHint().width() + 40), 300);
}

void TfrmSettings::Load(const TSettingsForm& form) {
    form_ = form;
    edtTopPage->setText(FromDisplay(form.TopPage));
    edtExtension->setText(FromUtf8(form.Extension));
    ckbAutoSave->setChecked(form.AutoSave);
    ckbOpenBrowserOuterLink->setChecked(form.NewWindow);
    ckbDontLinkWikiName->setChecked(form.NoWikiNameLink);
    ckbLooseWikiName->setChecked(form.LooseWikiName);
    (form.TmpFileUse ? rdbTemporaryFile : rdbAboutBlank)->setChecked(true);
    switch (form.EditorType) {
    case TEditorType::Internal:
        rdbBuiltIn->setChecked(true);
        break;
    case TEditorType::Standard:
        rdbStandard->setChecked(true);
        break;
    case TEditorType::Assigned:
        rdbAssigned->setChecked(true);
        break;
    }
    edtAssigned->setText(FromUtf8(form.Assigned));
    (form.ReadCharCode == ReadCharCode::Automatic ? rdbAuto : rdbEuc)->setChecked(true);
    ckbTitleEncoding->setChecked(form.TitleEncodingUTF8);
    ckbFileNameEncoding->setChecked(form.NameEncodingUTF8);
    ckbTrayMinimize->setChecked(form.PuttingIntoSystemTray);
    ckbRestrictNotation->setChecked(form.RestrictChangeWikiNotation);
    ckbRestrictNewWiki->setChecked(form.RestrictCreateNewWiki);
    ckbLineBreak->setChecked(form.LineBreak);
    ckbDisplayHierarchy->setChecked(form.DisplayHierarchy);
    pgcSettings->setCurrentIndex(0);
}

void TfrmSettings::ApplyLanguage() {
    captions_.Apply(language_);
}

TSettingsForm TfrmSettings::Form() const {
    TSettingsForm form = form_;
    form.TopPage = ToDisplay(edtTopPage->text());
    form.Extension =
        NormalisedExtension(edtExtension->text().toStdString()).value_or(form_.Extension);
    form.AutoSave = ckbAutoSave->isChecked();
    form.NewWindow = ckbOpenBrowserOuterLink->isChecked();
    form.NoWikiNameLink = ckbDontLinkWikiName->isChecked();
    form.LooseWikiName = ckbLooseWikiName->isChecked();
    form.TmpFileUse = !rdbAboutBlank->isChecked();
    form.EditorType = rdbBuiltIn->isChecked()    ? TEditorType::Internal
                      : rdbStandard->isChecked() ? TEditorType::Standard
                                                 : TEditorType::Assigned;
    form.Assigned = edtAssigned->text().toStdString();
    form.ReadCharCode = rdbAuto->isChecked() ? ReadCharCode::Automatic : ReadCharCode::EucJp;
    form.TitleEncodingUTF8 = ckbTitleEncoding->isChecked();
    form.NameEncodingUTF8 = ckbFileNameEncoding->isChecked();
    form.PuttingIntoSystemTray = ckbTrayMinimize->isChecked();
    form.RestrictChangeWikiNotation = ckbRestrictNotation->isChecked();
    form.RestrictCreateNewWiki = ckbRestrictNewWiki->isChecked();
    form.LineBreak = ckbLineBreak->isChecked();
    form.DisplayHierarchy = ckbDisplayHierarchy->isChecked();
    return form;
}

void TfrmSettings::Browse() {
    QString file;
    if (BrowseHook) {
        file = BrowseHook();
    } else {
        // Programs on Linux have no extension of their own: the filter offers every file,
        // starting where programs live.
        QFileDialog dialog(this, QString(), QStringLiteral("/usr/bin"),
                           FileDialogFilter(LangQ(language_, "Settings.Wiki.View.Browse.Filter")));
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            file = dialog.selectedFiles().first();
    }
    if (file.isEmpty()) return;
    edtAssigned->setText(FromUtf8(AssignedEditorFromBrowse(file.toStdString())));
}

void TfrmSettings::accept() {
    std::optional<std::string> extension = NormalisedExtension(edtExtension->text().toStdString());
    if (!extension) {
        QApplication::beep();
        Message(FormatQ(LangQ(language_, "Settings.Wiki.Message.BadExtension.Format"),
                        edtExtension->text()));
        pgcSettings->setCurrentWidget(tbsFile);
        edtExtension->setFocus();
        return;
    }
    edtExtension->setText(FromUtf8(*extension));
    QDialog::accept();
}

void TfrmSettings::Message(const QString& text) {
    if (MessageHook)
        MessageHook(text);
    else
        QMessageBox::warning(this, windowTitle(), text);
}

} // namespace tarnel
