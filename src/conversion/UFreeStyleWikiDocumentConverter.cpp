// FreeStyleWiki notation.
//
// Block rules, tried in this order on each line:
//   "//"               comment: the line is skipped and the open block stays open
//   "!!!", "!!", "!"   headings (h2, h3, h4; contents levels 1, 2, 3); a closing "[#name]"
//                      names the anchor, otherwise it is the next i0, i1, ...
//   " "                preformatted line (text only)
//   two double quotes  quotation; consecutive lines share one
//   ","                table row of comma-separated cells, "quoted" cells may hold commas;
//                      the first row of each table has header cells
//   ":term:text"       definition
//   "----"             horizontal rule
//   "*", "**", "***"   unordered list item, nested by depth
//   "+", "++", "+++"   ordered list item, nested by depth
//   empty line         closes the open block
//   other lines        paragraph; consecutive lines run together in one
//
// Inline rules: first the plug-in calls {{name arguments}}; the text around them goes
// through, in this order: HTML escaping, links (addresses, [[name]] and [name], each
// with an optional "alias|" in front), '''strong''', ''emphasis'', ==deleted==,
// __inserted__.
//
// Unclosed inline marks: a rule whose pattern needs a closing text ("}}", "]", "==",
// "__") is shown only the text up to the last place where that closing text occurs.
// Beyond it no match can end, and without the bound every unclosed opening mark would
// make the matcher walk to the end of the line again: a line of many "[" or "{{" would
// cost the square of its length. The output is the same as with the whole line.
#include "conversion/UFreeStyleWikiDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"

#include <algorithm>
#include <vector>

namespace tarnel {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// Any character but blanks, controls, parentheses, angle brackets and bytes from 0x7F up:
// the characters of an address and of a plug-in name.
#define FSW_NAME_CHAR "[^\\x00-\\x20()<>\\x7F-\\xFF]"

const TPattern kPluginCallPattern("m/^(.*?)({{" FSW_NAME_CHAR "+?.*?}})/k");
const TPattern kPluginPartsPattern("m/^{{\\s*(" FSW_NAME_CHAR "+?)(\\s+?(.*?))?}}/k");

// Group 1 is the whole candidate and group 2 an address. The two shorter forms are the
// same pattern without the bracket forms that can no longer match (see ConvertLinks).
const TPattern kLinkPattern("m/(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):(" FSW_NAME_CHAR
                            ")+)|"
                            "(\\[\\[(.+?)\\]\\])|(\\[(.+?)\\]))/k");
const TPattern
    kLinkPatternNoDouble("m/(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):(" FSW_NAME_CHAR ")+)|"
                         "(\\[(.+?)\\]))/k");
const TPattern kAddressPattern("m/(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):(" FSW_NAME_CHAR
                               ")+))/k");
#undef FSW_NAME_CHAR

const TPattern kDefinitionPattern("m/^:(.*?):(.*)$/k");
const TPattern kStrongPattern("m/'''([^']*?)'''/k");
const TPattern kEmphasisPattern("m/''([^']*?)''/k");
const TPattern kDeletedPattern("m/==(.*?)==/k");
const TPattern kInsertedPattern("m/__(.*?)__/k");

// --- Links, found by hand ------------------------------------------------------------------
//
// The link patterns, read as the matcher reads them: an address (AddressEndAt, the same
// form as the other notations'); else (where the pattern has them) "[[" text "]]"; else "["
// text "]", the text being one or more characters other than a line feed, up to the first
// closing mark (lazy). Characters are Shift_JIS as the matcher steps through them.

enum class TLinkForms { All, NoDouble, AddressOnly };

struct TLinkFound {
    std::size_t begin = npos, end = npos;
    bool address = false; // group 2 took part
};

// The end of "open text close" at text[i], or npos.
std::size_t BracketEnd(std::string_view text, std::size_t i, std::string_view open,
                       std::string_view close) {
    if (!text.substr(i).starts_with(open)) return npos;
    std::size_t j = i + open.size();
    while (j < text.size() && text[j] != '\n') {
        j += CharLength(text, j);
        if (text.substr(j).starts_with(close)) return j + close.size();
    }
    return npos;
}

// The first link at or after `from`, the subject of the search starting there.
TLinkFound NextLink(std::string_view text, std::size_t from, TLinkForms forms) {
    for (std::size_t i = from; i < text.size();) {
        const char c = text[i];
        TLinkFound found;
        if (c == 'h' || c == 'f' || c == 'm') {
            found.end = AddressEndAt(text, true, from, i);
            found.address = true;
        } else if (c == '[' && forms != TLinkForms::AddressOnly) {
            if (forms == TLinkForms::All) found.end = BracketEnd(text, i, "[[", "]]");
            if (found.end == npos) found.end = BracketEnd(text, i, "[", "]");
        }
        if (found.end != npos) {
            found.begin = i;
            return found;
        }
        i += CharLength(text, i);
    }
    return {};
}

// ScanReplace with the link pattern of `forms`, `replace` given where each link begins and
// ends and whether it is an address.
std::string ScanLinks(std::string_view text, TLinkForms forms,
                      const std::function<void(const TLinkFound&, std::string&)>& replace) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t pos = 0;
    for (TLinkFound link = NextLink(text, 0, forms); link.begin != npos;
         link = NextLink(text, pos, forms)) {
        out.append(text.substr(pos, link.begin - pos));
        replace(link, out);
        pos = link.end;
    }
    out.append(text.substr(pos));
    return out;
}

