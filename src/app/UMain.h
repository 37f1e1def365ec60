// TfrmMain: the main window. It owns the session (the running wiki) and puts together the
// window parts: the commands (TMainActions), the side panel (TSidePanel), the view
// (TPageView), the status bar and the design dialog. It carries out what the engine decides;
// the decisions themselves (navigation, status texts, the first page, dropped files, the top
// page, the editor command) are engine functions.
#pragma once

#include "UCssSelectDialog.h"
#include "UMainActions.h"
#include "UMainStatusBar.h"
#include "UPageOperationsUi.h"
#include "UPageView.h"
#include "USidePanel.h"
#include "render/UPageShowing.h"
#include "render/UWikiSession.h"
#include "render/UWorkerThreads.h"
#include "storage/UFileChangeNotification.h"

#include <QMainWindow>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>

class QPrinter;

namespace tarnel {

class TfrmEditor;
class TfrmFileProperties;

struct TMainOptions {
    std::string AppFolder;              // the program folder, ending in "/"
    std::string SettingsFile;           // empty: the user's own settings file
    std::vector<std::string> Arguments; // the program's arguments (a page file to open)
    // The language of a first start, when no settings file names one yet (the program
    // passes the locale's; empty keeps the built-in Japanese).
    std::string FirstStartLanguage;
};

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(const TMainOptions& options, QWidget* parent = nullptr);
    ~TfrmMain() override;

    // Start-up after the window exists: languages, then the first page.
    void OpenFirstPage();

    // --- The page pipeline as the window runs it ------------------------------------------
    // Shows `fileName`; false when there is no such file (or the page was not shown). A big
    // page is converted on a worker thread and shown when it is ready, unless another page
    // is asked for first: true then means "on its way", and `then` runs once it is shown
    // (at once for a page shown directly).
    bool ShowDocument(const std::string& fileName, const std::function<void()>& then = {});
    bool ReshowDocument() { return ShowDocument(session_->DocumentFileName()); }
    // Whether a page is being converted on a worker thread (the newest request), and how
    // many conversions still run, superseded ones included.
    bool Converting() const { return requests_.Pending(); }
    int ConversionsRunning() const { return workers_.Running(); }
    // Shows the page, then runs `then` once it is shown (a big page is shown later).
    void OpenDocument(const std::string& fileName, const std::function<void()>& then = {});
    void OpenOrCreateDocument(const std::string& fileName);
    void NewDocument(const std::string& fileName);
    void ClearView();
    void RefreshFileList();
    void UpdateTitleAndSelection();
    void RefreshRecentList();
    void RefreshContentsList();
    void JumpToAnchor(const std::string& anchor);

    // --- Commands -------------------------------------------------------------------------
    void ChangeNotation(TWikiNotation notation, bool reshow);
    void ChangeLanguage();
    void ApplyLanguageTexts();
    void ApplyRestrictions();
    void Search();
    void GoTop();
    void ChangePrevDocument();
    void EditDocument();
    // Localises and shows the internal editor with the page `fileName` (loaded first when
    // the editor holds another one).
    void ShowEditor(const std::string& fileName);
    // SaveIfModified of the internal editor, before anything that leaves the current page.
    // False: the user cancelled (or the save failed) and the operation stops.
    bool CommitEditor();
    // The page file commands of the File menu.
    void NewPage();
    void NewWiki();
    void CopyPage();
    void RenamePage();
    void DeletePage();
    void ShowFileProperties();
    void OpenWikiFolder();
    // Deletes `fileName` and shows the page-list entry that takes its place.
    void RemovePageFile(const std::string& fileName);
    void SetDesign(const std::string& design);
    // Files dropped on the window: the first page file among them opens. False when none.
    bool OpenDroppedFiles(const std::vector<std::string>& paths);
    // The settings dialog, the export dialog and its run, the plug-in usage window
    // (UMainDialogs.cpp).
    void ShowSettings();
    void ShowExport();
    void ShowPluginHelp();

