// TfrmEditor: the internal editor window. One for the whole run, hidden until used; it
// always holds the page the main window shows (or the new page being started).
//
// The window draws and forwards. The page it holds and its save (outside changes, the "~"
// copy, characters the page file cannot hold, the emptied page) are TEditedPage's; the date
// formats, find and replace are the engine's (storage/UEditorText.h). What a save means for
// the rest of the program (show the page again, list a new page, delete an emptied one) the
// main window does through TEditorHost.
#pragma once

#include "UEditorControl.h"
#include "UEditorFind.h"
#include "UEditorSettings.h"
#include "storage/UEditedPage.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QToolBar;

namespace tarnel {

class TTarnelReg;

// What the editor asks of the main window.
struct TEditorHost {
    // The page was written: show it again (and list it when it is new).
    std::function<void(const std::string& fileName, bool created)> PageSaved;
    // The emptied page is to be deleted (the page deletion of the File menu).
    std::function<void(const std::string& fileName)> DeletePage;
    std::function<void()> ShowNotationHelp;
    std::function<void()> ShowPluginHelp;
    std::function<void()> ActivateMain;
};

class TfrmEditor : public QMainWindow, private IEditedPageUi {
    Q_OBJECT
public:
    TfrmEditor(TTarnelReg& settings, const TLanguage& language, TEditorHost host,
               QWidget* parent = nullptr);
    ~TfrmEditor() override;

    // --- What the main window calls ---------------------------------------------------------
    // Takes the page `fileName` (an existing file) into the control; the window stays as it is.
    void LoadPage(const std::string& fileName, const PageReadOptions& options);
    // A page without file: empty text, caption with its name; the window is shown.
    void PrepareNewPage(const std::string& fileName);
    // No page (after it was deleted): empty text, nothing to save.
    void ClearPage();
    // Saves when the text is modified. False: the user cancelled (or the write failed) and
    // the operation that asked must not go on.
    bool SaveIfModified();
    // The Save command. False as for SaveIfModified.
    bool Save();
    // Localises and shows the window.
    void ShowWindow();
    void ApplyLanguage();
    // Writes the control's properties into the settings file (at the end of the run).
    void StoreProperties();
    // The stored window place, corrected onto the desktop, and back.
    void PlaceWindow();
    void StoreGeometry();

    const std::string& FileName() const { return page_.Path(); }
    bool Modified() const { return edtText->isModified(); }
    TEditorControl* Control() const { return edtText; }
    TfrmEditorFind* FindDialog() const { return frmFind_; }

    // --- Commands ---------------------------------------------------------------------------
    void InsertDate(const std::string& format);
    void FindNext();
    void ReplaceNext();
    void ReplaceAll();
    void OpenSettings();
    void ApplyWordWrap();
    void ApplyStayOnTop();

    QAction *actSave, *actClose, *actUndo, *actRedo, *actCut, *actCopy, *actPaste, *actSelectAll,
        *actFind, *actReplace, *actInsertDate, *actInsertTime, *actInsertNow, *actSettings,
        *actHelp, *actPlugins, *actSwitchWindow;
    QMenu *mnuFile, *mnuEdit, *mnuInsert, *mnuSettings, *mnuHelp, *pmnText;
    QToolBar* tlbEditor;
    TEditorControl* edtText;
    TfrmEditorSettings* frmSettings;

    // --- For the desktop tests --------------------------------------------------------------
    // Messages (write failures, not-found) go to a message box unless a test takes them:
    // (title, text).
    std::function<void(const QString&, const QString&)> MessageHook;
    std::function<TAnswer(const QString&)> DeleteQuestionHook;
    std::function<TOutsideChoice(TOutsideChange, const QString&)> OutsideHook;
    std::function<bool(const QString&)> UnencodableHook;
    // The settings dialog's exec (tests fill and accept it); returns whether OK was pressed.
    std::function<bool(TfrmEditorSettings&)> SettingsHook;
    int Beeps = 0;

signals:
    // A save finished with the page written.
    void saved();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // IEditedPageUi: the questions of a save.
    TAnswer ConfirmDeleteEmptied(const std::string& message) override;
    TOutsideChoice AskOutsideChange(TOutsideChange change, const std::string& message) override;
    bool ConfirmUnencodable(const std::vector<TUnencodableChar>& characters,
                            const std::string& message) override;

    void MakeActions();
    void UpdateTitle();
    void UpdateUndoRedo();
    void UpdateCutCopy();
    void UpdatePaste();
    void Message(const QString& title, const QString& text);
    void NotFound(const TNotFoundMessage& message);
    // Reloads the held page (the close rule and the reload choice), dropping the edit.
    void ReloadPage();
    // The lines of the loaded page that saving would change, told once.
    void WarnUnsafeLines();

    TTarnelReg& settings_;
    const TLanguage& language_;
    TEditorHost host_;
    TEditedPage page_;
    PageReadOptions readOptions_;
    bool unsafeWarningDue_ = false;
    TfrmEditorFind* frmFind_;
    struct Caption {
        QAction* action;
        const char* key;
    };
    std::vector<Caption> captions_;
    std::vector<std::pair<QMenu*, const char*>> menus_;
};

} // namespace tarnel
