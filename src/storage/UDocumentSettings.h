// A wiki's own settings: the file Wiki.ini in the wiki folder.
//
// A wiki keeps its notation, top page, page-file extension, design, templates and export
// choices in Wiki.ini, so that it looks the same wherever it is opened. The rest of the
// program never reads these values directly: opening a wiki copies them into the
// application settings (TTarnelReg) and reports what the owner has to hand on (converter,
// page lists, template set, design dialog); leaving the wiki copies the application's
// current values back and writes the file. While a wiki is open the application settings
// therefore hold that wiki's values.
//
// The file is an INI file in Shift_JIS. Sections and names that Tarnel does not know are
// kept, in their order, when the file is rewritten.
//
//   [Design]   CssName                           design; empty: the application's
//   [Document] Notation                          -1 none, 0 YukiWiki ... 7 Markdown
//              Top                               top page name; empty: the application's
//              Extension                         page-file extension with its dot; empty: ditto
//   [Export]   Encoding                          0 Shift_JIS, 1 EUC-JP, 2 UTF-8
//              Folder                            export folder; empty: the application's
//   [Template] Export, List, Main                template file names, default "default.html"
//   [Link]     LooseWikiName                     "1" or "0"
//   [List]     DisplayHierarchy                  "1" or "0"
//
// How the owner uses it (the page pipeline, whenever the page to show lies in another
// folder than the open wiki, and once more when the program ends):
//
//     LeaveWikiSettings(documentSettings, reg, templateNamesNow);   // the wiki being left
//     TWikiOpening opened = OpenWikiSettings(documentSettings, reg, newFolder);
//     // then: opened.notationChanged -> make a converter of reg.Notation (without
//     //       re-displaying); give the converter opened.looseWikiName; give the page list and
//     //       the search-result list opened.extension (and the page list
//     //       opened.displayHierarchy); give the template set opened.templates; tell the
//     //       design dialog opened.design.
//     ...
//     LeaveWikiSettings(documentSettings, reg, templateNamesNow);   // at exit, before reg.Save()
#pragma once

#include "settings/UIniFile.h"
#include "settings/UTarnelReg.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace tarnel {

// Wiki.ini cannot be read or written. The message names the file and the reason.
class EDocumentSettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The three template file names of a wiki (file names in Template/main, list, export).
struct TWikiTemplateNames {
    std::string exportTemplate = "default.html";
    std::string listTemplate = "default.html";
    std::string mainTemplate = "default.html";
};

class TDocumentSettings {
public:
    // One field per key. Text forms in memory as in the application settings: the top page
    // is display form (Shift_JIS, as in the file); the design, the folder, the extension and
    // the template names are file-system form (UTF-8), converted from and to Shift_JIS at
    // the file.
    std::string design;                                         // empty: none of its own
    TExportEncoding exportEncoding = TExportEncoding::ShiftJis; // others read as ShiftJis
    std::string exportFolder;                                   // empty: none of its own
    std::string extension;                                      // empty: none of its own
    bool displayHierarchy = false;
    bool looseWikiName = false;
    // None when the file names no notation (-1 or missing); any other number that names no
    // notation reads as YukiWiki. None is written as -1.
    TWikiNotation notation = TWikiNotation::None;
    TWikiTemplateNames templates;
    std::string topPage; // empty: none of its own

    // Drops what was loaded before and reads folder + "Wiki.ini" (the name is also found in
    // another letter case, as folders made on Windows may hold WIKI.INI), filling every field;
    // missing values, and a missing file, give the defaults above. A file that exists but
    // cannot be read raises EDocumentSettingsError and leaves the object as it was.
    void Load(const std::string& folder);

    // Writes every field into the file read by Load (unknown sections and names kept) and
    // replaces the file in one step; a failure raises EDocumentSettingsError and leaves the
    // old file untouched. Does nothing before the first Load, and does not touch a file that
    // already holds exactly these contents (so a read-only wiki whose Wiki.ini is up to date
    // can be left without an error).
    void Save();

    // Whether Load has run, and the folder (ending in "/") and file it used.
    bool IsLoaded() const { return ini_ != nullptr; }
    const std::string& Folder() const { return folder_; }
    const std::string& FileName() const { return path_; }

private:
    std::unique_ptr<TIniFile> ini_;
    std::string folder_;
    std::string path_;
    std::string fileBytes_; // the file as last read or written
};

// What the owner has to do after a wiki's settings were taken over.
struct TWikiOpening {
    // reg.Notation was changed to the wiki's notation: the view converter must be replaced by
    // one of reg.Notation (the page is about to be shown anyway, so no re-display).
    bool notationChanged = false;
    TWikiNotation notation = TWikiNotation::YukiWiki; // the notation now in force
    std::string extension;         // for the page list and the search-result list
    bool displayHierarchy = false; // for the page list
    bool looseWikiName = false;    // for the view converter
    std::string design;            // the design in force, for the design dialog
    TWikiTemplateNames templates;  // for the template set
};

// Opening a wiki folder: documentSettings.Load(folder), then, setting by setting:
//   design, export folder, extension, top page: the wiki's value when it has one replaces
//     the application's; otherwise the application's value (the top page through
//     GetTopPage) goes into the wiki's field;
//   notation: a notation named by the wiki replaces reg.Notation; otherwise the current one
//     goes into the wiki's field;
//   export encoding, hierarchy display, loose WikiNames: the wiki's value (or its default)
//     always replaces the application's;
//   templates: the wiki's names (or "default.html").
// Raises EDocumentSettingsError, before anything changes, when Wiki.ini cannot be read.
TWikiOpening OpenWikiSettings(TDocumentSettings& documentSettings, TTarnelReg& reg,
                              const std::string& folder);

// Leaving the open wiki: the application's current values (design, export encoding and
// folder, extension, notation, top page through GetTopPage, hierarchy display, loose
// WikiNames) and the template set's current names go into the wiki's fields, and Save
// writes Wiki.ini. Does nothing when no wiki was opened. A write failure raises
// EDocumentSettingsError after the fields were copied; the application settings are
// unchanged, so the owner can report it and go on to the next wiki.
void LeaveWikiSettings(TDocumentSettings& documentSettings, TTarnelReg& reg,
                       const TWikiTemplateNames& currentTemplates);

} // namespace tarnel
