#include "render/UTemplateLib.h"

#include "storage/UWikiFileList.h"
#include "text/UFileIO.h"
#include "text/jconvert.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {

namespace fs = std::filesystem;

// White space of the template tokens: every byte from 1 to 32. NUL is an ordinary byte.
bool IsBlank(char c) {
    auto b = static_cast<unsigned char>(c);
    return b >= 1 && b <= 32;
}

bool IsIdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsIdentChar(char c) {
    return IsIdentStart(c) || (c >= '0' && c <= '9');
}

std::size_t SkipBlanks(std::string_view text, std::size_t pos) {
    while (pos < text.size() && IsBlank(text[pos]))
        ++pos;
    return pos;
}

std::string_view TrimBlanks(std::string_view text) {
    std::size_t first = SkipBlanks(text, 0);
    std::size_t last = text.size();
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

// The position of the first ">" at or after pos that is not inside a pair of quotes, or npos.
// A quote without a partner further on is an ordinary character. Once a quote kind has no
// partner left, none of its later quotes has one either, so the search is remembered and
// the whole scan stays linear.
std::size_t FindTagEnd(std::string_view text, std::size_t pos) {
    bool singleLeft = true, doubleLeft = true;
    while (pos < text.size()) {
        char c = text[pos];
        if (c == '>') return pos;
        if ((c == '"' && doubleLeft) || (c == '\'' && singleLeft)) {
            std::size_t partner = text.find(c, pos + 1);
            if (partner == std::string_view::npos) {
                (c == '"' ? doubleLeft : singleLeft) = false;
                ++pos;
            } else {
                pos = partner + 1;
            }
            continue;
        }
        ++pos;
    }
    return std::string_view::npos;
}

// A value in matching single or double quotes loses them.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool LessWithoutCase(const std::string& a, const std::string& b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        int x = lower(static_cast<unsigned char>(a[i]));
        int y = lower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y;
    }
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b; // names that differ only in case keep a fixed order
}

