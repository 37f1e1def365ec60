// TfrmPluginHelp: the plug-in usage window. Modeless; lists the loaded plug-ins and shows
// how to use the one selected. It only reads the shelf.
#pragma once

#include "UDialogCaptions.h"
#include "render/UPluginUsage.h"
#include "render/UWindowPlace.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace tarnel {

class TLanguage;
class TTarnelReg;

class TfrmPluginHelp : public QDialog {
    Q_OBJECT
public:
    // The window keeps its place in `settings` (PluginTop, PluginLeft) whenever it moves or
    // hides, so the settings saved at exit hold where it was last.
    TfrmPluginHelp(const TLanguage& language, TTarnelReg& settings, QWidget* parent);

    // One row per plug-in of `shelf`, in shelf order.
    void Fill(const TPluginShelf& shelf);
    // Puts the window at the stored place, brought back onto `desktop`.
    void Place(const TDesktopArea& desktop);
    void ApplyLanguage();
    // Shows the selected plug-in in the four boxes; no selection changes nothing.
    void ShowSelected();

    QTreeWidget* lsvPluginList;
    QLineEdit* edtFileName;
    QPlainTextEdit *edtSyntax, *edtDescription, *edtExample;
    QPushButton* bbnClose;

protected:
    void moveEvent(QMoveEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void StorePlace();

    const TLanguage& language_;
    TTarnelReg& settings_;
    TDialogCaptions captions_;
    std::vector<TPluginUsageRow> rows_;
    bool placed_ = false; // moves before the first placing are the window system's
};

} // namespace tarnel
