// YukiWiki notation.
//
// Block rules, tried in this order on each line outside a verbatim block:
//   "***", "**", "*"   headings (h4, h3, h2; contents levels 3, 2, 1)
//   " "                preformatted line
//   ">", ">>", ">>>"   quotation, nested by depth
//   ","                table row
//   ":term:text"       definition
//   "--(" ... "--)"    soft verbatim block (inline rules apply)
//   "---(" ... "---)"  hard verbatim block (text only)
//   "----"             horizontal rule
//   "-", "--", "---"   list item, nested by depth
//   empty line         closes the open block
//   other lines        continue an open list or quotation, else make a paragraph
#include "conversion/UYukiWikiDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"

namespace tarnel {

namespace {

const TPattern kDefinitionPattern("m/^:(.*?):(.*)$/k");
const TPattern kInlineCallPattern("m/^(.*?)(&[^\\x00-\\x20()<>\\x7F-\\xFF]+?\\(.*?\\))/k");
const TPattern kCallPartsPattern("m/&(.+?)\\((.*?)\\)/k");
const TPattern kStrongPattern("m/''([^']*?)''/k");
const TPattern kEmphasisPattern("m/'''([^']*?)'''/k");

// Number of leading marks, at most three.
int MarkDepth(std::string_view line, char mark) {
    int depth = 0;
    while (depth < 3 && static_cast<std::size_t>(depth) < line.size() && line[depth] == mark)
        ++depth;
    return depth;
}

} // namespace

std::string TYukiWikiDocumentConverter::ConvertBlocks(std::string_view Text) {
    std::string html;
    html.reserve(Text.size() * 2); // grows fewer times on a big page
    std::string current;
    bool soft = false;
    bool hard = false;

    for (std::string_view line : SplitLines(Text)) {
        if (soft) {
            if (line == "--)") {
                html += CloseBlock("", current);
                soft = false;
            } else {
                html += ConvertInline(line);
                html += CRLF;
            }
            continue;
        }
        if (hard) {
            if (line == "---)") {
                html += CloseBlock("", current);
                hard = false;
            } else {
                html += EscapeHtml(line);
                html += CRLF;
            }
            continue;
        }
        NewDepth = 0;

        if (StartsWith(line, "*")) {
            int level = MarkDepth(line, '*');
            std::string_view text = line.substr(static_cast<std::size_t>(level));
            std::string tag = "h" + std::to_string(level + 1);
            std::string id = NewAnchorId();
            html += CloseBlock("", current);
            html +=
                "<" + tag + "><a name=\"" + id + "\">" + ConvertInline(text) + "</a></" + tag + ">";
            html += CRLF;
            Contents.Add(std::string(text), id, level);
        } else if (StartsWith(line, " ")) {
            html += CloseBlock("pre", current);
            html += OpenBlock("pre", current);
            html += EscapeHtml(line.substr(1));
            html += CRLF;
        } else if (StartsWith(line, ">")) {
            int depth = MarkDepth(line, '>');
            NewDepth = depth;
            html += CloseBlock("blockquote", current);
            NestTag = "blockquote";
            html += OpenBlock("blockquote", current);
            html += ConvertInline(line.substr(static_cast<std::size_t>(depth)));
            html += CRLF;
            Depth = depth;
        } else if (StartsWith(line, ",")) {
            html += CloseBlock("table", current);
            html += OpenBlock("table", current);
            html += ConvertTableRow(line);
        } else if (RegexMatch m = Search(kDefinitionPattern, line); m.Found()) {
            html += CloseBlock("dl", current);
            html += OpenBlock("dl", current);
            html += ConvertDefinition(m.Group(1), m.Group(2));
        } else if (line == "--(") {
            html += CloseBlock("pre", current);
            html += OpenBlock("pre", current, "verbatim-soft");
            soft = true;
        } else if (line == "---(") {
            html += CloseBlock("pre", current);
            html += OpenBlock("pre", current, "verbatim-hard");
            hard = true;
        } else if (StartsWith(line, "----")) {
            html += CloseBlock("hr", current);
            html += "<hr>";
            html += CRLF;
        } else if (StartsWith(line, "-")) {
            int depth = MarkDepth(line, '-');
            NewDepth = depth;
            html += CloseBlock("ul", current);
            NestTag = "ul";
            html += OpenBlock("ul", current);
            html +=
                "  <li>" + ConvertInline(line.substr(static_cast<std::size_t>(depth))) + "</li>";
            html += CRLF;
            Depth = depth;
        } else if (line.empty()) {
            html += CloseBlock("", current);
        } else if (current == "ul" || current == "blockquote") {
            // A plain line continues the open list item or quotation.
            html += ConvertInline(line);
            html += CRLF;
        } else {
            html += CloseBlock("p", current);
            html += OpenBlock("p", current);
            html += ConvertInline(line);
        }
    }
    html += CloseBlock("", current);
    return html;
}

std::string TYukiWikiDocumentConverter::ConvertInline(std::string_view Text) {
    // Inline plug-in calls, &name(arguments); the text around them is plain inline text.
    // The pattern anchors at the resume point, so each match carries the plain text before
    // the call in group 1. No call ends after the last ")": calls are looked for only up to
    // there (a line of many unclosed calls would otherwise make the lazy groups try every
    // pair of positions), and the rest of the line after the last call is one plain piece.
    std::size_t close = Text.rfind(')');
    std::string_view calls =
        close == std::string_view::npos ? std::string_view() : Text.substr(0, close + 1);
    std::string html;
    std::size_t pos = 0;
    while (pos < calls.size()) {
        RegexMatch m = Search(kInlineCallPattern, calls, pos);
        if (!m.Found()) break;
        html += ConvertInlinePlain(m.Group(1));
        html += ConvertInlinePlugin(m.Group(2));
        pos = m.End();
    }
    return html + ConvertInlinePlain(Text.substr(pos));
}

std::string TYukiWikiDocumentConverter::ConvertInlinePlain(std::string_view Text) {
    using T = TYukiWikiDocumentConverter;
    return ApplyInlineRules<T>(*this, ConvertLinks(EscapeHtml(Text)),
                               {
                                   {'\'', &T::ConvertEmphasis}, // '''emphasis'''
                                   {'\'', &T::ConvertStrong},   // ''strong''
                               });
}

std::string TYukiWikiDocumentConverter::ConvertLink(std::string_view Match) {
    std::string match(Match);
    if (IsUrl(match)) return AddressLink(match);
    if (StartsWith(match, "[[") && match.size() >= 4) {
        std::string name = match.substr(2, match.size() - 4);
        return MakePageLink(PageFileOf(name), name, true);
    }
    return MakePageLink(PageFileOf(match), match, false);
}

std::string TYukiWikiDocumentConverter::ConvertInlinePlugin(std::string_view Call) {
    RegexMatch m = Search(kCallPartsPattern, Call);
    if (!m.Found()) return ConvertInlinePlain(Call);
    if (const TPlugin* plugin = FindPlugin(m.Group(1), true))
        return CallPlugin(*plugin, m.Group(2));
    return ConvertInlinePlain(Call);
}

std::string TYukiWikiDocumentConverter::ConvertDefinition(std::string_view Term,
                                                          std::string_view Description) {
    std::string html = "  <dt>" + ConvertInline(Term) + "</dt>";
    html += CRLF;
    html += "  <dd>" + ConvertInline(Description) + "</dd>";
    html += CRLF;
    return html;
}

std::string TYukiWikiDocumentConverter::ConvertTableRow(std::string_view Line) {
    return ConvertCsvRow(Line);
}

std::string TYukiWikiDocumentConverter::ConvertStrong(std::string_view Text) {
    return ScanReplace(kStrongPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += "<b>";
        out += m.Group(1);
        out += "</b>";
    });
}

std::string TYukiWikiDocumentConverter::ConvertEmphasis(std::string_view Text) {
    return ScanReplace(kEmphasisPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += "<i>";
        out += m.Group(1);
        out += "</i>";
    });
}

} // namespace tarnel
