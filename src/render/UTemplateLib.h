// Templates: the template set, the template filler and the page tags.
//
// A converter makes an HTML fragment; a template makes a whole page of it. Templates are
// plain HTML files in the folder "Template" beside the program, one sub-folder per kind:
//
//   Template/main/*.html    frame a page shown in the view
//   Template/export/*.html  frame a page written by the HTML export
//   Template/list/*.html    frame the index.html written by the export
//
// The standard template of every kind is "default.html". A template holds tags written as
// "<#Name>" (white space and parameters are allowed: "< # Name a='x' >"); the filler copies
// the template byte for byte and puts the text that a tag handler gives in place of each
// tag. Template bytes are never recoded: the replacements are display-form (Shift_JIS) byte
// strings, or UTF-8 when the TitleEncodingUTF8 setting asks for it, so a template is best
// written in ASCII (Japanese as character references), which reads right either way.
//
// How the page pipeline and the export use this unit:
//
//   TTemplate templates(AppFolder());                  // owned for the whole run
//   templates.MainFileName = <Wiki.ini [Template] Main>;
//
//   TPageTags page = PageTagsOf(*converter, settings.TitleEncodingUTF8);
//   page.TemplateFolder = templates.TemplateFolder();
//   page.CssFolder = AppFolder() + "css";  page.DesignName = settings.CssName;
//   page.DocumentFolder = wikiFolder;      page.EncodingName = CharsetName(...);
//   page.MenuBar = [&] { return ConvertMenuBar(wikiFolder, MenuBarOptionsOf(...)); };
//
//   TPageProducer ppdMain;
//   ppdMain.HTMLFile = templates.MainTemplatePath();
//   ppdMain.OnHTMLTag = MainTagHandler(page);
//   std::string html = ppdMain.Content();              // ETemplateError on failure
//
// Nothing is cached: every Content() reads the template file anew, so a template edited
// while the program runs shows at the next page.
#pragma once

#include "conversion/UWikiDocumentConverterMaker.h"
#include "storage/UPageFile.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

class TPluginShelf;

// --- Errors -------------------------------------------------------------------------------

// A template that cannot be filled: the file cannot be read (missing, a folder, no
// permission) or a line is too long. The message is for the user and names the file.
class ETemplateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A template line longer than TPageProducer::MaxLineLength. The message is the formatted
// parser message ("12 行で行が長すぎます" in display form); Line is the 1-based line number.
class ETemplateLineTooLong : public ETemplateError {
public:
    ETemplateLineTooLong(const std::string& message, int line)
        : ETemplateError(message), Line(line) {}
    int Line;
};

// --- The template set ---------------------------------------------------------------------

// The template folders and the three chosen templates of the open wiki. One instance lives
// as long as the main window. The chosen names belong to the wiki: the owner reads them
// from Wiki.ini ([Template] Main, List, Export) when a wiki is opened and writes them back
// when it is left.
class TTemplate {
public:
    // The standard template of every kind.
    static constexpr const char* StandardFileName = "default.html";

    // RootFolder is the program folder; one trailing "/" is removed.
    explicit TTemplate(std::string RootFolder, std::string FolderName = "Template");

    std::string RootFolder;                      // program folder, no trailing "/"
    std::string FolderName;                      // "Template"
    std::string MainFileName = StandardFileName; // bare file names of the chosen templates
    std::string ListFileName;
    std::string ExportFileName;

    // RootFolder + "/" + FolderName, no trailing "/".
    std::string TemplateFolder() const;
    // TemplateFolder() + "/main/" + MainFileName, and so on.
    std::string MainTemplatePath() const;
    std::string ListTemplatePath() const;
    std::string ExportTemplatePath() const;

    // The templates of a kind: the bare names of the files in its folder whose names end in
    // ".html" (without regard to case), sorted without regard to case. An absent folder
    // gives an empty list.
    std::vector<std::string> GetMainTemplates() const;
    std::vector<std::string> GetListTemplates() const;
    std::vector<std::string> GetExportTemplates() const;

