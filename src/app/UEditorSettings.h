// The editor settings dialog (word wrap and stay-on-top) and the editing control's own
// property dialog behind its "詳細設定" button (font, tab width, marks, colouring).
#pragma once

#include "UEditorProperties.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QFontComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace tarnel {

class TLanguage;

// What the settings dialog edits.
struct TEditorSettingsValues {
    int WordWrap = 0;       // 0, 1, 2
    int WrapColumn = 80;    // the control's column of mode 2
    bool StayOnTop = false; // Editor/ViewForward
};

class TfrmEditorSettings : public QDialog {
    Q_OBJECT
public:
    TfrmEditorSettings(const TLanguage& language, QWidget* parent);

    // Shows the values; after an accepted exec, Values() holds the new ones.
    void SetValues(const TEditorSettingsValues& values);
    TEditorSettingsValues Values() const { return values_; }
    // The control's properties, which "詳細設定" edits; the column field follows them.
    void SetProperties(const TEditorProperties& properties) { properties_ = properties; }
    const TEditorProperties& Properties() const { return properties_; }
    void ApplyLanguage();

    QTabWidget* pgcSettings;
    QRadioButton *rbnWrapNo, *rbnWrapRightSide, *rbnWrapIndication;
    QLineEdit* edtWrapColumn;
    QCheckBox* ckbStayOnTop;
    QPushButton *btnOk, *btnClose, *btnDetail;
    // Run for the detail button (tests replace the property dialog); returns whether the
    // properties changed.
    std::function<bool(TEditorProperties&)> DetailHook;
    // The message of a column that is not a number (tests take it).
    std::function<void(const QString&)> MessageHook;

private:
    void Accept();
    void Detail();

    const TLanguage& language_;
    TEditorSettingsValues values_;
    TEditorProperties properties_;
};

// The control's property dialog.
class TfrmEditorProperties : public QDialog {
    Q_OBJECT
public:
    TfrmEditorProperties(const TEditorProperties& properties, const TLanguage& language,
                         QWidget* parent);
    TEditorProperties Properties() const;

    QFontComboBox* cmbFont;
    QSpinBox *spnFontSize, *spnTabWidth, *spnWrapColumn;
    QCheckBox *ckbLineNumbers, *ckbLineEnds, *ckbEndMark, *ckbAddresses, *ckbBrackets;

private:
    TEditorProperties base_;
};

} // namespace tarnel
