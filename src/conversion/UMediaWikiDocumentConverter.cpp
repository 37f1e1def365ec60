// MediaWiki notation.
//
// Raw HTML in the page passes through untouched: only pre lines are escaped. The notation
// has no footnotes.
//
// Block rules, tried in this order on each line:
//   "==== text ===="   heading h4, contents level 3 (tried first, so that it is never
//                      taken for a lower level)
//   "=== text ==="     heading h3, level 2
//   "== text =="       heading h2, level 1
//   " text"            pre line; consecutive ones share one pre element
//   "; term : text"    definition (the blank before the colon is needed)
//   "----"             horizontal rule
//   "*", "**", "***"   unordered list item, nested by depth
//   "#", "##", "###"   ordered list item, nested by depth
//   empty line         closes the open block
//   other lines        continue the open list after its last item, else join the
//                      paragraph, one line each
//
// Inline rules, in this order:
//   <tag ...>          HTML tags are copied unchanged, the text between them goes on
//   {{name|a|b}}       template: the plug-in "name" called with "a,b"; a name no plug-in
//                      answers stays plain text, braces included. A template ends at the
//                      first "}}", so each template of a line is a call of its own.
//   addresses, [[page]], [[page|alias]], WikiNames   links
//   '''text'''         bold
//   ''text''           italic (so five apostrophes give italic around bold)
#include "conversion/UMediaWikiDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"

namespace tarnel {

namespace {

constexpr std::size_t npos = std::string_view::npos;

const TPattern kInlineTagPattern("m/^(.*?)(<.+?>)/k");
const TPattern kInlineCallPattern("m/^(.*?)({{.+?}})/k");
const TPattern kCallPartsPattern("m/{{(.*?)(?:\\|(.*))?}}/k");
const TPattern kStrongPattern("m/'''([^']*?)'''/k");
const TPattern kEmphasisPattern("m/''([^']*?)''/k");

// Links are always matched with the strict WikiName, whatever LooseWikiName says.
const char* const kLinkPattern = "m/"
                                 "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>"
                                 "\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\])|"
                                 "(\\b([A-Z][a-z]+([A-Z][a-z]+)+)\\b))/k";

// Headings, the longest run of "=" first. Each group 1 is greedy, so blanks before the
// closing run stay in the heading text.
struct THeadingRule {
    std::string_view marks;
    const char* pattern;
    int level;
};
const THeadingRule kHeadingRules[] = {
    {"====", "m/^====\\s*(.+)\\s*====$/k", 3},
    {"===", "m/^===\\s*(.+)\\s*===$/k", 2},
    {"==", "m/^==\\s*(.+)\\s*==$/k", 1},
};

// A definition is ";" term " :" description. This is "m/^;\s*(.*?)\s* :\s*(.*)$/k" with the
// term written as "(|.*?\S)": the term found is the same (the shortest term never ends in a
// blank), but the matcher no longer walks every blank run once for each of its blanks.
const TPattern kDefinitionPattern("m/^;\\s*(|.*?\\S)\\s* :\\s*(.*)$/k");

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

// Position of the first character c (ASCII), never the trail byte of a double-byte one.
std::size_t FindChar(std::string_view text, char c) {
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i))
        if (text[i] == c) return i;
    return npos;
}

} // namespace

std::string TMediaWikiDocumentConverter::ConvertBlocks(std::string_view Text) {
    std::string html;
    html.reserve(Text.size() * 2); // grows fewer times on a big page
    std::string current;

    for (std::string_view line : SplitLines(Text)) {
        NewDepth = 0;

        // The heading patterns are tried only on lines that start and end with their run of
        // "=": on any other line they cannot match, and on a long line of blanks a failing
        // try would take the matcher a very long time.
        const THeadingRule* heading = nullptr;
        RegexMatch m;
        for (const THeadingRule& rule : kHeadingRules) {
            if (!StartsWith(line, rule.marks) || !EndsWith(line, rule.marks)) continue;
            m = Search(rule.pattern, line);
            if (m.Found()) {
                heading = &rule;
                break;
            }
        }

        if (heading) {
            std::string_view text = m.Group(1);
            std::string tag = "h" + std::to_string(heading->level + 1);
            html += CloseBlock("", current);
            std::string id = NewAnchorId();
            html +=
                "<" + tag + "><a name=\"" + id + "\">" + ConvertInline(text) + "</a></" + tag + ">";
            html += CRLF;
            Contents.Add(std::string(text), id, heading->level);
        } else if (StartsWith(line, " ")) {
            html += CloseBlock("pre", current);
            html += OpenBlock("pre", current);
            html += EscapeHtml(line.substr(1));
            html += CRLF;
        } else if (StartsWith(line, ";") && EndOfLast(line, " :") != npos &&
                   (m = Search(kDefinitionPattern, line)).Found()) {
            html += CloseBlock("dl", current);
            html += OpenBlock("dl", current);
            html += ConvertDefinition(m.Group(1), m.Group(2));
        } else if (StartsWith(line, "----")) {
            html += CloseBlock("hr", current);
            html += "<hr>";
            html += CRLF;
        } else if (StartsWith(line, "*") || StartsWith(line, "#")) {
            std::string tag = line[0] == '*' ? "ul" : "ol";
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
        } else if (current == "ul" || current == "ol") {
            // A plain line goes on inside the open list, after its last item.
            html += ConvertInline(line);
            html += CRLF;
        } else {
            html += CloseBlock("p", current);
            html += OpenBlock("p", current);
            html += ConvertInline(line);
            html += CRLF;
        }
    }
    html += CloseBlock("", current);
    return html;
}

