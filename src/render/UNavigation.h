// What the main window does with an address the view is about to open, and what the status
// bar says about the address under the mouse.
//
// The view reports every navigation before it happens: a click on a link, a form, a page of
// our own being loaded. The window asks DecideNavigation and only carries out the answer,
// so every rule about addresses lives here and is tested without a window:
//   - "wikilink:" + page file name opens that page of the open wiki (or starts it when the
//     file has gone); "newlink:" + page file name starts a new page;
//   - "editlink:" + page file name opens that page in the editor (starting it when the
//     file has gone), as the edit command does;
//   - "innerlink:#name" scrolls the current page to its anchor;
//   - an address inside a frame of the page is let through;
//   - any other address is shown in the view, or, with the setting NewWindow, handed to the
//     desktop's own program for it. Only http, https, ftp and mailto addresses and local
//     files that are not programs are ever handed over: a page must not be able to start a
//     program by a link.
// The view reports link schemes in lower case; the tests here compare without case anyway,
// so an address written as "WikiLink:" in a page behaves the same.
#pragma once

#include "settings/ULanguage.h"

#include <string>
#include <string_view>

namespace tarnel {

enum class TNavigationKind {
    LetThrough,     // the view goes on and still shows the current page (about:blank, frames)
    ShowOuterPage,  // the view goes on and now shows something that is not the current page
    OpenPage,       // open (or, when missing, start) the page file `Path`
    NewPage,        // start the page file `Path` (a new-page link)
    EditPage,       // open the page file `Path` in the editor (or start it when missing)
    ScrollToAnchor, // scroll the current page to the anchor `Anchor`
    HandToSystem,   // cancel; the desktop opens `Address` with its own program
    Refuse,         // cancel; tell the user that `Address` is not opened
};

struct TNavigation {
    TNavigationKind Kind = TNavigationKind::LetThrough;
    std::string Path;    // OpenPage, NewPage, EditPage: the page file (UTF-8 path)
    std::string Anchor;  // ScrollToAnchor: the anchor name, without "#"
    std::string Address; // HandToSystem, Refuse: the address as reported
};

// What the decision needs to know about the window.
struct TNavigationContext {
    std::string DocumentFolder; // the open wiki, ending in "/"
    std::string TmpFolder;      // the temporary-file view folder, ending in "/"
    bool NewWindow = false;     // the setting Link/NewWindow
};

// The decision for `address` (as the view reports it, percent-encoded) in the frame named
// `frameName` (empty for the main frame; the window names sub-frames "iframe").
TNavigation DecideNavigation(std::string_view address, std::string_view frameName,
                             const TNavigationContext& context);

// Whether the desktop may be asked to open `address`: http, https, ftp and mailto addresses,
// and file: addresses of existing local files that are not programs (no execute permission,
// no program header, no desktop launcher). Everything else is refused.
bool MayHandToSystem(std::string_view address);

// The local path of a file: address ("file:///a%20b" -> "/a b"); empty for other addresses.
std::string LocalPathOfFileUrl(std::string_view address);

// Percent-decoding of an address part; a "%" not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text);

// The status-bar text for the address under the mouse: "%sへ移動" with the page name for a
// page link, "%sを新規作成" for a new-page link, "%sを編集" for an edit link, anything else
// unchanged. Both the address (as the view reports it) and the result are UTF-8, the form the
// status bar takes.
std::string StatusTextFor(std::string_view address, const TLanguage& language, bool useUtf8Names);

} // namespace tarnel
