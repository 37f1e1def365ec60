// Hatena notation.
//
// Raw HTML in the page passes through untouched: nothing is escaped except the lines of
// the hard verbatim and ascii-art blocks. Every plain line is a paragraph of its own.
//
// Lines inside an open block come first:
//   ascii-art block    "||<" (or text ending in it) closes it; other lines are escaped
//                      and end with "<br>"
//   hard verbatim      "||<" (or text ending in it) closes it; other lines are escaped
//   soft verbatim      "|<" (or text ending in it) closes the innermost one; any other
//                      line goes on through the block rules below
// Block rules, tried in this order:
//   "***", "**", "*"   headings (h4, h3, h2; contents levels 3, 2, 1)
//   ">>" ... "<<"      quotation; blocks inside it do not close it
//   ">|aa|" ... "||<"  ascii-art block
//   ">||" ... "||<"    hard verbatim block (text only)
//   ">|" ... "|<"      soft verbatim block (block and inline rules apply; may nest)
//   "|a|*b|"           table row; a cell starting with "*" is a header cell
//   ":term:text"       definition
//   "===="             horizontal rule
//   "-", "--", "---"   unordered list item, nested by depth
//   "+", "++", "+++"   ordered list item, nested by depth
//   empty line         closes the open block; each one right after another (or first in
//                      the page) adds a "<br>" line
//   other lines        a paragraph each; inside a soft verbatim block the line as it is
// At the end of the page every block still open is closed, then the footnotes follow.
//
// Inline rules, in this order:
//   <tag ...>          HTML tags are copied unchanged, the text between them goes on
//   [name:arguments]   plug-in call; a name no plug-in answers stays plain text
//   addresses, [[page]]  links (no WikiNames in this notation)
//   ((text))           footnote
#include "conversion/UHatenaDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"

#include <vector>

