#include "conversion/UWikiDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"
#include "text/UPageName.h"
#include "text/jconvert.h"

#include <algorithm>
#include <cstdio>

namespace tarnel {

namespace {

// An address is a scheme that does not follow an ASCII letter or digit (so "Profile:" is
// no address), its colon and at least one address character. Addresses end at a blank, a
// parenthesis, an angle bracket, a control byte or any byte from 0x7F up (so a Japanese
// character right after an address ends it). A WikiName is two
// or more capitalised words; the loose form is any run of letters with two capitals.
const char* const kStrictLinkPattern = "m/"
                                       "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-"
                                       "\\x20()<>\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\])|"
                                       "(\\b([A-Z][a-z]+([A-Z][a-z]+)+)\\b))/k";
const char* const kLooseLinkPattern = "m/"
                                      "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-"
                                      "\\x20()<>\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\])|"
                                      "(\\b([A-Z]([A-Za-z])*[A-Z]([A-Za-z])*)\\b))/k";
// The same two without the bracketed form, for the text after the last "]]", where no
// bracketed name can start: there the lazy "(.+?)" would otherwise run to the end of the
// line from every "[[", which is quadratic on a line of many unclosed brackets.
const char* const kStrictLinkPatternNoBrackets =
    "m/(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>\\x7F-\\xFF])+)|"
    "(\\b([A-Z][a-z]+([A-Z][a-z]+)+)\\b))/k";
const char* const kLooseLinkPatternNoBrackets =
    "m/(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>\\x7F-\\xFF])+)|"
    "(\\b([A-Z]([A-Za-z])*[A-Z]([A-Za-z])*)\\b))/k";
// Notations without WikiNames (Hatena, livedoor Wiki) link addresses and bracketed names.
const char* const kAddressLinkPattern = "m/"
                                        "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-"
                                        "\\x20()<>\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\]))/k";
const char* const kAddressLinkPatternNoBrackets =
    "m/(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>\\x7F-\\xFF])+))/k";

// The known link patterns as handles, with their form without brackets and what can start
// a match of them.
struct TLinkRule {
    const char* source;
    TPattern whole;
    TPattern noBrackets;
    bool wikiNames;
};
const TLinkRule kLinkRules[] = {
    {kStrictLinkPattern, TPattern(kStrictLinkPattern), TPattern(kStrictLinkPatternNoBrackets),
     true},
    {kLooseLinkPattern, TPattern(kLooseLinkPattern), TPattern(kLooseLinkPatternNoBrackets), true},
    {kAddressLinkPattern, TPattern(kAddressLinkPattern), TPattern(kAddressLinkPatternNoBrackets),
     false},
};

// The rule of a known link pattern; nullptr for any other pattern.
const TLinkRule* KnownLinkRule(const std::string& pattern) {
    for (const TLinkRule& rule : kLinkRules)
        if (pattern == rule.source) return &rule;
    return nullptr;
}

bool IsAsciiWordByte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// Whether a match of a link pattern can start at text[i], a character boundary whose
// previous character is a word character when `afterWord`: an address starts with its
// scheme and a colon, a bracketed name with "[[", a WikiName with a capital at a word
// boundary. Anything else is ordinary text, where the matcher is not started at all.
bool MayStartLink(std::string_view text, std::size_t i, bool afterWord, bool brackets,
                  bool wikiNames) {
    std::string_view rest = text.substr(i);
    switch (text[i]) {
    case 'h':
        return rest.starts_with("http:") || rest.starts_with("https:");
    case 'f':
        return rest.starts_with("ftp:") || rest.starts_with("file:");
    case 'm':
        return rest.starts_with("mailto:");
    case '[':
        return brackets && rest.starts_with("[[");
    default:
        return wikiNames && !afterWord && text[i] >= 'A' && text[i] <= 'Z';
    }
}

// The leftmost match of a link pattern in text[from..], the subject starting at `from`, as
// Search(pattern, text, from) finds it; the matcher runs only where MayStartLink allows.
RegexMatch SearchLink(const TPattern& pattern, std::string_view text, std::size_t from,
                      bool brackets, bool wikiNames) {
    bool afterWord = false;
    for (std::size_t i = from; i < text.size();) {
        if (MayStartLink(text, i, afterWord, brackets, wikiNames)) {
            RegexMatch m = MatchAt(pattern, text, from, i);
            if (m.Found()) return m;
        }
        std::size_t n = CharLength(text, i);
        afterWord = n == 1 && IsAsciiWordByte(text[i]);
        i += n;
    }
    return {};
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
}

void TWikiDocumentConverter::Convert(const std::string& fileName, std::string_view text) {
    ResetConversionState();
    FileName = fileName;
    // Broken double-byte pairs become "?" so that no rule sees a line end or a mark
    // swallowed into a character.
    std::string display = EucJpToShiftJis(text);
    RepairShiftJisInPlace(display);
    Html = ConvertBlocks(display);
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
    auto link = [this](const RegexMatch& m, std::string& out) { out += ConvertLink(m.Group(1)); };
    if (!rule) return ScanReplace(pattern, Text, link);

    // No link candidate spans a line (none of the forms matches a line end, and a line start
    // is a word boundary either way), so each line is scanned on its own.
    std::string out;
    out.reserve(Text.size() + Text.size() / 8);
    std::size_t lineStart = 0;
    while (lineStart <= Text.size()) {
        std::size_t newline = Text.find('\n', lineStart);
        std::size_t lineEnd = newline == std::string_view::npos ? Text.size() : newline;
        std::string_view line = Text.substr(lineStart, lineEnd - lineStart);
        std::size_t close = line.rfind("]]");
        std::size_t pos = 0;
        if (close != std::string_view::npos) {
            // Up to the last "]]" the whole pattern runs on the line cut after that "]]":
            // a bracketed name or a WikiName found there is the one the whole line gives,
            // and an address that reaches the cut is matched again on the whole line.
            std::string_view head = line.substr(0, close + 2);
            while (pos < head.size()) {
                RegexMatch m = SearchLink(rule->whole, head, pos, true, rule->wikiNames);
                if (!m.Found()) break;
                if (m.End() == head.size() && m.Matched(2))
                    m = SearchLink(rule->whole, line, m.Position(), true, rule->wikiNames);
                out.append(line.substr(pos, m.Position() - pos));
                link(m, out);
                pos = m.End();
            }
        }
        // After the last "]]" no bracketed name can start; leaving that form out keeps the
        // lazy "(.+?)" from running to the line end from every "[[" there. (No form of a
        // link matches an empty text, so the scan always moves on.)
        std::string_view tail = line.substr(pos);
        std::size_t at = 0;
        while (at < tail.size()) {
            RegexMatch m = SearchLink(rule->noBrackets, tail, at, false, rule->wikiNames);
            if (!m.Found()) break;
            out.append(tail.substr(at, m.Position() - at));
            link(m, out);
            at = m.End();
        }
        out.append(tail.substr(std::min(at, tail.size())));
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
        RegexMatch m = Search("m/,\"([^\"]*((\"\")+[^\"]*)*)\"|,([^,]*)/k", Line, pos);
        if (!m.Found()) break;
        // Resume after the match. (Text between a closing quote and the next comma is
        // dropped rather than letting the same cell be found again.)
        pos = m.End();
        std::string raw;
        if (!m.Group(1).empty()) {
            raw = ReplaceAll(m.Group(1), "\"\"", "\"");
        } else {
            raw = std::string(m.Group(4));
        }
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

std::string TWikiDocumentConverter::MakePageLink(const std::string& LinkFile, std::string_view Text,
                                                 bool Bracketed) {
    std::string text(Text);
    const bool exists = Options.Pages ? Options.Pages->PageExists(PageFolder(), LinkFile)
                                      : PageFileExists(PageFolder(), LinkFile);
    if (exists) {
        if (UsesInnerLinks()) return "<a href=\"WikiLink:" + LinkFile + "\">" + text + "</a>";
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
    return CallPluginInline(Plugin, args);
}

// --- Text helpers ---------------------------------------------------------------------------

std::string TWikiDocumentConverter::EscapeHtml(std::string_view Text) {
    // The four characters are below 0x40, so they are never the trail byte of a
    // double-byte character and a byte-wise pass is safe.
    std::string out;
    out.reserve(Text.size() + Text.size() / 16);
    for (char c : Text) {
        switch (c) {
        case '&':
            out += "&amp;";
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
        default:
            out += c;
        }
    }
    return out;
}

namespace {

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

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
            out += ScanReplace("m/<.*?>/k", line.substr(0, close + 1),
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
