// The design dialog: the designs beside the program, the style sheet of the one selected,
// and Update, Apply, OK and Cancel. Modeless; it lives for the whole run and is only shown
// and hidden.
#pragma once

#include "render/UDesignList.h"

#include <QDialog>
#include <functional>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tarnel {

class TLanguage;

class TfrmCssSelect : public QDialog {
    Q_OBJECT
public:
    using Apply = std::function<void(const std::string& design)>;
    using Message = std::function<void(const QString& text)>;

    TfrmCssSelect(TDesignList designs, const TLanguage& language, Apply apply, Message message,
                  QWidget* parent);
    // The design in use (the setting CssName): selected by RefreshDesigns.
    void SetCurrentDesign(const std::string& design) { currentDesign_ = design; }
    const std::string& CurrentDesign() const { return currentDesign_; }
    void RefreshDesigns();
    void ShowStyleSheet();
    // False when no design is selected (the message has been shown).
    bool ApplyDesign();
    void ApplyLanguage();
    // Shows the dialog centred on its parent, refreshed when it was hidden.
    void Open();

    QListWidget* lsbDesigns;
    QPlainTextEdit* edtStyleSheet;
    QPushButton *btnUpdate, *btnOk, *btnCancel, *btnApply;

private:
    TDesignList designs_;
    const TLanguage& language_;
    Apply apply_;
    Message message_;
    std::string currentDesign_;
};

} // namespace tarnel