// Where the characters of a text start, as the matcher steps through it.
std::vector<bool> CharStarts(std::string_view text) {
    std::vector<bool> starts(text.size(), false);
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i))
        starts[i] = true;
    return starts;
}

// Bytes the pattern \s matches (ASCII only).
bool IsSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsWordByte(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

std::string Element(const char* name, std::string_view content) {
    std::string html = "<";
    html += name;
    html += ">";
    html += content;
    html += "</";
    html += name;
    html += ">";
    return html;
}

struct HeadingSource {
    std::string_view text; // the heading text: trailing blanks and the anchor mark removed
    std::string_view name; // the name of a closing "[#name]", empty without one
};

// Splits the text of a heading line as "m/^(.*?)(?:\s*\[#(\w+)\])?\s*$/k" does: the text
// is what stands before the trailing blanks and an optional closing anchor mark with its
// blanks. Done from the right by hand, since the pattern costs the square of the length
// of a run of blanks inside the text (each blank would start a new try of "\s*$").
// The pattern does not match a text that ends in half a double-byte character; such a
// heading keeps its whole text rather than losing it.
HeadingSource SplitHeading(std::string_view source) {
    std::vector<bool> starts = CharStarts(source);
    if (!source.empty() && starts.back() && IsShiftJisLeadByte(source.back())) return {source, {}};
    // A blank or mark character counts only where the matcher sees a character of its own.
    auto single = [&](std::size_t i) { return starts[i] && !IsShiftJisLeadByte(source[i]); };
    auto skipBlanks = [&](std::size_t end) {
        while (end > 0 && single(end - 1) && IsSpaceByte(source[end - 1]))
            --end;
        return end;
    };

    std::size_t end = skipBlanks(source.size());
    HeadingSource heading{source.substr(0, end), {}};
    if (end < 4 || !single(end - 1) || source[end - 1] != ']') return heading;
    std::size_t nameStart = end - 1;
    while (nameStart > 0 && single(nameStart - 1) && IsWordByte(source[nameStart - 1]))
        --nameStart;
    if (nameStart == end - 1 || nameStart < 2) return heading;
    if (!single(nameStart - 1) || source[nameStart - 1] != '#') return heading;
    if (!single(nameStart - 2) || source[nameStart - 2] != '[') return heading;
    heading.name = source.substr(nameStart, end - 1 - nameStart);
    heading.text = source.substr(0, skipBlanks(nameStart - 2));
    return heading;
}

} // namespace