    // The caption of a template in the Template menu: its file name without ".html".
    static std::string TemplateCaption(std::string_view FileName);

    // The whole content of a template file. Throws ETemplateError naming the file when it
    // cannot be read (missing, a folder, no permission).
    static std::string LoadFile(const std::string& Path);

private:
    std::vector<std::string> ListTemplates(const char* Kind) const;
};

// --- The template filler ------------------------------------------------------------------

// One tag met in a template.
struct THTMLTag {
    std::string TagString;              // the tag name, exactly as written (case counts)
    std::vector<std::string> TagParams; // the parameters after the name, split at blanks
};

// The tag handler: appends the text that replaces the tag to Out, the page filled so far
// (what Out holds already is not the handler's to change). A handler that appends nothing
// removes the tag. Appending in place keeps a big page's text from being copied once more
// on its way into the page.
using THTMLTagEvent = std::function<void(const THTMLTag& Tag, std::string& Out)>;

// Fills a template: copies it and replaces every tag by what OnHTMLTag gives.
//
// Token rules: white space is the bytes 1 to 32. A tag is "<", optional white space, "#",
// optional white space, the tag name (an identifier: a letter or "_", then letters, digits
// and "_"), then any parameter text up to the first ">" that is not inside a pair of single
// or double quotes. The whole tag, "<" to ">", gives way to the replacement. A "<" that does
// not begin a tag is copied, but the white space right after it is dropped ("a < b" comes
// out as "a <b"); the next "<" may begin a tag ("<<#Title>>" gives "<" title ">"). A tag
// left open at the end of the template is copied as it stands.
class TPageProducer {
public:
    // Every line of a template (not counting its line break) must fit in this many bytes.
    static constexpr std::size_t MaxLineLength = 4096;

    std::string HTMLFile;         // full path of the template; read anew by every Content()
    THTMLTagEvent OnHTMLTag;      // may be empty: every tag is then removed
    bool StripParamQuotes = true; // parameter values lose their surrounding quotes

    // The message texts of a template line that is too long, display form. The owner may
    // replace them by the language table's texts. The format takes the message as %0:s and
    // the line number as %1:d.
    std::string LineTooLongText = "\x8D\x73\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xDC\x82\xB7";
    std::string ParseErrorFormat = "%1:d \x8D\x73\x82\xC5%0:s";

    // The filled page of HTMLFile. Throws ETemplateError when the file cannot be read and
    // ETemplateLineTooLong when a line is too long; the handler is then not called at all.
    std::string Content() const;
    // The same for template bytes already in memory.
    std::string ContentFromString(std::string_view Template) const;

private:
    void CheckLineLengths(std::string_view Template) const;
    THTMLTag ParseTag(std::string_view Name, std::string_view Params) const;
};

// Fills a message format that refers to its arguments by position: "%0:s" is Text,
// "%1:d" is Number, "%%" is "%". Anything else is copied.
std::string FormatParseError(std::string_view Format, std::string_view Text, int Number);

// --- The page tags ------------------------------------------------------------------------

// What the page tags are made of: the page pipeline fills it for the page shown, the export
// for the page written. Texts are display form (Shift_JIS) unless said otherwise; folders
// are file-system paths (UTF-8 on this system) and become file:// addresses.
//
//   Tag            Replacement                                                 UTF-8
//   Main           Html                                                         yes
//   Encoding       EncodingName                                                 no
//   Title          Title with & < > " escaped                                   yes
//   TemplatePath   file:// address of TemplateFolder, no trailing "/"           -
//   CSSPath        file:// address of CssFolder, no trailing "/"                -
//   CSSFile        DesignName + "/wiki.css"                                     -
//   Version        Version                                                      no
//   DocumentPath   file:// address of DocumentFolder, ending in "/"             -
//   Contents       ContentsHtml as given (already UTF-8 where asked)            (given)
//   Menubar        MenuBar() when set, else nothing                             yes
//
// "yes": converted from Shift_JIS to UTF-8 when TitleEncodingUTF8 is set. The addresses are
// percent-encoded (every byte outside the plain URL characters), so they are ASCII and
// reach the same file whatever encoding the page is read in.
struct TPageTags {
    std::string_view Html;                  // the converted page fragment (not copied)
    std::string Title;                      // the page title, not escaped
    std::string ContentsHtml;               // the converter's ContentsHtml(TitleEncodingUTF8)
    std::string TemplateFolder;             // TTemplate::TemplateFolder()
    std::string CssFolder;                  // the design folder: program folder + "css"
    std::string DesignName;                 // the chosen design (setting CssName), e.g. "default"
    std::string DocumentFolder;             // the open wiki folder, ending in "/"
    std::string EncodingName = "Shift_JIS"; // charset named by the tag Encoding
    std::string Version = TARNEL_VERSION;
    bool TitleEncodingUTF8 = false;
    // Produces the menu-bar page's HTML (display form) or nothing; called once for every
    // "Menubar" tag, so a template without the tag costs no conversion. May be empty.
    std::function<std::string()> MenuBar;
};