namespace tarnel {

namespace {

constexpr std::size_t npos = std::string_view::npos;

const TPattern kTagPattern("m/<.*?>/k");
const TPattern kPipeRowPattern("m/^\\|(.*)\\|$/k");
const TPattern kDefinitionPattern("m/^:(.*?):(.*)$/k");
const TPattern kInlineTagPattern("m/^(.*?)(<.*?>)/k");
const TPattern kBracketCallPattern("m/^(.*?)(\\[\\w+:.*?\\])/k");
const TPattern kCallPartsPattern("m/\\[(\\w+):(.*?)\\]/k");
const TPattern kFootnotePattern("m/^(.*?)\\(\\((.*?)\\)\\)/k");
const TPattern kCellPattern("m/([^|]*)\\|/k");

const char* const kLinkPattern = "m/"
                                 "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>"
                                 "\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\]))/k";

// Number of leading marks, at most three.
int MarkDepth(std::string_view line, char mark) {
    int depth = 0;
    while (depth < 3 && static_cast<std::size_t>(depth) < line.size() && line[depth] == mark)
        ++depth;
    return depth;
}

bool EndsWith(std::string_view text, std::string_view what) {
    return EndOfLast(text, what) == text.size();
}

void Copy(std::string_view plain, std::string& out) {
    out += plain;
}

// StripTags with the same bound: no tag starts after the last ">".
std::string StripTagsUpTo(std::string_view text) {
    std::size_t bound = EndOfLast(text, ">");
    if (bound == npos) return std::string(text);
    std::string out =
        ScanReplace(kTagPattern, text.substr(0, bound), [](const RegexMatch&, std::string&) {});
    out += text.substr(bound);
    return out;
}

// The open quotations and soft verbatim blocks, innermost last. "<<" and "|<" each close
// the innermost block of their kind, wherever it stands; the end of the page closes the
// rest from the inside out.
class TOpenBlocks {
public:
    void OpenQuote() { Open(quotes_, kQuote); }
    void OpenSoft() { Open(softs_, kSoft); }
    void CloseQuote() { Close(quotes_); }
    void CloseSoft() { Close(softs_); }
    bool InSoft() const { return !softs_.empty(); }
    std::string CloseAll() {
        std::string html;
        for (auto it = kinds_.rbegin(); it != kinds_.rend(); ++it) {
            if (*it == kSoft)
                html += "</pre>";
            else if (*it == kQuote)
                html += "</blockquote>";
            else
                continue;
            html += CRLF;
        }
        return html;
    }

private:
    static constexpr char kQuote = 'q';
    static constexpr char kSoft = 's';
    void Open(std::vector<std::size_t>& kind, char mark) {
        kind.push_back(kinds_.size());
        kinds_.push_back(mark);
    }
    void Close(std::vector<std::size_t>& kind) {
        if (kind.empty()) return;
        kinds_[kind.back()] = 0; // closed: skipped at the end
        kind.pop_back();
    }
    std::vector<char> kinds_;
    std::vector<std::size_t> quotes_;
    std::vector<std::size_t> softs_;
};

} // namespace

std::string THatenaDocumentConverter::ConvertBlocks(std::string_view Text) {
    std::string html;
    html.reserve(Text.size() * 2); // grows fewer times on a big page
    std::string current;
    bool asciiArt = false;
    bool hard = false;
    TOpenBlocks open;
    std::size_t lastEmpty = npos; // index of the last empty line; npos stands for -1

    std::vector<std::string_view> lines = SplitLines(Text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        NewDepth = 0;

        if (asciiArt || hard) {
            // Text written right before "||<" is the block's last line, copied as it is.
            if (line != "||<" && EndsWith(line, "||<")) {
                html += line.substr(0, line.size() - 3);
                line = "||<";
            }
            if (line == "||<") {
                html += CloseBlock("", current);
                asciiArt = hard = false;
            } else {
                html += EscapeHtml(line);
                if (asciiArt) html += "<br>";
                html += CRLF;
            }
            continue;
        }
        if (open.InSoft()) {
            if (line != "|<" && EndsWith(line, "|<")) {
                html += line.substr(0, line.size() - 2);
                line = "|<";
            }
            if (line == "|<") {
                html += CloseBlock("pre", current);
                html += "</pre>";
                html += CRLF;
                open.CloseSoft();
                continue;
            }
        }

        if (StartsWith(line, "*")) {
            int level = MarkDepth(line, '*');
            std::string_view text = line.substr(static_cast<std::size_t>(level));
            std::string tag = "h" + std::to_string(level + 1);
            html += CloseBlock("", current);
            std::string id = NewAnchorId();
            html +=
                "<" + tag + "><a name=\"" + id + "\">" + ConvertInline(text) + "</a></" + tag + ">";
            html += CRLF;
            Contents.Add(std::string(text), id, level);
        } else if (line == ">>") {
            html += CloseBlock("blockquote", current);
            html += OpenBlock("blockquote", current);
            current.clear(); // the quotation stays open until "<<"
            open.OpenQuote();
        } else if (line == "<<") {
            html += CloseBlock("blockquote", current);
            html += "</blockquote>";
            html += CRLF;
            open.CloseQuote();
        } else if (line == ">|aa|") {
            html += CloseBlock("div", current);
            html += OpenBlock("div", current, "ascii-art");
            asciiArt = true;
        } else if (line == ">||") {
            html += CloseBlock("pre", current);
            html += OpenBlock("pre", current, "verbatim-hard");
            hard = true;
        } else if (line == ">|") {
            html += CloseBlock("pre", current);
            html += OpenBlock("pre", current, "verbatim-soft");
            current.clear(); // the block stays open until "|<"
            open.OpenSoft();
        } else if (Search(kPipeRowPattern, line).Found()) {
            html += CloseBlock("table", current);
            html += OpenBlock("table", current);
            html += ConvertTableRow(line);
        } else if (RegexMatch m = Search(kDefinitionPattern, line); m.Found()) {
            html += CloseBlock("dl", current);
            html += OpenBlock("dl", current);
            html += ConvertDefinition(m.Group(1), m.Group(2));
        } else if (StartsWith(line, "====")) {
            html += CloseBlock("hr", current);
            html += "<hr>";
            html += CRLF;
        } else if (StartsWith(line, "-") || StartsWith(line, "+")) {
            std::string tag = line[0] == '-' ? "ul" : "ol";
            int depth = MarkDepth(line, line[0]);
            NewDepth = depth;
            html += CloseBlock(tag, current);
            NestTag = tag;
            html += OpenBlock(tag, current, "list" + std::to_string(depth));
            html +=
                "  <li>" + ConvertInline(line.substr(static_cast<std::size_t>(depth))) + "</li>";
            html += CRLF;
            Depth = depth;
        } else if (line.empty()) {
            html += CloseBlock("", current);
            if (i == lastEmpty + 1) { // also true for an empty first line
                html += "<br>";
                html += CRLF;
            }
            lastEmpty = i;
        } else if (!open.InSoft()) {
            html += CloseBlock("", current);
            html += OpenBlock("p", current, "hatena");
            html += ConvertInline(line);
        } else {
            html += CloseBlock("", current);
            html += ConvertInline(line);
            html += CRLF;
        }
    }
    html += CloseBlock("", current);
    html += open.CloseAll();
    html += FootnotesHtml();
    return html;
}

std::string THatenaDocumentConverter::ConvertInline(std::string_view Text) {
    // Tags and their attributes are never converted.
    return ScanUpTo(
        kInlineTagPattern, Text, EndOfLast(Text, ">"),
        [this](const RegexMatch& m, std::string& out) {
            out += ConvertBracketCalls(m.Group(1));
            out += m.Group(2);
        },
        [this](std::string_view plain, std::string& out) { out += ConvertBracketCalls(plain); });
}

std::string THatenaDocumentConverter::ConvertBracketCalls(std::string_view Text) {
    return ScanUpTo(
        kBracketCallPattern, Text, EndOfLast(Text, "]"),
        [this](const RegexMatch& m, std::string& out) {
            out += ConvertInlinePlain(m.Group(1));
            out += ConvertInlinePlugin(m.Group(2));
        },
        [this](std::string_view plain, std::string& out) { out += ConvertInlinePlain(plain); });
}

std::string THatenaDocumentConverter::ConvertInlinePlain(std::string_view Text) {
    using T = THatenaDocumentConverter;
    return ApplyInlineRules<T>(*this, ConvertLinks(Text),
                               {
                                   {'(', &T::ConvertFootnotes}, // ((footnote))
                               });
}

std::string THatenaDocumentConverter::LinkPattern() {
    return kLinkPattern;
}

std::string THatenaDocumentConverter::ConvertLink(std::string_view Match) {
    std::string match(Match);
    if (IsUrl(match)) return AddressLink(match, false);
    bool bracketed = StartsWith(match, "[") && match.size() >= 4;
    if (!bracketed) return match;
    std::string name = match.substr(2, match.size() - 4);
    return MakePageLink(PageFileOf(name), name, true);
}

std::string THatenaDocumentConverter::ConvertInlinePlugin(std::string_view Call) {
    RegexMatch m = Search(kCallPartsPattern, Call);
    if (!m.Found()) return ConvertInlinePlain(Call);
    if (const TPlugin* plugin = FindPlugin(m.Group(1), false))
        return CallPlugin(*plugin, m.Group(2));
    return ConvertInlinePlain(Call);
}

std::string THatenaDocumentConverter::ConvertFootnotes(std::string_view Text) {
    // The footnote keeps its text as written (links already converted); the mark shows it
    // without tags as its title.
    return ScanUpTo(
        kFootnotePattern, Text, EndOfLast(Text, "))"),
        [this](const RegexMatch& m, std::string& out) {
            out += m.Group(1);
            std::string note(Trim(m.Group(2)));
            out += FootnoteRef(note);
            AddFootnote(note);
        },
        Copy);
}

std::string THatenaDocumentConverter::FootnoteRef(const std::string& Text) {
    // The mark of the framework, with the tag stripping bounded as the inline rules are.
    // Nothing in this notation is escaped, so a double quote in the note would end the
    // title attribute early; it is written as "&quot;" there.
    std::string title;
    for (char c : StripTagsUpTo(Text)) {
        if (c == '"')
            title += "&quot;";
        else
            title += c;
    }
    std::string n = std::to_string(Footnotes.NextNumber());
    return "<span class=\"footnote\"><a class=\"footnote\" title=\"" + title + "\" href=\"" +
           InnerLinkPrefix() + "#f" + n + "\" name=\"fn" + n + "\">*" + n + "</a></span>";
}

std::string THatenaDocumentConverter::ConvertTableRow(std::string_view Line) {
    // Cells end at each "|" after the leading one; the driver only passes lines that end
    // with "|", so nothing is left after the last cell.
    std::string html = "<tr>";
    html += CRLF;
    std::string_view cells = Line.empty() ? Line : Line.substr(1);
    html += ScanReplace(
        kCellPattern, cells,
        [this](const RegexMatch& m, std::string& out) {
            std::string_view cell = Trim(m.Group(1));
            if (StartsWith(cell, "*")) {
                out += "  <th>" + ConvertInline(cell.substr(1)) + "</th>";
            } else {
                out += "  <td>" + ConvertInline(cell) + "</td>";
            }
            out += CRLF;
        },
        [](std::string_view, std::string&) {});
    html += "</tr>";
    html += CRLF;
    return html;
}

std::string THatenaDocumentConverter::ConvertDefinition(std::string_view Term,
                                                        std::string_view Description) {
    std::string html = "  <dt>" + ConvertInline(Term) + "</dt>";
    html += CRLF;
    html += "  <dd>" + ConvertInline(Description) + "</dd>";
    html += CRLF;
    return html;
}

} // namespace tarnel