std::string TFreeStyleWikiDocumentConverter::ConvertBlocks(std::string_view Text) {
    std::string html;
    html.reserve(Text.size() * 2); // grows fewer times on a big page
    std::string current;

    for (std::string_view line : SplitLines(Text)) {
        if (StartsWith(line, "//")) continue;
        NewDepth = 0;

        if (StartsWith(line, "!")) {
            // "!!!" is the biggest heading: more marks, higher level.
            int marks = StartsWith(line, "!!!") ? 3 : StartsWith(line, "!!") ? 2 : 1;
            int level = 4 - marks;
            std::string tag = "h" + std::to_string(level + 1);
            // Every heading draws an id, so that an explicit name does not shift the
            // numbers of the headings after it.
            std::string name = NewAnchorId();
            HeadingSource heading = SplitHeading(line.substr(static_cast<std::size_t>(marks)));
            if (!heading.name.empty())
                name = (Options.MenuBarMode ? "m" : "") + std::string(heading.name);
            html += CloseBlock("", current);
            html += "<" + tag + "><a name=\"" + name + "\">" + ConvertInline(heading.text) +
                    "</a></" + tag + ">";
            html += CRLF;
            Contents.Add(std::string(heading.text), name, level);
        } else if (StartsWith(line, " ")) {
            html += CloseBlock("pre", current);
            html += OpenBlock("pre", current);
            html += EscapeHtml(line.substr(1));
            html += CRLF;
        } else if (StartsWith(line, "\"\"")) {
            html += CloseBlock("blockquote", current);
            html += OpenBlock("blockquote", current);
            html += ConvertInline(line.substr(2));
            html += CRLF;
        } else if (StartsWith(line, ",")) {
            HeaderRow = current != "table";
            html += CloseBlock("table", current);
            html += OpenBlock("table", current);
            html += ConvertTableRow(line);
        } else if (RegexMatch m = Search(kDefinitionPattern, line); m.Found()) {
            html += CloseBlock("dl", current);
            html += OpenBlock("dl", current);
            html += ConvertDefinition(m.Group(1), m.Group(2));
        } else if (StartsWith(line, "----")) {
            html += CloseBlock("hr", current);
            html += "<hr>";
            html += CRLF;
        } else if (StartsWith(line, "*") || StartsWith(line, "+")) {
            const char mark = line[0];
            const std::string tag = mark == '*' ? "ul" : "ol";
            int depth = StartsWith(line, std::string(3, mark))   ? 3
                        : StartsWith(line, std::string(2, mark)) ? 2
                                                                 : 1;
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
        } else {
            html += CloseBlock("p", current);
            html += OpenBlock("p", current);
            html += ConvertInline(line);
        }
    }
    html += CloseBlock("", current);
    html += FootnotesHtml();
    return html;
}

std::string TFreeStyleWikiDocumentConverter::ConvertInline(std::string_view Text) {
    // Plug-in calls {{name arguments}}; everything around them is plain inline text. A call
    // ends at a "}}", so the matcher is shown the text up to the last one; the unmatched
    // text before it and everything after it are one piece of plain text.
    std::size_t end = EndOfLast(Text, "}}");
    if (end == npos) end = 0;
    std::string_view view = Text.substr(0, end);
    std::size_t tail = end;
    std::string html = ScanReplace(
        kPluginCallPattern, view,
        [this](const RegexMatch& m, std::string& out) {
            out += ConvertInlinePlain(m.Group(1));
            out += ConvertInlinePlugin(m.Group(2));
        },
        [&](std::string_view plain, std::string& out) {
            if (plain.data() + plain.size() == view.data() + view.size()) {
                tail = static_cast<std::size_t>(plain.data() - Text.data());
                return;
            }
            out += ConvertInlinePlain(plain);
        });
    if (tail < Text.size()) html += ConvertInlinePlain(Text.substr(tail));
    return html;
}

std::string TFreeStyleWikiDocumentConverter::ConvertInlinePlain(std::string_view Text) {
    using T = TFreeStyleWikiDocumentConverter;
    return ApplyInlineRules<T>(*this, ConvertLinks(EscapeHtml(Text)),
                               {
                                   {'\'', &T::ConvertStrong},   // '''strong'''
                                   {'\'', &T::ConvertEmphasis}, // ''emphasis''
                                   {'=', &T::ConvertDeleted},   // ==deleted==
                                   {'_', &T::ConvertInserted},  // __inserted__
                               });
}

std::string TFreeStyleWikiDocumentConverter::LinkPattern() {
    return std::string(kLinkPattern.Source());
}

std::string TFreeStyleWikiDocumentConverter::ConvertLinks(std::string_view Text) {
    // One pass in three stretches. Up to the last "]]" every kind of link can match; from
    // there to the last "]" only addresses and single brackets; after it only addresses.
    // A bracket link ends at a "]", so no link found before a boundary reaches past it,
    // except an address that runs on over the boundary: it is matched again on the whole
    // text and the next stretch starts where it ends.
    std::string html;
    std::size_t pos = 0;
    auto stretch = [&](const TPattern& pattern, TLinkForms forms, std::size_t end) {
        if (end == npos || end <= pos) return;
        std::string_view view = Text.substr(pos, end - pos);
        const std::size_t base = pos;
        pos = end;
        html += ScanLinks(view, forms, [&](const TLinkFound& link, std::string& out) {
            if (link.end == view.size() && end < Text.size() && link.address) {
                RegexMatch whole = Search(pattern, Text, base + link.begin);
                out += ConvertLink(whole.Group(1));
                pos = std::min(whole.End(), Text.size());
                return;
            }
            out += ConvertLink(view.substr(link.begin, link.end - link.begin));
        });
    };
    stretch(kLinkPattern, TLinkForms::All, EndOfLast(Text, "]]"));
    stretch(kLinkPatternNoDouble, TLinkForms::NoDouble, EndOfLast(Text, "]"));
    stretch(kAddressPattern, TLinkForms::AddressOnly, Text.size());
    return html;
}

