// livedoor Wiki notation.
//
// Lines, in this order:
//   "//"                    comment: nothing
//   "***", "**", "*"        heading (h4, h3, h2; contents levels 3, 2, 1)
//   ">" or " "              quotation line (one level), ending in "<br>"
//   "=|AA|", "=|AAS|"       ascii-art block up to a line ending in "||=": every line
//                           escaped and broken with "<br>"
//   "=||", "=|BOX|"         verbatim block up to a line ending in "||=": every line escaped
//   ",a,b," ",a,b,h" ...    comma table: this line and every line right after it that is
//                           one too
//   "|a|b|" "|a|b|h" ...    pipe table, the same
//   ":term|description"     definition
//   "----"                  horizontal rule
//   "-", "--", "---"        bulleted list item, nested by depth, class list1 to list3
//   "+", "++", "+++"        numbered list item, the same
//   empty line              closes the open block
//   other lines             continue an open list (after its last item) or quotation;
//                           else each makes a paragraph of its own
// A block that is never closed by a "||=" line ends with the page.
//
// Inline, on each line: plug-in calls "&name(args){body}" are cut out first; the text
// around them is escaped, then links, then '''italic''', ''strong'', %%%inserted%%%,
// %%deleted%%, "~~" line breaks, __subscript__ and ((footnotes)), in that order. Links are
// addresses and bracketed names, "[[name]]", "[[alias>target]]" and "[[alias>>target]]".
//
// Tables: the widest row fixes the column count; a cell "^" joins the cell above
// (rowspan), a cell ">" joins the cell to its right (colspan); a cell may start with
// format prefixes left:, center:, right:, color(c):, bgcolor(c):, size(n):, and a "~"
// before the text of a row's first cell makes every cell of that row a header cell.
#include "conversion/ULivedoorWikiDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"

#include <optional>

