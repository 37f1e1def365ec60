// TfrmSettings: the application settings dialog, nine tabs over a copy of the settings.
//
// The dialog only shows and reads back a TSettingsForm (render/USettingsChange.h); what OK
// changes in the running program is decided there and carried out by the main window.
#pragma once

#include "UDialogCaptions.h"
#include "render/USettingsChange.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tarnel {

class TLanguage;

class TfrmSettings : public QDialog {
    Q_OBJECT
public:
    TfrmSettings(const TLanguage& language, QWidget* parent);

    // Puts the fields into the controls and shows the first tab.
    void Load(const TSettingsForm& form);
    // Re-labels every caption from the language table.
    void ApplyLanguage();
    // The controls read back (the extension as OK normalised it).
    TSettingsForm Form() const;
    // The browse button: a program chosen in a file dialog becomes the command line.
    void Browse();

    // Tests answer the file dialog and take the messages.
    std::function<QString()> BrowseHook;
    std::function<void(const QString&)> MessageHook;

    QTabWidget* pgcSettings;
    QWidget *tbsFile, *tbsLink, *tbsView, *tbsEditor, *tbsEncoding, *tbsTray, *tbsRestrict,
        *tbsNotation, *tbsList;
    QLineEdit *edtTopPage, *edtExtension, *edtAssigned;
    QCheckBox *ckbAutoSave, *ckbOpenBrowserOuterLink, *ckbDontLinkWikiName, *ckbLooseWikiName,
        *ckbTitleEncoding, *ckbFileNameEncoding, *ckbTrayMinimize, *ckbRestrictNotation,
        *ckbRestrictNewWiki, *ckbLineBreak, *ckbDisplayHierarchy;
    QRadioButton *rdbAboutBlank, *rdbTemporaryFile, *rdbBuiltIn, *rdbStandard, *rdbAssigned,
        *rdbEuc, *rdbAuto;
    QPushButton *btnBrowse, *btnOk, *btnClose;

public slots:
    // OK: closes only with an extension that a page file can have.
    void accept() override;

private:
    void Message(const QString& text);

    const TLanguage& language_;
    TDialogCaptions captions_;
    TSettingsForm form_; // what Load put in; the hidden auto-save value comes back unchanged
};

} // namespace tarnel
