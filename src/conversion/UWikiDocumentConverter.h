// The converter framework shared by the eight notations.
//
// A converter turns page text into an HTML fragment. The owner configures it once (links,
// extension, plug-ins) and calls Convert for each page; Convert turns the stored form
// (EUC-JP) into the display form (Shift_JIS) and hands it to the notation's block driver,
// ConvertBlocks. A notation is a subclass that fills the virtual slots below; each of its
// rules is a pattern run through the scan loop, in the notation's own order.
//
// The output is byte for byte what the designs and the export expect: CR LF line ends,
// attributes in a fixed order, HTML escaping before links are matched.
#pragma once

#include "conversion/UContentsShelf.h"
#include "conversion/UPluginQueries.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

class TPluginShelf;
class TPlugin;

// How links to pages are written.
enum class TLinkMode : int {
    Export = 2,      // links between exported files; no new-page links
    BrowseQuiet = 3, // browsing; a missing WikiName shows no "?" new-page link
    Browse = 4,      // browsing; every missing page name gets its "?" new-page link
};

// Whether a page file exists, asked for every page link. The owner gives the converter its
// own answer (the session keeps the names of the open wiki's pages in memory, so a page full
// of links costs no file-system look-ups); without one the converter asks the file system.
class TPageExistence {
public:
    virtual ~TPageExistence() = default;
    // Whether the page file `fileName` (no folder) exists in `folder` (ending in "/").
    virtual bool PageExists(const std::string& folder, std::string_view fileName) const = 0;
    // The page files (no folder) of `folder`, sorted, for plug-ins that list the wiki's
    // pages. By default the folder is read (ListPageFiles).
    virtual std::vector<std::string> PageFiles(const std::string& folder,
                                               std::string_view extension) const {
        return ListPageFiles(folder, extension);
    }
};

// The owner's options of a converter: one value, built once by the owner (the session,
// from the settings and the wiki's Wiki.ini) and handed to every converter it makes.
struct TConverterOptions {
    TPluginShelf* Plugins = nullptr; // not owned; may be absent
    std::string TemplateFolder;      // the program's template folder
    TLinkMode LinkMode = TLinkMode::Browse;
    std::string Extension = ".txt";        // page-file extension with its dot
    bool Utf8FileNames = false;            // page file names are hex of UTF-8, not EUC-JP
    bool KeepLineBreaks = false;           // a line break in a paragraph stays a break
    bool LooseWikiName = false;            // WikiNames may hold digits and more capitals
    bool MenuBarMode = false;              // anchor ids get the prefix "m" (the menu-bar page)
    const TPageExistence* Pages = nullptr; // not owned; absent: the file system is asked
    // Export links: the href of an existing page's file (no folder); absent: the page
    // file's name with ".html" in place of its extension.
    std::function<std::string(const std::string& pageFile)> ExportHref;
};

// A conversion that cannot go on (a plug-in call without a plug-in shelf).
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A slot that the notation does not fill was called: a fault of the program, not of a page.
class EAbstractError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

inline constexpr std::string_view CRLF = "\r\n";

struct TFootnote {
    std::string Text; // the converted footnote text
    int Number = 0;   // 1-based
};

class TFootnoteShelf {
public:
    void Add(TFootnote footnote) { items_.push_back(std::move(footnote)); }
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }
    const TFootnote& Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    int NextNumber() const { return Count() + 1; }

private:
    std::vector<TFootnote> items_;
};

// Lines of a text: CR LF, CR or LF end a line; a final line end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// One cell of a comma-separated row: where it starts (at its comma) and ends, and its text
// (a quoted cell without its quotes, each doubled quote as one). It is what the pattern
// m/,"([^"]*((\"\")+[^"]*)*)"|,([^,]*)/k finds from From, the text being group 1 when
// that is not empty and group 4 otherwise.
struct TCsvCell {
    std::size_t Begin = 0;
    std::size_t End = 0;
    std::string Text;
};
std::optional<TCsvCell> NextCsvCell(std::string_view Line, std::size_t From);

