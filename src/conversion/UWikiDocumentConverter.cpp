#include "conversion/UWikiDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"
#include "text/UPageName.h"
#include "text/jconvert.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace tarnel {

namespace {

// An address is a scheme that does not follow an ASCII letter or digit (so "Profile:" is
// no address), its colon and at least one address character. Addresses end at a blank, a
// parenthesis, an angle bracket, a control byte or any byte from 0x7F up (so a Japanese
// character right after an address ends it). A WikiName is two or more capitalised words;
// the loose form is any run of letters with two capitals.
const char* const kStrictLinkPattern = "m/"
                                       "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-"
                                       "\\x20()<>\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\])|"
                                       "(\\b([A-Z][a-z]+([A-Z][a-z]+)+)\\b))/k";
const char* const kLooseLinkPattern = "m/"
                                      "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-"
                                      "\\x20()<>\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\])|"
                                      "(\\b([A-Z]([A-Za-z])*[A-Z]([A-Za-z])*)\\b))/k";
// Notations without WikiNames (Hatena, livedoor Wiki) link addresses and bracketed names.
const char* const kAddressLinkPattern = "m/"
                                        "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-"
                                        "\\x20()<>\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\]))/k";

const TPattern kTagPattern("m/<.*?>/k");

// The known link patterns, found by the scanner below rather than by the matcher.
struct TLinkRule {
    const char* source;
    bool wikiNames;
    bool loose; // the loose WikiName
};
const TLinkRule kLinkRules[] = {
    {kStrictLinkPattern, true, false},
    {kLooseLinkPattern, true, true},
    {kAddressLinkPattern, false, false},
};

// The rule of a known link pattern; nullptr for any other pattern.
const TLinkRule* KnownLinkRule(const std::string& pattern) {
    for (const TLinkRule& rule : kLinkRules)
        if (pattern == rule.source) return &rule;
    return nullptr;
}

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiLetterOrDigit(char c) {
    return IsAsciiAlpha(c) || IsAsciiDigit(c);
}
bool IsAsciiWordByte(char c) {
    return IsAsciiLetterOrDigit(c) || c == '_';
}
bool IsUpper(char c) {
    return c >= 'A' && c <= 'Z';
}
bool IsLower(char c) {
    return c >= 'a' && c <= 'z';
}
// A byte that may follow a lead byte in a double-byte character.
bool MayBeTrailByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}
// A character of an address: [^\x00-\x20()<>\x7F-\xFF], which takes no double-byte
// character, so it is a test of one byte.
bool IsAddressByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return b > 0x20 && b < 0x7F && c != '(' && c != ')' && c != '<' && c != '>';
}

// The single-byte character before text[at] when there is one, or 0: the subject starts at
// `from`, and the character is found as the matcher finds it for "\b" and look-behind, by
// stepping back. A byte that may be a trail byte is the second of a pair when the run of
// lead bytes before it is odd.
char ByteBefore(std::string_view text, std::size_t from, std::size_t at) {
    if (at <= from) return 0;
    const std::size_t s = at - 1;
    if (!MayBeTrailByte(text[s])) return text[s];
    std::size_t p = s;
    while (p > from) {
        if (!IsShiftJisLeadByte(text[--p])) {
            ++p;
            break;
        }
    }
    std::size_t len = IsShiftJisLeadByte(text[p]) ? 2 : 1;
    if (p + len > s) return p == s ? text[s] : 0;
    p += len;
    p += (s - p) & ~std::size_t(1);
    return p == s ? text[s] : 0;
}