// Html, Title and ContentsHtml of the page a converter converted last. Html is the
// converter's own, which must outlive the filling.
TPageTags PageTagsOf(const TWikiDocumentConverter& Converter, bool TitleEncodingUTF8);

// The charset name of an export encoding setting: 0 "Shift_JIS", 1 "EUC-JP", 2 "UTF-8";
// any other value gives "Shift_JIS".
//
// A filled page is Shift_JIS when TitleEncodingUTF8 is off and UTF-8 when it is on (the
// shipped templates are ASCII). The view names that charset: CharsetName(utf8 ? 2 : 0).
// The export names the encoding it writes: CharsetName(Encoding) for pages it converts,
// "UTF-8" for pages left in UTF-8. An index.html that is converted afterwards should be
// filled with TitleEncodingUTF8 off, so that no text is converted twice.
const char* CharsetName(int ExportEncoding);

// The replacement of one tag of a main or export template.
std::string MainTagText(const TPageTags& Page, const std::string& TagString);
// The handler of a main or export template: every tag of the table above.
void ppdMainHTMLTag(const TPageTags& Page, const THTMLTag& Tag, std::string& Out);
// The handler of a list template: "Main" gives IndexList (the export's "<ul>" list, as
// it is), every other tag what ppdMainHTMLTag gives.
//
// index.html is converted to the export encoding after filling, and it is a page of the
// exported site: fill its TPageTags with TitleEncodingUTF8 off (nothing converted twice),
// EncodingName = CharsetName(Encoding), and a MenuBar converted with export links
// (LinkMode 2), or the shipped list template's menu bar would link into the program.
void ppdListHTMLTag(const TPageTags& Page, const std::string& IndexList, const THTMLTag& Tag,
                    std::string& Out);

// Handlers bound to their inputs, for TPageProducer::OnHTMLTag. They refer to Page and
// IndexList, which must outlive the filling.
THTMLTagEvent MainTagHandler(const TPageTags& Page);
THTMLTagEvent ListTagHandler(const TPageTags& Page, const std::string& IndexList);

// A folder path as a file:// address: "file://" + the path percent-encoded.
std::string FileUrl(std::string_view Path);

// --- The menu bar -------------------------------------------------------------------------

// How the menu-bar page is converted: like the page around it, with that converter's
// options, so a menu bar in an export gets export links.
struct TMenuBarOptions {
    TWikiNotation Notation = TWikiNotation::YukiWiki;
    TConverterOptions Converter;
    PageReadOptions Read; // how page files are read
};

// The options of the converter that converts the page around the menu bar.
TMenuBarOptions MenuBarOptionsOf(const TWikiDocumentConverter& Converter, TWikiNotation Notation,
                                 const PageReadOptions& Read);

// The page "MenuBar" of the wiki folder DocumentFolder (ending in "/"), converted with a
// converter of its own in menu-bar mode (anchors "mi0", "mi1", ...), or nothing when the
// wiki has no such page. The caller's converter is not touched.
std::string ConvertMenuBar(const std::string& DocumentFolder, const TMenuBarOptions& Options);

} // namespace tarnel
