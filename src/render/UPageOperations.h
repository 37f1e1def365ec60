// The File menu's commands on page files and wikis, without windows: new wiki, new page,
// copy, rename and delete the current page, and the data of the properties dialog.
//
// The commands work on the session's open wiki and current page. Whatever needs the user
// (input boxes, the folder dialog, confirmations, an error with a beep, saving the editor's
// pending edit) goes through IPageOperationsUi, which the main window implements with
// dialogs. What the window does afterwards (open a page, show a page of the list, empty the
// view) comes back in the command's result, so every decision is made here.
#pragma once

#include "render/UWikiSession.h"
#include "storage/UEditedPage.h"
#include "text/jconvert.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <stdexcept>
#include <string>

namespace tarnel {

// A page command that cannot run: no current page, its file missing, or a file-system
// failure. The message is display form; the window shows it in its general error display.
class EPageOperationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class IPageOperationsUi {
public:
    virtual ~IPageOperationsUi() = default;
    // An input box (display form texts); nothing when the user cancelled.
    virtual std::optional<std::string>
    AskText(const std::string& caption, const std::string& prompt, const std::string& initial) = 0;
    // The folder dialog; the chosen folder (file-system form), nothing when cancelled.
    virtual std::optional<std::string> AskFolder(const std::string& caption) = 0;
    // A confirmation with Yes, No and Cancel.
    virtual TAnswer Confirm(const std::string& message) = 0;
    // A beep and an error dialog with the message.
    virtual void ShowError(const std::string& message) = 0;
    // Saves the internal editor's pending edit (SaveIfModified). False: the user cancelled
    // and the command stops.
    virtual bool CommitEditor() = 0;
};

// The result of a command, for the window.
struct TPageCommandResult {
    bool Done = false;        // false: stopped silently or after a reported clash
    std::string Open;         // a page file to open (or to start when it does not exist)
    bool ListChanged = false; // the page list was read again
};

// What starting a page without file did.
struct TNewDocumentResult {
    bool External = false; // an external editor: the zero-byte file exists and is listed;
                           // the window watches it and starts the editor
    std::string FileName;  // the page file
    std::string PageName;  // display form, for the internal editor's caption
    std::vector<std::string> Messages; // from opening another wiki
};

// What the window does after a page file was deleted.
struct TRemoveResult {
    int ShowIndex = -1;        // the page-list entry to act on as if clicked; -1 none
    bool PageCommands = false; // false: disable Delete, Copy, Rename and Properties
};

class TPageOperations {
public:
    TPageOperations(TWikiSession& session, IPageOperationsUi& ui) : session_(session), ui_(ui) {}

    // The page file of a page name in the open wiki.
    std::string PagePath(const std::string& pageName) const;

    // New page (Ctrl+N): runs NewWiki when no wiki is open. The result names the page to
    // open or start (an existing page is just opened).
    TPageCommandResult NewPage();
    // New wiki: the folder dialog, then the name prompt; the chosen folder becomes the open
    // wiki and the result names its first page.
    TPageCommandResult NewWiki();
    // Starts the page `fileName` whose file does not exist yet: for an external editor its
    // file is created empty at once and listed; for the internal editor nothing is written.
    TNewDocumentResult NewDocument(const std::string& fileName);
    // Copy of the current page under a new name; the current page stays.
    TPageCommandResult CopyPage();
    // New name for the current page; the result names the renamed page to open.
    TPageCommandResult RenamePage();
    // Asks, then deletes the current page. `selectedIndex` is the page list's selection.
    std::optional<TRemoveResult> DeletePage(int selectedIndex);
    // The deletion proper; also run when the editor's emptied page is to be deleted.
    TRemoveResult RemovePageFile(const std::string& fileName, int selectedIndex);

    // Re-reads the page list of the open wiki.
    void RefreshFileList();

private:
    std::optional<std::string> AskPageName();
    std::string CurrentPageName() const;
    std::string Text(std::string_view key) const { return LangText(session_.Language(), key); }

    TWikiSession& session_;
    IPageOperationsUi& ui_;
};

// The data of the file-properties dialog.
struct TFileProperties {
    std::string Path;         // file-system form
    std::uint64_t Size = 0;   // bytes
    std::time_t Modified = 0; // last write, seconds since the epoch
    bool Utf8 = false;        // the bytes are UTF-8 with characters past ASCII
    JapaneseEncoding Encoding = JapaneseEncoding::Ascii; // detected when not UTF-8
    LineBreak LineBreaks = LineBreak::None;
    std::string EncodingName() const;  // "UTF-8", "EUC-JP", "Shift_JIS", "JIS", "ASCII", ...
    std::string LineBreakName() const; // "CR+LF", "LF", "CR", or empty for none
};
// Throws EPageOperationError when the file cannot be read.
TFileProperties FileProperties(const std::string& path);

} // namespace tarnel