// The end of the link of a known rule that starts at text[i], a character start, or npos,
// as the matcher finds it with the subject starting at `from`; `text` is a line, the last
// of the whole text when `textEnd`. The forms are told apart by
// their first character: an address by its scheme, a bracketed name by "[[", a WikiName by
// its capital. A bracketed name is looked for only while `brackets`; a "[[" that finds no
// "]]" clears it, since no later "[[" of the text can find one either.
std::size_t LinkEndAt(std::string_view text, bool textEnd, std::size_t from, std::size_t i,
                      const TLinkRule& rule, bool& brackets) {
    const char c = text[i];
    if (c == 'h' || c == 'f' || c == 'm') return AddressEndAt(text, textEnd, from, i);
    if (c == '[') {
        // "\[\[(.+?)\]\]": at least one character (no line end, no half of one at the end),
        // then the first "]]" at a character start.
        if (!brackets || i + 1 >= text.size() || text[i + 1] != '[') return std::string_view::npos;
        std::size_t j = i + 2;
        bool first = true;
        while (j < text.size()) {
            if (!first && text[j] == ']' && j + 1 < text.size() && text[j + 1] == ']') return j + 2;
            if (text[j] == '\n' || (IsShiftJisLeadByte(text[j]) && j + 1 >= text.size())) break;
            j += CharLength(text, j);
            first = false;
        }
        brackets = false;
        return std::string_view::npos;
    }
    if (!rule.wikiNames || !IsUpper(c) || IsAsciiWordByte(ByteBefore(text, from, i)))
        return std::string_view::npos;
    std::size_t j = i;
    if (rule.loose) {
        // "\b([A-Z]([A-Za-z])*[A-Z]([A-Za-z])*)\b": a run of letters with a second capital.
        int capitals = 0;
        while (j < text.size() && IsAsciiAlpha(text[j]))
            capitals += IsUpper(text[j++]);
        if (capitals < 2) return std::string_view::npos;
    } else {
        // "\b([A-Z][a-z]+([A-Z][a-z]+)+)\b": two or more capitalised words.
        int words = 0;
        while (j + 1 < text.size() && IsUpper(text[j]) && IsLower(text[j + 1])) {
            j += 2;
            while (j < text.size() && IsLower(text[j]))
                ++j;
            ++words;
        }
        if (words < 2) return std::string_view::npos;
    }
    if (j < text.size() && IsAsciiWordByte(text[j])) return std::string_view::npos;
    return j;
}

// Where a link of a known rule can start: the bytes that begin its forms.
bool MayStartLink(char c, const TLinkRule& rule) {
    return c == 'h' || c == 'f' || c == 'm' || c == '[' || (rule.wikiNames && IsUpper(c));
}

[[noreturn]] void Abstract(const char* slot) {
    throw EAbstractError(std::string("abstract slot called: ") + slot);
}

std::string Format(const char* format, auto... args) {
    int n = std::snprintf(nullptr, 0, format, args...);
    std::string out(static_cast<std::size_t>(n), '\0');
    std::snprintf(out.data(), out.size() + 1, format, args...);
    return out;
}

} // namespace