namespace tarnel {

namespace {

// Addresses and bracketed names only.
const char* const kLinkPattern = "m/"
                                 "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>"
                                 "\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\]))/k";

const TPattern kCommaRowPattern("m/^,(.*),(h|f)?$/k");
const TPattern kPipeRowPattern("m/^\\|(.*)\\|(h|f)?$/k");
const char* const kCommaCellPattern = "m/([^,]*),/k";
const char* const kPipeCellPattern = "m/([^|]*)\\|/k";
const TPattern kDefinitionPattern("m/^:(.*?)\\|(.*)$/k");

const TPattern kEmphasisPattern("m/'''([^']*?)'''/k");
const TPattern kStrongPattern("m/''([^']*?)''/k");
const TPattern kInsertedPattern("m/%%%([^%]*?)%%%/k");
const TPattern kDeletedPattern("m/%%([^%]*?)%%/k");
const TPattern kBreakMarkPattern("m/(.*?)~~/k");
const TPattern kSubscriptPattern("m/__([^_]*?)__/k");

// Number of leading marks, at most three.
int MarkDepth(std::string_view line, char mark) {
    int depth = 0;
    while (depth < 3 && static_cast<std::size_t>(depth) < line.size() && line[depth] == mark)
        ++depth;
    return depth;
}

// End of the table that starts at lines[i]: the first line after it that is not a row of
// the same kind (comma or pipe). i itself when lines[i] is not a table row.
std::size_t TableEnd(const std::vector<std::string_view>& lines, std::size_t i) {
    if (lines[i].empty() || (lines[i][0] != ',' && lines[i][0] != '|')) return i;
    const char mark = lines[i][0];
    const TPattern& pattern = mark == ',' ? kCommaRowPattern : kPipeRowPattern;
    std::size_t end = i;
    while (end < lines.size() && !lines[end].empty() && lines[end][0] == mark &&
           Search(pattern, lines[end]).Found())
        ++end;
    return end;
}

// The scan loop that wraps group 1 of each match in an element.
std::string Wrap(const TPattern& pattern, std::string_view text, const char* open,
                 const char* close) {
    return ScanReplace(pattern, text, [open, close](const RegexMatch& m, std::string& out) {
        out += open;
        out += m.Group(1);
        out += close;
    });
}

} // namespace

// --- Block driver ---------------------------------------------------------------------------

std::string TLivedoorWikiDocumentConverter::ConvertBlocks(std::string_view Text) {
    std::string html;
    html.reserve(Text.size() * 2); // grows fewer times on a big page
    std::string current;

    const std::vector<std::string_view> lines = SplitLines(Text);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (StartsWith(line, "//")) continue;
        NewDepth = 0;

        if (StartsWith(line, "*")) {
            int level = MarkDepth(line, '*');
            std::string_view text = line.substr(static_cast<std::size_t>(level));
            std::string tag = "h" + std::to_string(level + 1);
            std::string id = NewAnchorId();
            html += CloseBlock("", current);
            html += "<" + tag + "><a name=\"" + id + "\">" + ConvertInline(text);
            html += "</a></" + tag + ">";
            html += CRLF;
            Contents.Add(std::string(text), id, level);
        } else if (StartsWith(line, ">") || StartsWith(line, " ")) {
            NewDepth = 1;
            html += CloseBlock("blockquote", current);
            NestTag = "blockquote";
            html += OpenBlock("blockquote", current);
            html += ConvertInline(line.substr(1)) + "<br>";
            html += CRLF;
            Depth = NewDepth;
        } else if (line == "=|AA|" || line == "=|AAS|") {
            i = ConvertFence(lines, i, true, html, current);
        } else if (line == "=||" || line == "=|BOX|") {
            i = ConvertFence(lines, i, false, html, current);
        } else if (std::size_t end = TableEnd(lines, i); end > i) {
            const bool comma = line[0] == ',';
            std::vector<std::string_view> rows(lines.begin() + static_cast<std::ptrdiff_t>(i),
                                               lines.begin() + static_cast<std::ptrdiff_t>(end));
            html += CloseBlock("table", current);
            html += OpenBlock("table", current);
            html += comma ? ConvertTable(rows, kCommaCellPattern, ",")
                          : ConvertTable(rows, kPipeCellPattern, "|");
            i = end - 1;
        } else if (RegexMatch m =
                       StartsWith(line, ":") ? Search(kDefinitionPattern, line) : RegexMatch();
                   m.Found()) {
            html += CloseBlock("dl", current);
            html += OpenBlock("dl", current);
            html += ConvertDefinition(m.Group(1), m.Group(2));
        } else if (StartsWith(line, "----")) {
            html += CloseBlock("hr", current);
            html += "<hr>";
            html += CRLF;
        } else if (StartsWith(line, "-") || StartsWith(line, "+")) {
            char mark = line[0];
            std::string tag = mark == '-' ? "ul" : "ol";
            int depth = MarkDepth(line, mark);
            NewDepth = depth;
            html += CloseBlock(tag, current);
            NestTag = tag;
            html += OpenBlock(tag, current, "list" + std::to_string(depth));
            html += "  <li>" + ConvertInline(line.substr(static_cast<std::size_t>(depth)));
            html += "</li>";
            html += CRLF;
            Depth = depth;
        } else if (line.empty()) {
            html += CloseBlock("", current);
        } else if (current == "ul" || current == "ol" || current == "blockquote") {
            // After the last item of the list, or inside the quotation.
            html += ConvertInline(line);
            html += CRLF;
        } else {
            html += CloseBlock("", current);
            html += OpenBlock("p", current);
            html += ConvertInline(line);
        }
    }
    html += CloseBlock("", current);
    html += FootnotesHtml();
    return html;
}

std::size_t TLivedoorWikiDocumentConverter::ConvertFence(const std::vector<std::string_view>& Lines,
                                                         std::size_t Index, bool AsciiArt,
                                                         std::string& Html,
                                                         std::string& CurrentTag) {
    const std::string tag = AsciiArt ? "div" : "pre";
    Html += CloseBlock(tag, CurrentTag);
    Html += OpenBlock(tag, CurrentTag, AsciiArt ? "ascii-art" : "verbatim-hard");
    std::size_t i = Index + 1;
    for (; i < Lines.size(); ++i) {
        std::string_view line = Lines[i];
        // The mark must be characters of its own: "|" is also the second byte of some
        // double-byte characters.
        if (EndsWithCharacters(line, "||=")) {
            // The text before the mark is the block's last line, escaped like the others.
            Html += EscapeHtml(line.substr(0, line.size() - 3));
            break;
        }
        Html += EscapeHtml(line);
        if (AsciiArt) Html += "<br>";
        Html += CRLF;
    }
    // Closed by its mark or by the end of the page.
    Html += CloseBlock("", CurrentTag);
    return i;
}

// --- Tables ---------------------------------------------------------------------------------

