// The editor's find and replace dialog: one modeless dialog in two shapes, Find (the text,
// the options and Find Next) and Replace (with the replacement and Replace, Replace All).
// It only collects what to look for; the editor window does the search.
#pragma once

#include "storage/UEditorText.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QGroupBox;

namespace tarnel {

class TLanguage;

class TfrmEditorFind : public QDialog {
    Q_OBJECT
public:
    explicit TfrmEditorFind(QWidget* parent);

    // Shows the dialog as Find (`replace` false) or Replace, with `what` proposed.
    void Open(bool replace, const QString& what);
    bool ReplaceMode() const { return replace_; }
    void ApplyLanguage(const TLanguage& language);

    std::string What() const;
    std::string With() const;
    TSearchOptions Options() const;

    QLineEdit *edtWhat, *edtWith;
    QCheckBox *ckbMatchCase, *ckbWholeWord;
    QRadioButton *rbnUp, *rbnDown;
    QPushButton *btnFindNext, *btnReplace, *btnReplaceAll, *btnCancel;

signals:
    void findNext();
    void replaceNext();
    void replaceAll();

private:
    QLabel *lblWhat_, *lblWith_;
    QGroupBox* grpDirection_;
    bool replace_ = false;
};

} // namespace tarnel