std::size_t AddressEndAt(std::string_view text, bool textEnd, std::size_t from, std::size_t i) {
    std::string_view rest = text.substr(i);
    std::size_t scheme = 0;
    for (std::string_view s : {"http:", "https:", "ftp:", "mailto:", "file:"})
        if (rest.starts_with(s)) scheme = s.size();
    if (scheme == 0 || IsAsciiLetterOrDigit(ByteBefore(text, from, i)))
        return std::string_view::npos;
    std::size_t j = i + scheme;
    while (j < text.size() && IsAddressByte(text[j]))
        ++j;
    // Half a character at the very end of the text is no character the class refuses:
    // the matcher takes it. (Before a line end it pairs with the line end.)
    if (j + 1 == text.size() && textEnd && IsShiftJisLeadByte(text[j])) ++j;
    return j == i + scheme ? std::string_view::npos : j;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') continue;
        lines.push_back(text.substr(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

std::optional<TCsvCell> NextCsvCell(std::string_view line, std::size_t from) {
    // The first comma starts the cell: a comma is never the second byte of a double-byte
    // character, so the matcher takes any comma byte for the start of a character (though
    // stepping forward through a cell it takes a lead byte and a comma as one).
    const std::size_t comma = line.find(',', from);
    if (comma == std::string_view::npos) return std::nullopt;
    TCsvCell cell;
    cell.Begin = comma;
    if (comma + 1 < line.size() && line[comma + 1] == '"') {
        // Quoted: characters and doubled quotes up to a single closing quote. Without one,
        // the last doubled quote's first half closes the cell; without that either, the
        // cell is unquoted after all.
        const std::size_t start = comma + 2;
        std::size_t lastPair = std::string_view::npos;
        std::size_t close = std::string_view::npos;
        for (std::size_t j = start; j < line.size();) {
            if (line[j] != '"') {
                j += CharLength(line, j);
            } else if (j + 1 < line.size() && line[j + 1] == '"') {
                lastPair = j;
                j += 2;
            } else {
                close = j;
                break;
            }
        }
        if (close == std::string_view::npos) close = lastPair;
        if (close != std::string_view::npos) {
            for (std::size_t j = start; j < close; j += line[j] == '"' ? 2 : CharLength(line, j))
                cell.Text.append(line.substr(j, line[j] == '"' ? 1 : CharLength(line, j)));
            cell.End = close + 1;
            return cell;
        }
    }
    std::size_t end = comma + 1;
    while (end < line.size() && line[end] != ',')
        end += CharLength(line, end);
    cell.End = end;
    cell.Text = std::string(line.substr(comma + 1, end - comma - 1));
    return cell;
}

void TWikiDocumentConverter::ResetConversionState() {
    Html.clear();
    Title.clear();
    Contents.Clear();
    Footnotes.Clear();
    AnchorCounter = 0;
    InListPre = false;
    NestTag.clear();
    Depth = 0;
    NewDepth = 0;
    pluginQueries_.Reset();
}

void TWikiDocumentConverter::Convert(const std::string& fileName, std::string_view text) {
    // Broken double-byte pairs become "?" so that no rule sees a line end or a mark
    // swallowed into a character.
    ConvertDisplay(fileName, EucJpToRepairedShiftJis(text));
}

void TWikiDocumentConverter::ConvertTaken(const std::string& fileName, std::string text) {
    std::string display = EucJpToRepairedShiftJis(text);
    std::string().swap(text);
    ConvertDisplay(fileName, std::move(display));
}

void TWikiDocumentConverter::ConvertDisplay(const std::string& fileName, std::string display) {
    ResetConversionState();
    FileName = fileName;
    Html = ConvertPageBlocks(display);
    if (pluginQueries_.HeadingsAsked()) {
        // A plug-in wanted the page's headings (a contents block) before all of them were
        // met: the page is converted once more with the whole list known. Conversion is
        // the same both times, so the headings and their anchors are too.
        std::vector<TPluginHeading> headings = pluginQueries_.HeadingsSoFar();
        ResetConversionState();
        pluginQueries_.SetKnownHeadings(std::move(headings));
        Html = ConvertBlocks(display);
    }
    Title = DecodeFileName(FileName, Options.Utf8FileNames);
}

// --- Slots ----------------------------------------------------------------------------------

void TWikiDocumentConverter::AddFootnote(const std::string& Text) {
    Footnotes.Add(TFootnote{Text, Footnotes.NextNumber()});
}

std::string TWikiDocumentConverter::FootnotesHtml() {
    if (Footnotes.Count() == 0) return {};
    std::string prefix = InnerLinkPrefix();
    std::string html = "<div class=\"footnote\">";
    for (int i = 0; i < Footnotes.Count(); ++i) {
        const TFootnote& note = Footnotes.Items(i);
        int n = note.Number;
        html += "<span class=\"footnote\">";
        html += Format("<a class=\"footnote\" href=\"%s#fn%d\" name=\"f%d\">*%d</a>",
                       prefix.c_str(), n, n, n);
        html += "</span><span class=\"footnote_caption\">";
        html += note.Text;
        html += "</span><br>";
        html += CRLF;
    }
    html += "</div>";
    return html;
}

std::string TWikiDocumentConverter::FootnoteRef(const std::string& Text) {
    const std::string n = std::to_string(Footnotes.NextNumber());
    return "<span class=\"footnote\"><a class=\"footnote\" title=\"" + StripTags(Text) +
           "\" href=\"" + InnerLinkPrefix() + "#f" + n + "\" name=\"fn" + n + "\">*" + n +
           "</a></span>";
}

std::string TWikiDocumentConverter::LinkPattern() {
    return Options.LooseWikiName ? kLooseLinkPattern : kStrictLinkPattern;
}

std::string TWikiDocumentConverter::ConvertLinks(std::string_view Text) {
    const std::string pattern = LinkPattern();
    const TLinkRule* rule = KnownLinkRule(pattern);
    if (!rule)
        return ScanReplace(pattern, Text, [this](const RegexMatch& m, std::string& out) {
            out += ConvertLink(m.Group(1));
        });

    // No link candidate spans a line (none of the forms matches a line end, and a line start
    // is a word boundary either way), so each line is scanned on its own. Each match ends
    // where the next search's subject starts, as in the scan loop.
    std::string out;
    out.reserve(Text.size() + Text.size() / 8);
    std::size_t lineStart = 0;
    while (lineStart <= Text.size()) {
        std::size_t newline = Text.find('\n', lineStart);
        std::size_t lineEnd = newline == std::string_view::npos ? Text.size() : newline;
        std::string_view line = Text.substr(lineStart, lineEnd - lineStart);
        // A bracketed name ends at a "]]": after the last one none can start, and no "[["
        // there is followed to the line end.
        const std::size_t close = line.rfind("]]");
        bool brackets = close != std::string_view::npos;
        std::size_t from = 0;
        for (std::size_t i = 0; i < line.size();) {
            std::size_t end = std::string_view::npos;
            if (MayStartLink(line[i], *rule)) {
                if (brackets && i + 3 > close) brackets = false;
                end = LinkEndAt(line, newline == std::string_view::npos, from, i, *rule, brackets);
            }
            if (end == std::string_view::npos) {
                i += CharLength(line, i);
                continue;
            }
            out.append(line.substr(from, i - from));
            out += ConvertLink(line.substr(i, end - i));
            from = i = end;
        }
        out.append(line.substr(from));
        if (newline == std::string_view::npos) break;
        out += '\n';
        lineStart = newline + 1;
    }
    return out;
}

std::string TWikiDocumentConverter::ConvertInline(std::string_view) {
    Abstract("ConvertInline");
}
std::string TWikiDocumentConverter::ConvertInlinePlain(std::string_view) {
    Abstract("ConvertInlinePlain");
}
std::string TWikiDocumentConverter::ConvertLink(std::string_view) {
    Abstract("ConvertLink");
}
std::string TWikiDocumentConverter::ConvertInlinePlugin(std::string_view) {
    Abstract("ConvertInlinePlugin");
}
std::string TWikiDocumentConverter::ConvertTableRow(std::string_view) {
    Abstract("ConvertTableRow");
}
std::string TWikiDocumentConverter::ConvertDefinition(std::string_view, std::string_view) {
    Abstract("ConvertDefinition");
}
std::string TWikiDocumentConverter::ConvertStrong(std::string_view) {
    Abstract("ConvertStrong");
}
std::string TWikiDocumentConverter::ConvertDeleted(std::string_view) {
    Abstract("ConvertDeleted");
}
std::string TWikiDocumentConverter::ConvertFootnotes(std::string_view) {
    Abstract("ConvertFootnotes");
}
std::string TWikiDocumentConverter::ConvertEmphasis(std::string_view) {
    Abstract("ConvertEmphasis");
}

// --- Blocks ---------------------------------------------------------------------------------

std::string TWikiDocumentConverter::OpenBlock(const std::string& Tag, std::string& CurrentTag,
                                              std::string_view ClassName,
                                              std::string_view Attributes) {
    std::string attributes;
    if (!ClassName.empty()) attributes += " class=\"" + std::string(ClassName) + "\"";
    if (!Attributes.empty()) attributes += " " + std::string(Attributes);
    std::string opening = "<" + Tag + attributes + ">" + std::string(CRLF);

    if (Tag == NestTag) {
        // A deeper level opens only the levels that are missing.
        std::string html;
        for (int i = Depth; i < NewDepth; ++i)
            html += opening;
        CurrentTag = Tag;
        return html;
    }
    if (Tag == CurrentTag) return {}; // the block goes on
    CurrentTag = Tag;
    return opening;
}

std::string TWikiDocumentConverter::CloseBlock(const std::string& NewTag, std::string& CurrentTag) {
    std::string html;
    if (InListPre) {
        html += "</pre></li>";
        html += CRLF;
        InListPre = false;
    }
    if (CurrentTag.empty()) return html;
    if (NewTag != NestTag) {
        if (CurrentTag == NewTag) return html;
    } else if (NewDepth > 0 && NewDepth == Depth) {
        return html;
    }
    // A shallower level closes only the surplus; any other block closes the whole nest.
    int count = 1;
    if (CurrentTag == NestTag) {
        int base = NewTag == NestTag ? NewDepth : 0;
        count = Depth - base;
        if (NewTag != NestTag) Depth = 0;
    }
    for (int i = 0; i < count; ++i)
        html += "</" + CurrentTag + ">" + std::string(CRLF);
    CurrentTag.clear();
    return html;
}

std::string TWikiDocumentConverter::ConvertCsvRow(std::string_view Line) {
    // Each cell starts with a comma and may be quoted ("a,b" keeps its comma; "" is a
    // quote). A cell "==" widens the cell to its left by one column. A blank before the
    // text aligns right, blanks on both sides centre.
    std::string html = "<tr>";
    html += CRLF;
    bool pending = false;
    std::string pendingText;
    std::string pendingAlign;
    int span = 1;
    auto emit = [&] {
        std::string spanText =
            span == 1 ? std::string() : " colspan=\"" + std::to_string(span) + "\"";
        html += "  <td" + pendingAlign + spanText + ">" + ConvertInline(pendingText) + "</td>";
        html += CRLF;
    };

    std::size_t pos = 0;
    while (pos < Line.size()) {
        std::optional<TCsvCell> cell = NextCsvCell(Line, pos);
        if (!cell) break;
        // Resume after the cell. (Text between a closing quote and the next comma is
        // dropped rather than letting the same cell be found again.)
        pos = cell->End;
        const std::string& raw = cell->Text;
        std::string_view trimmed = Trim(raw);
        if (trimmed == "==") {
            ++span;
            continue;
        }
        if (pending) {
            emit();
            span = 1;
        }
        pending = true;
        pendingText = std::string(trimmed);
        if (raw.empty() || raw.front() != ' ')
            pendingAlign.clear();
        else if (raw.back() != ' ')
            pendingAlign = " class=\"right\"";
        else
            pendingAlign = " class=\"center\"";
    }
    if (pending && !pendingText.empty()) {
        emit();
    } else {
        html += "<td></td>";
        html += CRLF;
    }
    // Text after the last cell (after a closing quote) stays, escaped like all page text.
    if (pos < Line.size()) html += EscapeHtml(Line.substr(pos));
    html += "</tr>";
    html += CRLF;
    return html;
}

// --- Anchors, links, contents ---------------------------------------------------------------

std::string TWikiDocumentConverter::NewAnchorId() {
    return (Options.MenuBarMode ? "mi" : "i") + std::to_string(AnchorCounter++);
}

std::string TWikiDocumentConverter::PageFileOf(std::string_view PageName) const {
    return EncodePageName(PageName, Options.Utf8FileNames) + Options.Extension;
}

std::string TWikiDocumentConverter::PageFolder() const {
    std::size_t slash = FileName.find_last_of('/');
    return slash == std::string::npos ? std::string() : FileName.substr(0, slash + 1);
}

const std::string& TWikiDocumentConverter::CurrentFolder() const {
    if (folderOf_ != FileName || folder_.empty()) {
        folderOf_ = FileName;
        folder_ = PageFolder();
    }
    return folder_;
}

std::string TWikiDocumentConverter::MakePageLink(const std::string& LinkFile, std::string_view Text,
                                                 bool Bracketed) {
    const std::string& folder = CurrentFolder();
    const bool exists = Options.Pages ? Options.Pages->PageExists(folder, LinkFile)
                                      : PageFileExists(folder, LinkFile);
    if (exists && UsesInnerLinks()) {
        std::string html;
        html.reserve(LinkFile.size() + Text.size() + 24);
        html += "<a href=\"WikiLink:";
        html += LinkFile;
        html += "\">";
        html += Text;
        html += "</a>";
        return html;
    }
    std::string text(Text);
    if (exists) {
        if (Options.ExportHref)
            return "<a href=\"" + EscapeAttribute(Options.ExportHref(LinkFile)) + "\">" + text +
                   "</a>";
        std::size_t dot = LinkFile.rfind('.');
        std::string html =
            (dot == std::string::npos ? LinkFile : LinkFile.substr(0, dot)) + ".html";
        return "<a href=\"" + html + "\">" + text + "</a>";
    }
    if (Options.LinkMode == TLinkMode::Export) return text;
    if (Bracketed || Options.LinkMode == TLinkMode::Browse)
        return "<span class=\"newlink-name\">" + text + "</span><a href=\"NewLink:" + LinkFile +
               "\" class=\"newlink\">?</a>";
    return text;
}

std::string TWikiDocumentConverter::ContentsHtml(bool Utf8Titles) const {
    std::string html;
    std::string prefix = InnerLinkPrefix();
    int current = 0;
    for (int i = 0; i < Contents.Count(); ++i) {
        const TContents& entry = Contents.Item(i);
        int level = entry.level;
        int next = i + 1 < Contents.Count() ? Contents.Item(i + 1).level : 0;
        if (level > current) {
            for (int k = current + 1; k <= level; ++k) {
                html += CRLF;
                html += Format("<ul class=\"toc-%d\">", k);
                html += CRLF;
                html += "<li>";
            }
        } else {
            html += "<li>";
        }
        std::string title = Utf8Titles ? ShiftJisToUtf8(entry.title) : entry.title;
        html += "<a href=\"" + prefix + "#" + EscapeHtml(entry.anchor) + "\">" + EscapeHtml(title) +
                "</a>";
        if (level >= next) {
            html += "</li>";
            html += CRLF;
        }
        for (int m = level; m > next; --m) {
            html += "</ul>";
            html += CRLF;
            if (m > 1) {
                html += "</li>";
                html += CRLF;
            }
        }
        current = level;
    }
    if (html.empty()) return html;
    return "<div class=\"toc\">" + html + "</div>" + std::string(CRLF);
}

// --- Plug-ins -------------------------------------------------------------------------------

void TWikiDocumentConverter::RequirePlugins() const {
    if (!Options.Plugins) throw EConvertError("Do not create instance of plugin.");
}

const TPlugin* TWikiDocumentConverter::FindPlugin(std::string_view Name, bool CaseSensitive) const {
    RequirePlugins();
    return Options.Plugins->Find(Name, CaseSensitive);
}

std::string TWikiDocumentConverter::CallPlugin(const TPlugin& Plugin, std::string_view Args) {
    PluginCallArgs args;
    args.EscapedArguments = EscapeHtml(Args);
    args.Arguments = std::string(Args);
    std::size_t slash = FileName.find_last_of('/');
    args.PageFileName = slash == std::string::npos ? FileName : FileName.substr(slash + 1);
    if (IsPageFileName(args.PageFileName, Options.Extension))
        args.PageName = DecodeFileName(FileName, Options.Utf8FileNames);
    args.PageFolder = PageFolder();
    args.TemplateFolder = Options.TemplateFolder;
    if (args.TemplateFolder.empty() || args.TemplateFolder.back() != '/')
        args.TemplateFolder += '/';
    pluginQueries_.BeginCall();
    return CallPluginInline(Plugin, args, &pluginQueries_);
}

// --- Text helpers ---------------------------------------------------------------------------

std::string TWikiDocumentConverter::EscapeHtml(std::string_view Text) {
    // The four characters are below 0x40, so they are never the trail byte of a
    // double-byte character and a byte-wise pass is safe. The text between them is copied
    // in runs.
    static constexpr auto kEscaped = [] {
        std::array<bool, 256> escaped{};
        for (unsigned char c : {'&', '<', '>', '"'})
            escaped[c] = true;
        return escaped;
    }();
    std::string out;
    out.reserve(Text.size() + Text.size() / 16);
    std::size_t copied = 0;
    for (std::size_t i = 0; i < Text.size(); ++i) {
        if (!kEscaped[static_cast<unsigned char>(Text[i])]) continue;
        std::string_view reference;
        switch (Text[i]) {
        case '&':
            reference = "&amp;";
            break;
        case '<':
            reference = "&lt;";
            break;
        case '>':
            reference = "&gt;";
            break;
        case '"':
            reference = "&quot;";
            break;
        default:
            continue;
        }
        out.append(Text, copied, i - copied);
        out += reference;
        copied = i + 1;
    }
    out.append(Text, copied);
    return out;
}

namespace {

bool IsHexDigit(char c) {
    return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Length of the character reference at Text[at] ("&amp;", "&#106;", "&#x6A;"), or 0.
std::size_t CharacterReferenceLength(std::string_view Text, std::size_t at) {
    std::size_t i = at + 1;
    if (i < Text.size() && Text[i] == '#') {
        ++i;
        bool hex = i < Text.size() && (Text[i] == 'x' || Text[i] == 'X');
        if (hex) ++i;
        std::size_t digits = i;
        while (i < Text.size() && (hex ? IsHexDigit(Text[i]) : IsAsciiDigit(Text[i])))
            ++i;
        if (i == digits) return 0;
    } else {
        if (i >= Text.size() || !IsAsciiAlpha(Text[i])) return 0;
        while (i < Text.size() && (IsAsciiAlpha(Text[i]) || IsAsciiDigit(Text[i])))
            ++i;
    }
    return i < Text.size() && Text[i] == ';' ? i + 1 - at : 0;
}

// The attribute value as a browser decodes it, as far as a scheme can hide in it: numeric
// references (with or without their ";", as browsers accept them) and the named ones that
// stand for a colon or a blank. Decoded characters above 0x7F only matter in that they are
// no scheme character, so they become 0x7F.
std::string DecodeForScheme(std::string_view Value) {
    std::string out;
    for (std::size_t i = 0; i < Value.size();) {
        if (Value[i] != '&') {
            out += Value[i++];
            continue;
        }
        std::size_t j = i + 1;
        if (j < Value.size() && Value[j] == '#') {
            ++j;
            bool hex = j < Value.size() && (Value[j] == 'x' || Value[j] == 'X');
            if (hex) ++j;
            std::size_t digits = j;
            unsigned long code = 0;
            while (j < Value.size() && (hex ? IsHexDigit(Value[j]) : IsAsciiDigit(Value[j]))) {
                char c = Value[j++];
                unsigned d = IsAsciiDigit(c) ? unsigned(c - '0') : unsigned((c | 0x20) - 'a' + 10);
                if (code < 0x110000) code = code * (hex ? 16 : 10) + d;
            }
            if (j > digits) {
                if (j < Value.size() && Value[j] == ';') ++j;
                out += code < 0x80 ? static_cast<char>(code) : '\x7F';
                i = j;
                continue;
            }
        } else if (std::size_t len = CharacterReferenceLength(Value, i)) {
            std::string_view name = Value.substr(i + 1, len - 2);
            char decoded = name == "colon"     ? ':'
                           : name == "Tab"     ? '\t'
                           : name == "NewLine" ? '\n'
                           : name == "amp"     ? '&'
                           : name == "sol"     ? '/'
                           : name == "nbsp"    ? '\x7F'
                                               : '\0';
            if (decoded) {
                out += decoded;
                i += len;
                continue;
            }
        }
        out += Value[i++];
    }
    return out;
}

} // namespace

std::string TWikiDocumentConverter::EscapeAttribute(std::string_view Value) {
    // As in EscapeHtml, every byte handled is below 0x40 and never the trail byte of a
    // double-byte character.
    std::string out;
    out.reserve(Value.size() + 8);
    for (std::size_t i = 0; i < Value.size(); ++i) {
        char c = Value[i];
        switch (c) {
        case '&':
            out += CharacterReferenceLength(Value, i) ? "&" : "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

bool TWikiDocumentConverter::IsSafeAddress(std::string_view Address, bool Image) {
    // A scheme of letters, digits, "+", "-" and "." before the first colon, with no
    // reference, blank or control byte in front of it, reads the same decoded: only
    // "javascript", "vbscript" and "data" need the long way.
    if (std::size_t colon = Address.find(':');
        colon != std::string_view::npos && colon > 0 && IsAsciiAlpha(Address[0])) {
        bool plainScheme = true;
        for (std::size_t i = 1; i < colon && plainScheme; ++i) {
            char c = Address[i];
            plainScheme = IsAsciiAlpha(c) || IsAsciiDigit(c) || c == '+' || c == '-' || c == '.';
        }
        if (plainScheme) {
            std::string scheme(Address.substr(0, colon));
            for (char& c : scheme)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            if (scheme != "javascript" && scheme != "vbscript" && scheme != "data") return true;
        }
    }
    std::string decoded = DecodeForScheme(Address);
    std::string plain;
    for (char c : decoded) {
        auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F) continue;
        plain += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    // A scheme is a letter and then letters, digits, "+", "-" or "." up to the first colon;
    // anything else before the colon makes the address a relative one.
    std::size_t colon = plain.find(':');
    if (colon == std::string::npos || colon == 0 || !IsAsciiAlpha(plain[0])) return true;
    for (std::size_t i = 1; i < colon; ++i) {
        char c = plain[i];
        if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != '+' && c != '-' && c != '.') return true;
    }
    std::string_view scheme = std::string_view(plain).substr(0, colon);
    if (scheme == "javascript" || scheme == "vbscript") return false;
    if (scheme != "data") return true;
    if (!Image) return false;
    std::string_view rest = std::string_view(plain).substr(colon + 1);
    for (std::string_view type : {"image/png", "image/gif", "image/jpeg", "image/webp"})
        if (rest.starts_with(type) && rest.size() > type.size() &&
            (rest[type.size()] == ';' || rest[type.size()] == ','))
            return true;
    return false;
}

std::optional<std::string> TWikiDocumentConverter::AttributeAddress(std::string_view Address,
                                                                    bool Image) {
    std::string value = EscapeAttribute(Address);
    if (!IsSafeAddress(value, Image)) return std::nullopt;
    return value;
}

std::string TWikiDocumentConverter::AddressLink(std::string_view Url, bool ShowImage) {
    std::optional<std::string> href = AttributeAddress(Url);
    if (!href) return std::string(Url);
    if (ShowImage && IsImageFile(Url))
        return "<a href=\"" + *href + "\"><img src=\"" + *href + "\"></a>";
    return "<a href=\"" + *href + "\">" + std::string(Url) + "</a>";
}

std::string TWikiDocumentConverter::ReplaceAll(std::string_view Text, std::string_view What,
                                               std::string_view With) {
    std::string pattern = "m/(" + std::string(What) + ")/k";
    return ScanReplace(pattern, Text, [With](const RegexMatch&, std::string& out) { out += With; });
}

std::string TWikiDocumentConverter::StripTags(std::string_view Text) {
    // A tag never spans a line, and none starts after the last ">" of its line: that part
    // is kept as it is, so many "<" without a ">" after them cost one pass, not one each.
    std::string out;
    std::size_t lineStart = 0;
    while (lineStart <= Text.size()) {
        std::size_t newline = Text.find('\n', lineStart);
        std::size_t lineEnd = newline == std::string_view::npos ? Text.size() : newline;
        std::string_view line = Text.substr(lineStart, lineEnd - lineStart);
        std::size_t close = line.rfind('>');
        if (close != std::string_view::npos) {
            out += ScanReplace(kTagPattern, line.substr(0, close + 1),
                               [](const RegexMatch&, std::string&) {});
            out.append(line.substr(close + 1));
        } else {
            out.append(line);
        }
        if (newline == std::string_view::npos) break;
        out += '\n';
        lineStart = newline + 1;
    }
    return out;
}

bool TWikiDocumentConverter::IsImageFile(std::string_view Url) {
    std::size_t dot = Url.rfind('.');
    if (dot == std::string_view::npos) return false;
    if (Url.find_first_of("/\\:", dot) != std::string_view::npos) return false;
    std::string ext(Url.substr(dot));
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext == ".gif" || ext == ".jpeg" || ext == ".jpg" || ext == ".png";
}

bool TWikiDocumentConverter::IsUrl(std::string_view Text) {
    // The rule "m/^(http|https|ftp|mailto|file):/k", as a comparison of the text's start.
    for (std::string_view scheme : {"http:", "https:", "ftp:", "mailto:", "file:"})
        if (Text.starts_with(scheme)) return true;
    return false;
}

} // namespace tarnel