bool EndsWithHtml(const std::string& name) {
    static constexpr std::string_view kExt = ".html";
    if (name.size() <= kExt.size()) return false;
    for (std::size_t i = 0; i < kExt.size(); ++i) {
        char c = name[name.size() - kExt.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        if (c != kExt[i]) return false;
    }
    return true;
}

// Bytes that stand for themselves in the path of a file:// address; every other byte is
// percent-encoded, which keeps the address ASCII and leaves no "#", "?", "%", quote or
// blank to cut it short.
bool IsPlainUrlByte(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
    return std::strchr("-._~/!$()*+,;=:@", c) != nullptr && c != 0;
}

std::string PercentEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        if (IsPlainUrlByte(c)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string WithoutTrailingSlash(std::string path) {
    if (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string WithTrailingSlash(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

} // namespace

// --- TTemplate ------------------------------------------------------------------------------

TTemplate::TTemplate(std::string Root, std::string Folder)
    : RootFolder(std::move(Root)), FolderName(std::move(Folder)) {
    if (!RootFolder.empty() && RootFolder.back() == '/') RootFolder.pop_back();
}

std::string TTemplate::TemplateFolder() const {
    return RootFolder + "/" + FolderName;
}
std::string TTemplate::MainTemplatePath() const {
    return TemplateFolder() + "/main/" + MainFileName;
}
std::string TTemplate::ListTemplatePath() const {
    return TemplateFolder() + "/list/" + ListFileName;
}
std::string TTemplate::ExportTemplatePath() const {
    return TemplateFolder() + "/export/" + ExportFileName;
}

std::vector<std::string> TTemplate::GetMainTemplates() const {
    return ListTemplates("main");
}
std::vector<std::string> TTemplate::GetListTemplates() const {
    return ListTemplates("list");
}
std::vector<std::string> TTemplate::GetExportTemplates() const {
    return ListTemplates("export");
}

std::vector<std::string> TTemplate::ListTemplates(const char* Kind) const {
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(TemplateFolder() + "/" + Kind, ec);
    if (ec) return names;
    for (const fs::directory_entry& entry : it) {
        std::string name = entry.path().filename().string();
        // Only files: a folder that happens to end in ".html" cannot be filled.
        std::error_code fileEc;
        if (EndsWithHtml(name) && entry.is_regular_file(fileEc)) names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end(), LessWithoutCase);
    return names;
}

std::string TTemplate::TemplateCaption(std::string_view FileName) {
    return std::string(FileName.size() >= 5 ? FileName.substr(0, FileName.size() - 5) : FileName);
}

std::string TTemplate::LoadFile(const std::string& Path) {
    try {
        return ReadWholeFile(Path, "template " + DisplayPath(Path));
    } catch (const EFileError& e) {
        throw ETemplateError(e.what());
    }
}

// --- TPageProducer --------------------------------------------------------------------------

std::string TPageProducer::Content() const {
    return ContentFromString(TTemplate::LoadFile(HTMLFile));
}

void TPageProducer::CheckLineLengths(std::string_view Template) const {
    // Lines end at LF, CR LF or a lone CR; the line break itself does not count.
    int line = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= Template.size(); ++i) {
        bool end = i == Template.size();
        if (!end && Template[i] != '\n' && Template[i] != '\r') continue;
        if (i - start > MaxLineLength)
            throw ETemplateLineTooLong(FormatParseError(ParseErrorFormat, LineTooLongText, line),
                                       line);
        if (end) break;
        if (Template[i] == '\r' && i + 1 < Template.size() && Template[i + 1] == '\n') ++i;
        ++line;
        start = i + 1;
    }
}

THTMLTag TPageProducer::ParseTag(std::string_view Name, std::string_view Params) const {
    THTMLTag tag;
    tag.TagString = std::string(Name);
    // Parameters are separated by blanks outside quote pairs: a='x y' b="1" c.
    std::size_t pos = 0;
    while ((pos = SkipBlanks(Params, pos)) < Params.size()) {
        std::size_t start = pos;
        while (pos < Params.size() && !IsBlank(Params[pos])) {
            char c = Params[pos];
            std::size_t partner =
                (c == '"' || c == '\'') ? Params.find(c, pos + 1) : std::string_view::npos;
            pos = partner == std::string_view::npos ? pos + 1 : partner + 1;
        }
        std::string_view param = Params.substr(start, pos - start);
        if (!StripParamQuotes) {
            tag.TagParams.emplace_back(param);
            continue;
        }
        // name="value" keeps its name; only a "=" before any quote separates one.
        std::size_t eq = param.find('=');
        if (eq != std::string_view::npos && param.find_first_of("\"'") < eq)
            eq = std::string_view::npos;
        if (eq == std::string_view::npos)
            tag.TagParams.emplace_back(Unquote(param));
        else
            tag.TagParams.push_back(std::string(param.substr(0, eq + 1)) +
                                    std::string(Unquote(param.substr(eq + 1))));
    }
    return tag;
}

// Filling, in one pass over the template:
//  1. copy everything up to the next "<";
//  2. after "<" skip white space; unless a "#" follows, write "<" and go on from the byte
//     after the white space (the white space is gone);
//  3. after "#" skip white space and read the tag name: an identifier, or one byte;
//  4. the tag ends at the first ">" outside quote pairs; its trimmed text after the name is
//     the parameter text; the handler's text replaces "<" to ">".
// A tag with no ">" left is not a tag: the rest of the template is copied as it is.
std::string TPageProducer::ContentFromString(std::string_view Template) const {
    CheckLineLengths(Template);
    const std::size_t n = Template.size();
    std::string out;
    out.reserve(n + n / 2);
    std::size_t pos = 0;
    while (pos < n) {
        std::size_t lt = Template.find('<', pos);
        if (lt == std::string_view::npos) {
            out.append(Template.substr(pos));
            break;
        }
        out.append(Template.substr(pos, lt - pos));
        std::size_t next = SkipBlanks(Template, lt + 1);
        if (next >= n || Template[next] != '#') {
            // Not a tag. A "<" right after it is looked at afresh, so "<<#Title>" still
            // fills its tag.
            out += '<';
            pos = next;
            continue;
        }
        std::size_t nameStart = SkipBlanks(Template, next + 1);
        std::size_t nameEnd = nameStart;
        if (nameEnd < n && IsIdentStart(Template[nameEnd])) {
            while (nameEnd < n && IsIdentChar(Template[nameEnd]))
                ++nameEnd;
        } else if (nameEnd < n && Template[nameEnd] != '>') {
            ++nameEnd; // a name of one byte, which no handler knows
        }
        std::size_t close = FindTagEnd(Template, nameEnd);
        if (close == std::string_view::npos) {
            out.append(Template.substr(lt));
            break;
        }
        THTMLTag tag = ParseTag(Template.substr(nameStart, nameEnd - nameStart),
                                TrimBlanks(Template.substr(nameEnd, close - nameEnd)));
        if (OnHTMLTag) OnHTMLTag(tag, out);
        pos = close + 1;
    }
    return out;
}

std::string FormatParseError(std::string_view Format, std::string_view Text, int Number) {
    std::string out;
    int sequential = 0;
    for (std::size_t i = 0; i < Format.size(); ++i) {
        if (Format[i] != '%') {
            out += Format[i];
            continue;
        }
        if (i + 1 < Format.size() && Format[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        // "%" [index ":"] type
        std::size_t j = i + 1;
        int index = sequential;
        std::size_t digits = j;
        int value = 0;
        while (digits < Format.size() && Format[digits] >= '0' && Format[digits] <= '9') {
            value = std::min(value * 10 + (Format[digits] - '0'), 100); // only 0 and 1 exist
            ++digits;
        }
        if (digits > j && digits < Format.size() && Format[digits] == ':') {
            index = value;
            j = digits + 1;
        }
        if (j < Format.size() && (Format[j] == 's' || Format[j] == 'd') && index <= 1) {
            out += index == 0 ? std::string(Text) : std::to_string(Number);
            sequential = index + 1;
            i = j;
        } else {
            out += '%';
        }
    }
    return out;
}

// --- The page tags --------------------------------------------------------------------------

TPageTags PageTagsOf(const TWikiDocumentConverter& Converter, bool TitleEncodingUTF8) {
    TPageTags page;
    page.Html = Converter.Html;
    page.Title = Converter.Title;
    page.ContentsHtml = Converter.ContentsHtml(TitleEncodingUTF8);
    page.TitleEncodingUTF8 = TitleEncodingUTF8;
    return page;
}

const char* CharsetName(int ExportEncoding) {
    switch (ExportEncoding) {
    case 1:
        return "EUC-JP";
    case 2:
        return "UTF-8";
    default:
        return "Shift_JIS";
    }
}

std::string FileUrl(std::string_view Path) {
    std::string path(Path);
    if (path.empty() || path.front() != '/') {
        std::error_code ec;
        std::string absolute = fs::absolute(path.empty() ? fs::path(".") : fs::path(path), ec);
        if (!ec) path = absolute;
    }
    return "file://" + PercentEncode(path);
}

std::string MainTagText(const TPageTags& Page, const std::string& TagString) {
    auto utf8 = [&](std::string_view text) {
        return Page.TitleEncodingUTF8 ? ShiftJisToUtf8(text) : std::string(text);
    };
    if (TagString == "Main") return utf8(Page.Html);
    if (TagString == "Encoding") return Page.EncodingName;
    if (TagString == "Title") return utf8(TWikiDocumentConverter::EscapeHtml(Page.Title));
    if (TagString == "TemplatePath") return FileUrl(WithoutTrailingSlash(Page.TemplateFolder));
    if (TagString == "CSSPath") return FileUrl(WithoutTrailingSlash(Page.CssFolder));
    if (TagString == "CSSFile") return PercentEncode(Page.DesignName) + "/wiki.css";
    if (TagString == "Version") return Page.Version;
    if (TagString == "DocumentPath") return FileUrl(WithTrailingSlash(Page.DocumentFolder));
    if (TagString == "Contents") return Page.ContentsHtml;
    if (TagString == "Menubar") return Page.MenuBar ? utf8(Page.MenuBar()) : std::string();
    return {};
}

void ppdMainHTMLTag(const TPageTags& Page, const THTMLTag& Tag, std::string& Out) {
    if (Tag.TagString != "Main" || Page.TitleEncodingUTF8) {
        Out += MainTagText(Page, Tag.TagString);
        return;
    }
    // The page itself goes in without a copy on the way, with the room the page had left
    // kept for the rest of the template, so that it is not copied again as the page grows.
    if (Out.capacity() - Out.size() < Page.Html.size())
        Out.reserve(Out.capacity() + Page.Html.size());
    Out += Page.Html;
}

void ppdListHTMLTag(const TPageTags& Page, const std::string& IndexList, const THTMLTag& Tag,
                    std::string& Out) {
    if (Tag.TagString == "Main")
        Out += IndexList;
    else
        ppdMainHTMLTag(Page, Tag, Out);
}

THTMLTagEvent MainTagHandler(const TPageTags& Page) {
    return [&Page](const THTMLTag& Tag, std::string& Out) { ppdMainHTMLTag(Page, Tag, Out); };
}

THTMLTagEvent ListTagHandler(const TPageTags& Page, const std::string& IndexList) {
    return [&Page, &IndexList](const THTMLTag& Tag, std::string& Out) {
        ppdListHTMLTag(Page, IndexList, Tag, Out);
    };
}

// --- The menu bar ---------------------------------------------------------------------------

TMenuBarOptions MenuBarOptionsOf(const TWikiDocumentConverter& Converter, TWikiNotation Notation,
                                 const PageReadOptions& Read) {
    return TMenuBarOptions{Notation, Converter.Options, Read};
}

std::string ConvertMenuBar(const std::string& DocumentFolder, const TMenuBarOptions& Options) {
    const TConverterOptions& options = Options.Converter;
    std::string path = WithTrailingSlash(DocumentFolder) +
                       EncodePageName("MenuBar", options.Utf8FileNames) + options.Extension;
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return {};

    // A converter of its own: the one of the page around the menu bar keeps its title,
    // contents and footnotes for the other tags. Anchors "mi0", "mi1", ... stay apart from
    // the page's.
    TConverterOptions menuBar = options;
    menuBar.MenuBarMode = true;
    std::unique_ptr<TWikiDocumentConverter> converter =
        TWikiDocumentConverterMaker::GetWikiDocumentConverter(Options.Notation, menuBar);
    converter->ConvertTaken(path, ReadPageText(path, Options.Read));
    return std::move(converter->Html);
}

} // namespace tarnel
