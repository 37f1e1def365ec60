// HTML export: the open wiki, or chosen pages of it, written as a static site.
//
// One HTML file per page, filled from the export template, with links between pages that
// point at the other exported files; optionally index.html listing the exported pages, the
// chosen design's folder under css/, and copies of the wiki folder's sub-folders. Pages
// whose HTML is newer than their page file are not written again unless asked, so a
// repeated export is cheap.
#pragma once

#include "settings/UTarnelReg.h"

#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarnel {

class TWikiSession;

// An export that could not be completed. The message names the page (or file) and the
// reason; pages written before the failure stay.
class EExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct TExportOptions {
    std::string folder; // the export folder (file-system form)
    TExportEncoding encoding = TExportEncoding::ShiftJis;
    TExportFileNameKind fileNameKind = TExportFileNameKind::Standard;
    bool all = true;             // every page; otherwise only `pages`
    std::set<std::string> pages; // page file names (no folder) chosen when !all
    bool copyFolders = false;    // copy the wiki folder's sub-folders
    bool index = true;           // write index.html
    bool oldFile = false;        // write pages whose HTML is up to date as well
};

struct TExportResult {
    int listed = 0;  // pages taken (listed in index.html)
    int written = 0; // page files written
};

// Called before each page with the count done and the total; false cancels the export.
using ExportProgress = std::function<bool(int done, int total)>;

// Page text in display form to the export encoding: Shift_JIS unchanged, EUC-JP with LF
// line ends, or UTF-8.
std::string ConvertForExport(TExportEncoding encoding, std::string_view text);

// The output name of a page by title: the page name with \ / : * ? " < > | made full-width,
// then ".html" in place of its last extension (display form).
std::string TitleExportName(std::string_view pageName);

// The output name of a page file by the standard rule: its extension replaced by ".html".
std::string StandardExportName(std::string_view pageFileName);

// The export as the settings last left it (the export dialog's choices): folder, encoding,
// file names, index, folder copy and rewriting of up-to-date pages; every page.
TExportOptions StoredExportOptions(const TTarnelReg& settings);

// Runs the export of the session's open wiki with its current notation and settings.
// Throws EExportError when a page cannot be read or written, a template is missing, the
// export folder cannot be written, or the design cannot be copied.
TExportResult ExportHtml(TWikiSession& session, const TExportOptions& options,
                         const ExportProgress& progress = {});

} // namespace tarnel