// The end of the address that starts at text[i] (a character start), or npos: what the
// link patterns' form "(?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\x00-\x20()<>\x7F-\xFF])+"
// matches there, the subject starting at `from`. `textEnd`: the text ends where the
// subject does.
std::size_t AddressEndAt(std::string_view text, bool textEnd, std::size_t from, std::size_t i);

// One decoration rule of a notation's inline pass: a byte that every match of the rule
// holds, and the slot of the notation T that applies the rule to a text.
template <class T> struct TInlineRule {
    char Marker;
    std::string (T::*Pass)(std::string_view);
};

// Applies the rules to Text one after the other, in their order. A rule whose marker is
// not in the text cannot match, and its pass, which would only copy the text, is skipped.
template <class T>
std::string ApplyInlineRules(T& Converter, std::string Text,
                             std::initializer_list<TInlineRule<T>> Rules) {
    for (const TInlineRule<T>& rule : Rules)
        if (Text.find(rule.Marker) != std::string::npos) Text = (Converter.*rule.Pass)(Text);
    return Text;
}

class TWikiDocumentConverter {
public:
    TWikiDocumentConverter() = default;
    virtual ~TWikiDocumentConverter() = default;
    TWikiDocumentConverter(const TWikiDocumentConverter&) = delete;
    TWikiDocumentConverter& operator=(const TWikiDocumentConverter&) = delete;

    // The public entry: converts stored-form Text of the page file FileName. Afterwards
    // Html, Title, Contents and Footnotes describe the page.
    void Convert(const std::string& FileName, std::string_view Text);
    // Convert of a text the converter takes: it is freed once its display form is made, so
    // that a big page is not held twice over while its HTML grows.
    void ConvertTaken(const std::string& FileName, std::string Text);

    // The owner's options: set once by the owner (see TConverterOptions), read by the rules.
    TConverterOptions Options;

    // --- State of one conversion: reset by ResetConversionState at the start of Convert ---
    std::string Html;        // the fragment of the last Convert
    std::string Title;       // page name of the last converted file
    std::string FileName;    // full path of the page file being converted (set by Convert)
    TContentsShelf Contents; // headings: (text, anchor, level)
    TFootnoteShelf Footnotes;
    int AnchorCounter = 0;  // next number for NewAnchorId
    bool InListPre = false; // a pre block is open inside a list item
    std::string NestTag;    // the block tag that nests by depth in this block run
    int Depth = 0;          // depth of the open nested block
    int NewDepth = 0;       // depth asked for by the current line

    // Empties everything a conversion leaves behind, so that no page inherits anything of
    // the page converted before it. Convert calls it first; a caller that runs ConvertBlocks
    // on its own calls it before each text.
    void ResetConversionState();

    // --- Virtual slots, in their order ----------------------------------------------------
    virtual void AddFootnote(const std::string& Text);
    virtual std::string FootnotesHtml();
    virtual std::string FootnoteRef(const std::string& Text);
    virtual std::string LinkPattern();
    virtual std::string ConvertLinks(std::string_view Text);
    virtual std::string ConvertInline(std::string_view Text);
    virtual std::string ConvertInlinePlain(std::string_view Text);
    virtual std::string ConvertLink(std::string_view Match);
    virtual std::string ConvertInlinePlugin(std::string_view Call);
    virtual std::string ConvertTableRow(std::string_view Line);
    virtual std::string ConvertDefinition(std::string_view Term, std::string_view Description);
    virtual std::string ConvertStrong(std::string_view Text);
    virtual std::string ConvertDeleted(std::string_view Text);
    virtual std::string ConvertFootnotes(std::string_view Text);
    virtual std::string ConvertEmphasis(std::string_view Text);
    virtual std::string ConvertBlocks(std::string_view Text) = 0;
    // ConvertBlocks of the page's display text, which the notation may take and free as it
    // goes (a big page is then not held once more beside the copies its rules make). Only
    // a notation whose rules call no plug-in may take it: when a plug-in asks for the
    // page's headings, the page is converted a second time from the same text.
    virtual std::string ConvertPageBlocks(std::string& Text) { return ConvertBlocks(Text); }

