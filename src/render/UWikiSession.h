// The page pipeline without windows: everything the main window owns apart from its
// widgets, and the road from a request to show a page file to the filled page HTML.
//
// The desktop window keeps one TWikiSession for the whole run and only adds the view and
// the widgets on top of it; tarnel-cli uses the same class, so a page looks the same in
// both. The session reads the page, opens and leaves wikis when the folder changes
// (Wiki.ini), switches the notation a wiki asks for, converts, fills the main template,
// keeps the recent list and the contents.
#pragma once

#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"
#include "render/UDesignList.h"
#include "render/UTemplateLib.h"
#include "settings/ULanguage.h"
#include "settings/UTarnelReg.h"
#include "storage/UDocumentSettings.h"
#include "storage/URecentFileList.h"
#include "storage/UWikiFileList.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnel {

// What showing one page produced.
struct TShownPage {
    std::string Html;      // the filled page; empty when no template could be filled
    bool Filled = false;   // false: the standard template is missing too (see Messages)
    bool SamePage = false; // the page shown before was this one (keep the scroll position)
    // Messages for the user, in display form, in the order they arose: a missing main
    // template (the standard one is used), a missing standard template, a Wiki.ini of the
    // wiki left behind that could not be written.
    std::vector<std::string> Messages;
};

class TWikiSession {
public:
    // `appFolder` is the program folder (ending in "/"): templates, designs, plug-ins and
    // language files are found there. Nothing is read until Start.
    explicit TWikiSession(std::string appFolder);
    ~TWikiSession();
    TWikiSession(const TWikiSession&) = delete;
    TWikiSession& operator=(const TWikiSession&) = delete;

    // Start-up: loads the settings (from `settingsFile`, or the user's own file when empty),
    // the plug-ins of "plugin/", makes the view converter of the stored notation and the
    // page lists, and loads the chosen language file.
    void Start(const std::string& settingsFile = {});
    // Closing: writes the open wiki's Wiki.ini, then the settings. Desktop only: the command
    // line never writes settings.
    void Close();

    // --- Showing pages --------------------------------------------------------------------
    // The pipeline. Returns nothing when no file `fileName` exists. Errors while reading,
    // converting or filling propagate; what already changed (the open wiki, the document
    // state) stays changed.
    std::optional<TShownPage> ShowDocument(const std::string& fileName);
    // Opens the wiki in `folder` (ending in "/") without showing a page, as showing one of
    // its pages would; returns the messages that arose. Nothing happens for the open wiki.
    std::vector<std::string> OpenWiki(const std::string& folder);
    // Fills the main template for the page converted last, with the missing-template rule.
    TShownPage FillMainTemplate();
    // The caption of the main window: "%s - Tarnel" with the page name.
    std::string WindowTitle() const;
    // Where the temporary-file view method writes the page: the temporary folder + the
    // page's file name with its extension replaced by ".html".
    std::string TmpFilePath(const std::string& fileName) const;
    // Writes the HTML there (creating the folder) and returns the file:// address.
    std::string WriteTmpFile(const std::string& fileName, const std::string& html) const;

    // Shows the current page again (reload, a template or design chosen, the page saved).
    std::optional<TShownPage> ReshowDocument() { return ShowDocument(documentFileName_); }

    // --- Designs --------------------------------------------------------------------------
    // The designs beside the program (css/).
    TDesignList Designs() const { return TDesignList(appFolder_ + "css/"); }
    // Takes a design: the CSSPath and CSSFile tags follow it from now on, and the current
    // page is shown again in it (nothing is shown when no page is open).
    std::optional<TShownPage> SetDesign(const std::string& design);

    // --- Notation -------------------------------------------------------------------------
    TWikiNotation Notation() const { return notation_; }
    // Replaces the view converter by one of `notation` with the current converter's options;
    // nothing happens when it is the notation in use. Does not show the page again.
    void SwitchNotation(TWikiNotation notation);
    // Gives the view converter the link, extension and name settings again (after the
    // settings changed).
    void ApplySettingsToConverter();

    // --- What the session owns --------------------------------------------------------------
    TTarnelReg& Settings() { return settings_; }
    TDocumentSettings& WikiSettings() { return wikiSettings_; }
    TPluginShelf& Plugins() { return plugins_; }
    TWikiDocumentConverter& Converter() { return *converter_; }
    TTemplate& Templates() { return templates_; }
    TWikiFileList& PageList() { return pageList_; }
    TWikiFileList& SearchResults() { return searchResults_; }
    TRecentFileList& Recent() { return recent_; }
    TLanguage& Language() { return language_; }
    const std::string& AppFolder() const { return appFolder_; }

    // The open wiki folder (ending in "/"), the page shown and its text in stored form.
    const std::string& DocumentFolder() const { return documentFolder_; }
    const std::string& DocumentFileName() const { return documentFileName_; }
    const std::string& DocumentText() const { return documentText_; }

    // How page files are read under the current settings.
    PageReadOptions ReadOptions() const;
    // The current template names (for Wiki.ini).
    TWikiTemplateNames TemplateNames() const;

private:
    std::unique_ptr<TWikiDocumentConverter> MakeConverter(TWikiNotation notation);
    // Leaves the open wiki and opens the one in `folder`; a Wiki.ini that cannot be written
    // becomes a message.
    void ChangeWiki(const std::string& folder, std::vector<std::string>& messages);

    std::string appFolder_;
    TTarnelReg settings_;
    TDocumentSettings wikiSettings_;
    TPluginShelf plugins_;
    TWikiNotation notation_ = TWikiNotation::YukiWiki;
    std::unique_ptr<TWikiDocumentConverter> converter_;
    TTemplate templates_;
    TWikiFileList pageList_;
    TWikiFileList searchResults_;
    TRecentFileList recent_;
    TLanguage language_;

    std::string documentFolder_;
    std::string documentFileName_;
    std::string documentText_;
};

// The folder part of a path, with its trailing "/".
std::string FolderOf(const std::string& path);

} // namespace tarnel
