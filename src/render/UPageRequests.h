// Where a page request from outside the view leads: the program's argument, files dropped on
// the window, the top-page command and the assigned editor's command line.
#pragma once

#include <string>
#include <vector>

namespace tarnel {

// The page to show first: the first argument when it names an existing file whose name
// starts with a hexadecimal digit (a page file of any extension), else `lastView` when that
// file exists, else the empty text (no page is shown).
std::string FirstPageToOpen(const std::vector<std::string>& arguments, const std::string& lastView);

// Of dropped files, in order, the first whose name looks like a page file (it starts with a
// hexadecimal digit and is an existing file); the empty text when none does.
std::string DroppedPageToOpen(const std::vector<std::string>& paths);

// The top page's file: `documentFolder` + the hex of `topPage` (display form; "トップ" when
// empty) + `extension`.
std::string TopPagePath(const std::string& documentFolder, const std::string& topPage,
                        const std::string& extension, bool useUtf8Names);

// The assigned editor's command line: `assigned` with every "%f" replaced by `path`, exactly
// and case-sensitively; no quotes are added (the user writes them where the path needs them).
std::string AssignedEditorCommand(const std::string& assigned, const std::string& path);

// The error text of an editor that could not be started: "<message> [<command line>]".
std::string EditorStartError(const std::string& message, const std::string& commandLine);

} // namespace tarnel