std::string TFreeStyleWikiDocumentConverter::ConvertLink(std::string_view Match) {
    std::string match(Match);
    if (IsUrl(match)) return AddressLink(match);
    if (!StartsWith(match, "[")) return match;

    // A candidate that opens with "[[" but closes with a single "]" (the single-bracket
    // form matched "[[name]") is read as a single-bracketed name, so that no text is lost.
    std::string inner = StartsWith(match, "[[") && match.size() >= 4 && match.ends_with("]]")
                            ? match.substr(2, match.size() - 4)
                            : match.substr(1, match.size() - 2);
    std::size_t bar = inner.find('|');
    if (bar == std::string::npos) {
        return MakePageLink(PageFileOf(inner), inner, true);
    }
    std::string alias = inner.substr(0, bar);
    std::string target = inner.substr(bar + 1);
    if (IsUrl(target)) {
        // The alias shows as an image when it names one; its address is checked like the
        // link's own, so "[javascript:x.png|http://...]" shows its alias as text.
        std::optional<std::string> image =
            IsImageFile(alias) ? AttributeAddress(alias, true) : std::nullopt;
        std::string shown = image ? "<img src=\"" + *image + "\">" : alias;
        std::optional<std::string> href = AttributeAddress(target);
        return href ? "<a href=\"" + *href + "\">" + shown + "</a>" : shown;
    }
    return MakePageLink(PageFileOf(target), alias, true);
}

std::string TFreeStyleWikiDocumentConverter::ConvertInlinePlugin(std::string_view Call) {
    // {{name}} or {{name arguments}}: the arguments are everything after the first blank.
    RegexMatch m = Search(kPluginPartsPattern, Call);
    if (!m.Found()) return ConvertInlinePlain(Call);
    if (const TPlugin* plugin = FindPlugin(m.Group(1), false))
        return CallPlugin(*plugin, m.Group(3));
    return ConvertInlinePlain(Call);
}

std::string TFreeStyleWikiDocumentConverter::ConvertTableRow(std::string_view Line) {
    // Each cell begins with a comma; a cell in double quotes may hold commas, and a doubled
    // double quote in it stands for one. Text that belongs to no cell (after the closing
    // quote of a cell, before the next comma) is written after the cells.
    std::string html = "<tr>";
    html += CRLF;
    const char* tag = HeaderRow ? "th" : "td";
    std::string stray;
    std::size_t pos = 0;
    while (pos < Line.size()) {
        std::optional<TCsvCell> cell = NextCsvCell(Line, pos);
        if (!cell) break;
        stray += Line.substr(pos, cell->Begin - pos);
        pos = cell->End;
        html += "  " + Element(tag, ConvertInline(Trim(cell->Text)));
        html += CRLF;
    }
    stray += Line.substr(pos);
    html += EscapeHtml(stray);
    html += "</tr>";
    html += CRLF;
    return html;
}

std::string TFreeStyleWikiDocumentConverter::ConvertDefinition(std::string_view Term,
                                                               std::string_view Description) {
    std::string html = "  <dt>" + ConvertInline(Term) + "</dt>";
    html += CRLF;
    html += "  <dd>" + ConvertInline(Description) + "</dd>";
    html += CRLF;
    return html;
}

// The apostrophe phrases cannot run over another apostrophe, so they need no bound; three
// are taken before two.
std::string TFreeStyleWikiDocumentConverter::ConvertStrong(std::string_view Text) {
    return ScanReplace(kStrongPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += Element("strong", m.Group(1));
    });
}

std::string TFreeStyleWikiDocumentConverter::ConvertEmphasis(std::string_view Text) {
    return ScanReplace(kEmphasisPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += Element("em", m.Group(1));
    });
}

std::string TFreeStyleWikiDocumentConverter::ConvertDeleted(std::string_view Text) {
    return ScanUpTo(
        kDeletedPattern, Text, EndOfLast(Text, "=="),
        [](const RegexMatch& m, std::string& out) { out += Element("del", m.Group(1)); });
}

std::string TFreeStyleWikiDocumentConverter::ConvertInserted(std::string_view Text) {
    return ScanUpTo(
        kInsertedPattern, Text, EndOfLast(Text, "__"),
        [](const RegexMatch& m, std::string& out) { out += Element("ins", m.Group(1)); });
}

} // namespace tarnel