std::string TMediaWikiDocumentConverter::ConvertInline(std::string_view Text) {
    // Tags and their attributes are never converted.
    return ScanUpTo(
        kInlineTagPattern, Text, EndOfLast(Text, ">"),
        [this](const RegexMatch& m, std::string& out) {
            out += ConvertTemplates(m.Group(1));
            out += m.Group(2);
        },
        [this](std::string_view plain, std::string& out) { out += ConvertTemplates(plain); });
}

std::string TMediaWikiDocumentConverter::ConvertTemplates(std::string_view Text) {
    return ScanUpTo(
        kInlineCallPattern, Text, EndOfLast(Text, "}}"),
        [this](const RegexMatch& m, std::string& out) {
            out += ConvertInlinePlain(m.Group(1));
            out += ConvertInlinePlugin(m.Group(2));
        },
        [this](std::string_view plain, std::string& out) { out += ConvertInlinePlain(plain); });
}

std::string TMediaWikiDocumentConverter::ConvertInlinePlain(std::string_view Text) {
    using T = TMediaWikiDocumentConverter;
    return ApplyInlineRules<T>(*this, ConvertLinks(Text),
                               {
                                   {'\'', &T::ConvertStrong},   // '''strong'''
                                   {'\'', &T::ConvertEmphasis}, // ''emphasis''
                               });
}

std::string TMediaWikiDocumentConverter::LinkPattern() {
    return kLinkPattern;
}

std::string TMediaWikiDocumentConverter::ConvertLink(std::string_view Match) {
    std::string match(Match);
    if (IsUrl(match)) return AddressLink(match);
    if (!StartsWith(match, "[[") || match.size() < 4)
        return MakePageLink(PageFileOf(match), match, false);

    std::string inner = match.substr(2, match.size() - 4);
    std::size_t bar = FindChar(inner, '|');
    if (bar == npos) {
        return MakePageLink(PageFileOf(inner), inner, true);
    }
    std::string target = inner.substr(0, bar);
    std::string alias = inner.substr(bar + 1);
    if (IsUrl(target)) {
        std::optional<std::string> href = AttributeAddress(target);
        return href ? "<a href=\"" + *href + "\">" + alias + "</a>" : alias;
    }
    return MakePageLink(PageFileOf(target), alias, true);
}

std::string TMediaWikiDocumentConverter::ConvertInlinePlugin(std::string_view Call) {
    RegexMatch m = Search(kCallPartsPattern, Call);
    if (!m.Found()) return ConvertInlinePlain(Call);
    const TPlugin* plugin = FindPlugin(m.Group(1), false);
    if (!plugin) return ConvertInlinePlain(Call);
    std::string html = CallPlugin(*plugin, ReplaceAll(m.Group(2), "\\|", ","));
    // A call ends at its first "}}", so the match is the whole call; should anything be
    // left after it, it stays text rather than being lost.
    if (m.End() < Call.size()) html += ConvertInlinePlain(Call.substr(m.End()));
    return html;
}

std::string TMediaWikiDocumentConverter::ConvertDefinition(std::string_view Term,
                                                           std::string_view Description) {
    std::string html = "  <dt>" + ConvertInline(Term) + "</dt>";
    html += CRLF;
    html += "  <dd>" + ConvertInline(Description) + "</dd>";
    html += CRLF;
    return html;
}

std::string TMediaWikiDocumentConverter::ConvertStrong(std::string_view Text) {
    return ScanReplace(kStrongPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += "<b>";
        out += m.Group(1);
        out += "</b>";
    });
}

std::string TMediaWikiDocumentConverter::ConvertEmphasis(std::string_view Text) {
    return ScanReplace(kEmphasisPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += "<i>";
        out += m.Group(1);
        out += "</i>";
    });
}

} // namespace tarnel