    // --- Block bookkeeping ----------------------------------------------------------------
    std::string OpenBlock(const std::string& Tag, std::string& CurrentTag,
                          std::string_view ClassName = {}, std::string_view Attributes = {});
    std::string CloseBlock(const std::string& NewTag, std::string& CurrentTag);
    // A comma-separated table row (YukiWiki and PukiWiki): "<tr>", one "td" per cell, "</tr>".
    std::string ConvertCsvRow(std::string_view Line);

    // --- Anchors, links, contents -----------------------------------------------------------
    std::string NewAnchorId();
    void ResetAnchorIds() { AnchorCounter = 0; }
    bool UsesInnerLinks() const { return Options.LinkMode != TLinkMode::Export; }
    // "InnerLink:" when browsing, nothing in export: put before "#anchor".
    std::string InnerLinkPrefix() const { return UsesInnerLinks() ? "InnerLink:" : ""; }
    // The page file name (no folder) of a page name: hex of its bytes plus Extension.
    std::string PageFileOf(std::string_view PageName) const;
    // The folder of the page being converted, ending in "/".
    std::string PageFolder() const;
    std::string MakePageLink(const std::string& LinkFile, std::string_view Text, bool Bracketed);
    // The contents block of the page last converted; empty without headings.
    std::string ContentsHtml(bool Utf8Titles) const;

    // --- Plug-ins -------------------------------------------------------------------------
    // Raises EConvertError when the converter has no plug-in shelf.
    void RequirePlugins() const;
    // The plug-in called Name (after RequirePlugins), or nullptr.
    const TPlugin* FindPlugin(std::string_view Name, bool CaseSensitive) const;
    // Calls the plug-in with the call's arguments and the page's context; its HTML. During
    // the call the plug-in may ask about the page (PluginQueries).
    std::string CallPlugin(const TPlugin& Plugin, std::string_view Args);
    TConverterQueries& PluginQueries() { return pluginQueries_; }

    // --- Text helpers (usable without an instance) ------------------------------------------
    static std::string EscapeHtml(std::string_view Text);
    // Page text made fit to stand inside a double-quoted attribute value: "<", ">", '"' and
    // "'" become references, and so does every "&" that does not already begin a character
    // reference (text escaped before links were matched keeps its "&amp;" as it is). The
    // value can never end its attribute early or open a tag.
    static std::string EscapeAttribute(std::string_view Value);
    // Whether an address may be written as a live link (Image: as the source of an image).
    // The address is read as a browser reads the attribute value: character references
    // decoded, blanks and control bytes dropped, the scheme in any case. The schemes
    // "javascript", "vbscript" and "data" run script or carry a document of their own and
    // are refused; an image may still be a "data:image/png", "gif", "jpeg" or "webp".
    static bool IsSafeAddress(std::string_view Address, bool Image = false);
    // An address from page text as an attribute value: escaped, or nothing when it is
    // refused (the link is then written as plain text).
    static std::optional<std::string> AttributeAddress(std::string_view Address,
                                                       bool Image = false);
    // A bare address as a link showing the address as written; with ShowImage an image
    // address shows the image instead. A refused address stays plain text.
    static std::string AddressLink(std::string_view Url, bool ShowImage = true);
    // Every match of the pattern What (not quoted) replaced by With.
    static std::string ReplaceAll(std::string_view Text, std::string_view What,
                                  std::string_view With);
    static std::string StripTags(std::string_view Text);
    static bool IsImageFile(std::string_view Url);
    static bool IsUrl(std::string_view Text);

private:
    // Convert once the text is in display form.
    void ConvertDisplay(const std::string& FileName, std::string Display);

    TConverterQueries pluginQueries_{*this};
    // PageFolder of FileName, kept while FileName stays the same (asked once per page link).
    const std::string& CurrentFolder() const;
    mutable std::string folderOf_;
    mutable std::string folder_;
};

} // namespace tarnel
