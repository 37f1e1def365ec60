// The export dialog without its window: what it shows when it opens, what OK stores, the
// export run it asks for, and the report of the run's result.
//
// The chosen pages are held by page file name, not by their place in the page list: the
// list is read again before the run, and a page added or removed meanwhile must not shift
// the choice onto other pages.
#pragma once

#include "render/UHtmlExport.h"
#include "render/UTemplateLib.h"
#include "settings/ULanguage.h"
#include "settings/UTarnelReg.h"

#include <string>
#include <vector>

namespace tarnel {

struct TExportChoices {
    std::string folder; // file-system form
    TExportEncoding encoding = TExportEncoding::ShiftJis;
    TExportFileNameKind fileNameKind = TExportFileNameKind::Standard;
    bool all = true;
    bool copyFolders = false;
    bool index = true;
    bool oldFile = false;
    std::string exportTemplate; // file names in Template/export and Template/list
    std::string listTemplate;
    std::vector<std::string> chosenPages; // page file names (no folder), when !all
};

// The dialog's choices as the settings and the wiki's templates left them.
TExportChoices ExportChoicesOf(const TTarnelReg& settings, const TTemplate& templates);

// The entry of a template combo to select: the one equal to `chosen`, else the first; -1 for
// an empty list.
int TemplateChoice(const std::vector<std::string>& names, const std::string& chosen);

// OK of the dialog: every choice stored in the settings and the template set (the export
// and list templates are the wiki's, written to its Wiki.ini when it is left).
void StoreExportChoices(TTarnelReg& settings, TTemplate& templates, const TExportChoices& choices);

// The export run the choices ask for.
TExportOptions ExportOptionsOf(const TExportChoices& choices);

// Whether OK may close the dialog: the folder edit must name an existing folder (an empty
// edit names none).
bool ExportFolderExists(const std::string& folder);

// What the user is told after a run. A run that left any page unwritten is never reported
// as a success: `success` is false, the summary says so and `failures` names every page
// not written with the reason.
struct TExportReport {
    bool success = true;
    std::string summary; // display form, lines separated by "\n"
    // One per page not written: the engine's message naming the page and the reason (page
    // names in display form, paths and system reasons as the system gives them).
    std::vector<std::string> failures;
    // Entries of the wiki folder that were passed over (a folder or a link named like a
    // page, a temporary file of an interrupted export removed): file-system names, UTF-8.
    std::vector<std::string> warnings;
};
TExportReport ReportOfExport(const TLanguage& language, const TExportResult& result);
// A run that stopped: cancelled by the user, or ended by an error before it was complete
// (the error's message is the one entry of `failures`).
TExportReport ReportOfStoppedExport(const TLanguage& language, bool cancelled,
                                    const std::string& message);

} // namespace tarnel