    // --- For the desktop tests and the screenshot -----------------------------------------
    TWikiSession& Session() { return *session_; }
    TPageView* View() const { return webMain_; }
    TSidePanel* Side() const { return side_; }
    TMainActions* Actions() const { return actions_; }
    TfrmCssSelect* CssSelect() const { return cssSelect_; }
    TMainStatusBar* StatusHint() const { return stbHint_; }
    bool ShowingOuterPage() const { return showingOuterPage_; }
    const std::string& NewPageFileName() const { return newPageFileName_; }
    int ShowCount() const { return showCount_; }
    TfrmEditor* Editor() const { return editor_; }
    TPageOperationsUi& PageUi() { return *pageUi_; }
    // The properties dialog is shown modally unless a test takes it.
    std::function<void(TfrmFileProperties&)> PropertiesHook;
    // Where "open the wiki folder" goes (the system's file manager unless a test takes it).
    std::function<void(const QUrl&)> OpenUrlHook;
    // Messages go to a message box unless a test takes them.
    std::function<void(const QString&)> MessageHook;
    // The Yes/No/Cancel question; returns QMessageBox::Yes, No or Cancel.
    std::function<int(const QString&)> QuestionHook;
    // Progress of a search (done, total), for the tests to cancel it.
    std::function<void(class TfrmSearching&, int, int)> SearchProgressHook;

signals:
    // A page has been shown and the view has finished drawing it.
    void pageShown();
    // A new page was started (the editor takes it over once it exists).
    void newPageStarted(const QString& fileName);
    void searchFinished(bool completed);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Connect();
    void PlaceWindow();
    bool DecideNavigation(const QUrl& url, bool isMainFrame);
    void PageListClicked(const TWikiFileList& list, int row);
    void FillTemplateMenu();
    void ShowNotationHelp();
    void ShowHelp();
    void ShowAbout();
    void Print();
    void PrintPreview();
    void PageFileChanged(const std::string& fileName);
    void EnablePageCommands(bool enabled);
    void Message(const QString& text);
    // Runs a command; an error becomes one message box and the window stays usable.
    void Guard(const std::function<void()>& command);
    void WatchPage(const std::string& fileName);
    // After a page command: the page list shown again and the page to open, if any.
    void FinishPageCommand(const TPageCommandResult& result);
    // The editor has written `fileName`: list it when new and show it again.
    void EditorSaved(const std::string& fileName, bool created);
    std::string TmpFolder() const;
    // The view and the window follow a page the session has taken over.
    void PresentPage(const TShownPage& shown, const std::string& fileName);
    // A big page: converted on a worker thread, its first part shown meanwhile when `way`
    // says so, committed by FinishInBackground when it is still the page asked for last.
    void ShowInBackground(const std::string& fileName, TShowWay way, std::function<void()> then);
    void FinishInBackground(const std::shared_ptr<TPageConversion>& page, std::uint64_t ticket,
                            const std::function<void()>& then);
    void ShowFirstPart(const std::string& html, const std::string& fileName, std::uint64_t ticket);
    // The progress shown while a page is converted, and taken away.
    void ShowConverting(const std::string& fileName);
    void EndConverting();
    // A page still being converted is no longer wanted: its result will be dropped.
    void DropPendingPage();

    std::unique_ptr<TWikiSession> session_;
    std::unique_ptr<TFileChangeNotification> watcher_;
    std::unique_ptr<TPageOperationsUi> pageUi_;
    std::unique_ptr<TPageOperations> pageOps_;
    TfrmEditor* editor_ = nullptr; // the internal editor; none for an external one
    TEditorType editorType_ = TEditorType::Internal;
    TMainActions* actions_ = nullptr;
    TSidePanel* side_ = nullptr;
    TPageView* webMain_ = nullptr;
    TMainStatusBar* stbHint_ = nullptr;
    QSplitter* splitter_ = nullptr;
    TfrmCssSelect* cssSelect_ = nullptr;
    QSystemTrayIcon* triMain_ = nullptr;
    QDialog* frmEditorHelp_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    std::vector<std::string> arguments_;
    bool showingOuterPage_ = false;
    bool searching_ = false;
    std::string newPageFileName_;
    std::string pendingAnchor_;
    int showCount_ = 0;
    TShowRequests requests_;
    bool busyCursor_ = false;
    // Declared last: its threads are joined before anything they report to goes.
    TWorkerThreads workers_;
};

} // namespace tarnel