std::string TLivedoorWikiDocumentConverter::ConvertTable(const std::vector<std::string_view>& Rows,
                                                         const char* CellPattern,
                                                         std::string_view Separator) {
    const TTableSyntax syntax{CellPattern, Separator.empty() ? '|' : Separator[0], "^", true, true};
    std::vector<std::string> rows(Rows.begin(), Rows.end());
    // Each row is split into its cells once, for the spans and for its cells' HTML.
    const TTableCells cells = TableRowsCells(rows, CellPattern);
    TRowSpans spans = TableRowSpans(rows, cells, syntax);
    std::string html;
    for (std::size_t i = 0; i < Rows.size(); ++i)
        html += TableRowHtml(*this, cells[i], static_cast<int>(i), spans, syntax);
    return html;
}

std::string TLivedoorWikiDocumentConverter::ConvertTableRowEx(std::string_view Row, int RowIndex,
                                                              const char* CellPattern,
                                                              const TRowSpans& RowSpans) {
    const TTableSyntax syntax{CellPattern, '|', "^", true, true}; // the separator is not used here
    return TableRowHtml(*this, Row, RowIndex, RowSpans, syntax);
}

std::string TLivedoorWikiDocumentConverter::ConvertDefinition(std::string_view Term,
                                                              std::string_view Description) {
    std::string html = "  <dt>" + ConvertInline(Term) + "</dt>";
    html += CRLF;
    html += "  <dd>" + ConvertInline(Description) + "</dd>";
    html += CRLF;
    return html;
}

// --- Inline ---------------------------------------------------------------------------------

std::string TLivedoorWikiDocumentConverter::LinkPattern() {
    return kLinkPattern;
}

std::string TLivedoorWikiDocumentConverter::ConvertInline(std::string_view Text) {
    std::string html;
    TCallScanner calls(Text, TCallScanner::TNotation::Livedoor);
    std::size_t pos = 0;
    while (auto call = calls.NextInline(pos)) {
        html += ConvertInlinePlain(Text.substr(pos, call->Begin - pos));
        html += ConvertInlinePlugin(Text.substr(call->Begin, call->End - call->Begin));
        pos = call->End;
    }
    html += ConvertInlinePlain(Text.substr(pos));
    return html;
}

std::string TLivedoorWikiDocumentConverter::ConvertInlinePlain(std::string_view Text) {
    if (Text.empty()) return {};
    using T = TLivedoorWikiDocumentConverter;
    return ApplyInlineRules<T>(*this, ConvertLinks(EscapeHtml(Text)),
                               {
                                   {'\'', &T::ConvertEmphasis},  // '''emphasis'''
                                   {'\'', &T::ConvertStrong},    // ''strong''
                                   {'%', &T::ConvertInserted},   // %%%inserted%%%
                                   {'%', &T::ConvertDeleted},    // %%deleted%%
                                   {'~', &T::ConvertBreakMarks}, // break~~
                                   {'_', &T::ConvertSubscript},  // __subscript__
                                   {'(', &T::ConvertFootnotes},  // ((footnote))
                               });
}

std::string TLivedoorWikiDocumentConverter::ConvertLink(std::string_view Match) {
    return ConvertAliasLink(*this, Match, true);
}

std::string TLivedoorWikiDocumentConverter::ConvertInlinePlugin(std::string_view Call) {
    return ConvertCallOf(*this, Call, TCallScanner::TNotation::Livedoor);
}

std::string TLivedoorWikiDocumentConverter::ConvertEmphasis(std::string_view Text) {
    return Wrap(kEmphasisPattern, Text, "<i>", "</i>");
}

std::string TLivedoorWikiDocumentConverter::ConvertStrong(std::string_view Text) {
    return Wrap(kStrongPattern, Text, "<strong>", "</strong>");
}

std::string TLivedoorWikiDocumentConverter::ConvertInserted(std::string_view Text) {
    return Wrap(kInsertedPattern, Text, "<ins>", "</ins>");
}

std::string TLivedoorWikiDocumentConverter::ConvertDeleted(std::string_view Text) {
    return Wrap(kDeletedPattern, Text, "<del>", "</del>");
}

std::string TLivedoorWikiDocumentConverter::ConvertBreakMarks(std::string_view Text) {
    return ScanReplace(kBreakMarkPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += m.Group(1);
        out += "<br>";
        out += CRLF;
    });
}

std::string TLivedoorWikiDocumentConverter::ConvertSubscript(std::string_view Text) {
    return Wrap(kSubscriptPattern, Text, "<sub>", "</sub>");
}

std::string TLivedoorWikiDocumentConverter::ConvertFootnotes(std::string_view Text) {
    return ConvertFootnoteMarks(*this, Text);
}

} // namespace tarnel
