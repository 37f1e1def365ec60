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
#include <vector>

namespace tarnel {

class TWikiSession;

// An export that could not be completed. The message names the page (or file) and the
// reason; pages written before the failure stay.
class EExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The export would overwrite files in the export folder that Tarnel did not write (and
// overwriteForeign was not asked for). Nothing has been written.
class EExportForeignFiles : public EExportError {
public:
    EExportForeignFiles(const std::string& message, std::vector<std::string> files)
        : EExportError(message), Files(std::move(files)) {}
    std::vector<std::string> Files; // every such file, relative to the export folder
};

struct TExportOptions {
    std::string folder; // the export folder (file-system form)
    TExportEncoding encoding = TExportEncoding::ShiftJis;
    TExportFileNameKind fileNameKind = TExportFileNameKind::Standard;
    bool all = true;               // every page; otherwise only `pages`
    std::set<std::string> pages;   // page file names (no folder) chosen when !all
    bool copyFolders = false;      // copy the wiki folder's sub-folders
    bool index = true;             // write index.html
    bool oldFile = false;          // write pages whose HTML is up to date as well
    bool overwriteForeign = false; // overwrite files in the folder that Tarnel did not write
    bool clean = false;            // delete what earlier exports wrote, then write everything
    std::string design;            // the design to use; empty: the setting CssName
    // Read the wiki's page list before the run. False: the caller has read it just before
    // and other threads read it while the run goes on (the desktop's export thread), so the
    // run must not change it.
    bool refreshPageList = true;
};

struct TExportResult {
    int listed = 0;                    // pages taken (listed in index.html)
    int written = 0;                   // page files written
    int unchanged = 0;                 // pages whose HTML was up to date
    int failed = 0;                    // pages that could not be read, converted or written
    std::vector<std::string> failures; // one message per failed page (display form)
    int removed = 0; // files of earlier exports deleted (pages gone, settings changed)
    // Entries of the wiki folder named like pages that are none (see TWikiFileList), and
    // temporary files of an interrupted earlier export that were removed.
    std::vector<std::string> warnings;
};

// The manifest in the export folder: every file Tarnel wrote there, with the settings it
// was written with, so that a later export knows what is stale and what is the user's.
inline constexpr const char* kExportManifest = ".tarnel-export";

// Refuses an export folder equal to or inside the wiki folder (the export would write
// pages into the wiki). Throws EExportError naming both.
void CheckExportFolder(const std::string& wikiFolder, const std::string& exportFolder);

// The output names of title export for page names in list order: the whole name, with the
// characters a file name cannot hold made full-width, control bytes replaced, a leading
// "." guarded, cut to 200 bytes on disk, then ".html". Names that collide (with each other or with
// index.html) get a suffix "~2", "~3"... in list order, so N pages always give N different files.
std::vector<std::string> TitleExportNames(const std::vector<std::string>& pageNames);

// Called before each page with the count done and the total; false cancels the export.
using ExportProgress = std::function<bool(int done, int total)>;

// Page text in display form to the export encoding: Shift_JIS unchanged, EUC-JP with LF
// line ends, or UTF-8.
std::string ConvertForExport(TExportEncoding encoding, std::string_view text);

// The output name of a page by title, before collisions are resolved: the whole page name
// with \ / : * ? " < > | made full-width and control bytes made "_", then ".html"
// (display form).
std::string TitleExportName(std::string_view pageName);

// The output name of a page file by the standard rule: its extension replaced by ".html".
std::string StandardExportName(std::string_view pageFileName);

// The export as the settings last left it (the export dialog's choices): folder, encoding,
// file names, index, folder copy and rewriting of up-to-date pages; every page.
TExportOptions StoredExportOptions(const TTarnelReg& settings);

// Runs the export of the session's open wiki with its current notation and settings.
// A page that cannot be read or written is counted as failed and the others go on. Throws
// EExportError when a template is missing, the export folder is refused or cannot be
// written, the design cannot be copied, or files there that Tarnel did not write would be
// overwritten (unless overwriteForeign).
TExportResult ExportHtml(TWikiSession& session, const TExportOptions& options,
                         const ExportProgress& progress = {});

} // namespace tarnel
