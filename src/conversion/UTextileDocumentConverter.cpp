// Textile notation.
//
// Block rules, tried in this order on each line:
//   "hN. "             heading h1 to h6, contents level N; its text is escaped, no inline rules
//   "|...|"            table row; a cell may begin with prefixes, each followed by a blank:
//                      "_." header cell, "\N." colspan, "/N." rowspan, "<." "=." ">." alignment
//   "---" or more      horizontal rule, written inside whatever block is open
//   " "                preformatted line (text only)
//   "bq. "             quotation, one per line
//   "* " to "*** "     unordered list item, nested by depth
//   "# " to "### "     ordered list item, nested by depth
//   "<pre>"            preformatted block (text only) up to a line that starts with
//                      "</pre>", or to the end of the page; the rest of both lines is dropped
//   "p>. " "p=. " "p. "  right, centre or left aligned block, one per line
//   empty line         closes the open block
//   other lines        continue an open list, else a paragraph; every paragraph line ends
//                      with a break, and at the end the break before each "</p>" is removed
//
// Inline rules: first the plug-in calls {{name}} and {{name(arguments)}}; the text around
// them goes through, in this order: HTML escaping; links "text":address (between blanks or
// line edges), ["text":address] and [[page]] or [[page|text]]; the phrases +inserted+,
// _emphasis_, *strong*, ??citation??, @code@ and -deleted-, each first between blanks or
// line edges, then in square brackets ([*strong*] works inside a word); %{style}span%.
//
// Unclosed inline marks: a rule whose pattern needs a closing text is shown only the text
// up to the place after which no match can end (the last closing mark, or the first one
// after the last usable middle part). Without that bound every unclosed opening mark
// would make the matcher walk to the end of the line again, and a line of many "{{", "["
// or " *" would cost the square of its length. The output is the same as with the whole
// line.
#include "conversion/UTextileDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"

#include <algorithm>

namespace tarnel {

namespace {

constexpr std::size_t npos = std::string_view::npos;

const char* const kPluginCallPattern = "m/^(.*?)({{[^\\x00-\\x20()<>\\x7F-\\xFF]+?.*?}})/k";
const char* const kPluginPartsPattern =
    "m/^{{\\s*([^\\x00-\\x20()<>\\x7F-\\xFF]+?)(\\s*?\\((.*?)\\))?}}/k";

const char* const kQuotedLinkPattern = "m/(^| )(?:&quot;(.+?)&quot;:(.+?))( |$)/k";
const char* const kBracketLinkPattern = "m/\\[(?:&quot;(.+?)&quot;:(.+?))\\]/k";
const char* const kPageLinkPattern = "m/\\[\\[(.+?)(?:\\|(.+?))?\\]\\]/k";
const char* const kSpanPattern = "m/%{(.+?)}(.+?)%/k";

const char* const kHeadingPattern = "m/^h([123456])\\. (.*)/k";
const char* const kTableRowPattern = "m/^\\|(.*)\\|$/k";
const char* const kRulePattern = "m/^-{3,}$/k";
const char* const kBulletPattern = "m/^(\\*{1,3}) /k";
const char* const kNumberPattern = "m/^(\\#{1,3}) /k";
const char* const kCellPattern = "m/([^|]*)\\|/k";
const char* const kCellPrefixPattern = "m/^(.+?\\.) /k";

// A phrase modifier: its mark, its element and its two patterns.
struct Phrase {
    const char* mark;
    const char* element;
    const char* spaced;    // groups: blank or line start, text, blank or line end
    const char* bracketed; // group: text
};

const Phrase kInserted{"+", "ins", "m/(^| )\\+(.*?)\\+( |$)/k", "m/\\[\\+(.*?)\\+\\]/k"};
const Phrase kEmphasis{"_", "em", "m/(^| )_(.*?)_( |$)/k", "m/\\[_(.*?)_\\]/k"};
const Phrase kStrong{"*", "strong", "m/(^| )\\*(.*?)\\*( |$)/k", "m/\\[\\*(.*?)\\*\\]/k"};
const Phrase kCitation{"??", "cite", "m/(^| )\\?{2}(.*?)\\?{2}( |$)/k",
                       "m/\\[\\?{2}(.*?)\\?{2}\\]/k"};
const Phrase kCode{"@", "code", "m/(^| )@(.*?)@( |$)/k", "m/\\[@(.*?)@\\]/k"};
const Phrase kDeleted{"-", "del", "m/(^| )-(.*?)-( |$)/k", "m/\\[-(.*?)-\\]/k"};

// Closing and middle marks are reached by stepping from where a match began, and that
// stepping agrees with the reading from the start of the text within a byte. But when it
// looks for a place to begin a match, the matcher may also take a byte that cannot be the
// second byte of a character (in broken text, after a lead byte) as a character of its
// own; where opening marks are counted, both readings count.
std::size_t StepForOpening(std::string_view text, std::size_t i) {
    if (!IsShiftJisLeadByte(text[i]) || i + 1 >= text.size()) return 1;
    auto next = static_cast<unsigned char>(text[i + 1]);
    return (next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC) ? 2 : 1;
}

bool At(std::string_view text, std::size_t i, std::string_view mark) {
    return text[i] == mark[0] && text.compare(i, mark.size(), mark) == 0;
}

// The first mark at or after `from`, a place where a character starts; npos if none.
std::size_t FirstAfter(std::string_view text, std::size_t from, std::string_view mark) {
    for (std::size_t i = from; i < text.size(); i += CharLength(text, i))
        if (At(text, i, mark)) return i;
    return npos;
}

// Start of the last occurrence of an ASCII token that the matcher sees as characters of
// their own (not inside a double-byte character); npos when there is none. With
// `followedByBlank`, only a token followed by a blank or the end of the text.
std::size_t LastToken(std::string_view text, std::string_view token, bool followedByBlank = false) {
    if (text.find(token) == npos) return npos; // most texts hold no such mark at all
    std::size_t last = npos;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (!At(text, i, token)) continue;
        std::size_t after = i + token.size();
        if (!followedByBlank || after == text.size() || text[after] == ' ') last = i;
    }
    return last;
}

// Where a phrase between blanks can end at the latest: after the blank that follows the
// last closing mark. The text there ends in a blank, so "$" cannot match early.
std::size_t SpacedPhraseEnd(std::string_view text, std::string_view mark) {
    std::size_t last = LastToken(text, mark, true);
    if (last == npos) return npos;
    return std::min(last + mark.size() + 1, text.size());
}

// The scan loop for a pattern of the form  open (.+?) middle (.+?) close , where every
// part is a mark of ASCII characters. A match needs a middle mark with a closing mark
// after it, each after at least one character; once no opening mark before the last such
// middle mark lies ahead, no further match is possible, and asking the matcher anyway
// would make each remaining opening mark walk to the end of the text in vain. So the
// matcher is shown the text up to the end of the last possible match and asked only while
// an opening mark that can begin a match lies ahead; the rest is copied.
std::string ScanTwoPart(std::string_view pattern, std::string_view text, std::string_view open,
                        std::string_view middle, std::string_view close,
                        const ScanReplacer& replace) {
    // The earliest place for the next mark of the pattern, one character after a mark.
    auto afterNext = [&](std::size_t i, std::string_view mark) {
        std::size_t after = i + mark.size();
        return after < text.size() ? after + CharLength(text, after) : npos;
    };

    if (text.find(open) == npos || text.find(middle) == npos) return std::string(text);
    std::size_t lastClose = LastToken(text, close);
    std::size_t lastMiddle = npos; // the last middle mark with a closing mark after it
    if (lastClose != npos)
        for (std::size_t i = 0; i < lastClose; i += CharLength(text, i))
            if (At(text, i, middle) && afterNext(i, middle) <= lastClose) lastMiddle = i;
    if (lastMiddle == npos) return std::string(text);
    std::size_t lastStart = npos; // the last opening mark with such a middle mark after it
    for (std::size_t i = 0; i < lastMiddle; i += StepForOpening(text, i))
        if (At(text, i, open) && afterNext(i, open) <= lastMiddle) lastStart = i;
    if (lastStart == npos) return std::string(text);
    // No match ends after the first closing mark that follows the last middle mark.
    std::size_t close1 = FirstAfter(text, afterNext(lastMiddle, middle), close);
    std::size_t end = close1 == npos ? text.size() : close1 + close.size();

    std::string_view view = text.substr(0, end);
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t pos = 0;
    while (pos <= lastStart) {
        RegexMatch m = Search(pattern, view, pos);
        if (!m.Found()) break;
        out += view.substr(pos, m.Position() - pos);
        replace(m, out);
        pos = std::min(m.End(), view.size());
    }
    out += text.substr(pos);
    return out;
}

// Bytes the pattern \s matches (ASCII only).
bool IsSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The text of a heading line, as group 1 of "m/^h[123456]\.\s+(.+?)\s*$/k" (empty when it
// does not match): after "hN." and its blanks, the rest without its trailing blanks; of a
// line of blanks only the last blank. Done by hand, since the pattern costs the square of
// the length of a run of blanks inside the text (each blank starts a new try of "\s*$").
std::string_view HeadingText(std::string_view line) {
    if (line.size() < 3) return {};
    // The pattern does not match a line that ends in half a double-byte character.
    std::size_t last = 0;
    for (std::size_t i = 0; i < line.size(); i += CharLength(line, i))
        last = i;
    if (last + 1 == line.size() && IsShiftJisLeadByte(line[last])) return {};
    std::size_t start = 3;
    while (start < line.size() && IsSpaceByte(line[start]))
        ++start;
    if (start == 3) return {};
    if (start == line.size()) return start >= 5 ? line.substr(start - 1) : std::string_view();
    // Blanks at the end count only where the matcher sees characters of their own.
    std::size_t end = start;
    for (std::size_t i = start; i < line.size();) {
        std::size_t n = CharLength(line, i);
        i += n;
        if (n == 2 || !IsSpaceByte(line[i - 1])) end = i;
    }
    return line.substr(start, end - start);
}

std::string Element(std::string_view name, std::string_view content) {
    std::string html;
    html.reserve(content.size() + 2 * name.size() + 5);
    html += '<';
    html += name;
    html += '>';
    html += content;
    html += "</";
    html += name;
    html += '>';
    return html;
}

// A link "text":address; an address that would run script leaves the text alone.
std::string Anchor(std::string_view href, std::string_view text) {
    std::optional<std::string> value = TWikiDocumentConverter::AttributeAddress(href);
    if (!value) return std::string(text);
    return "<a href=\"" + *value + "\">" + std::string(text) + "</a>";
}

// One phrase modifier: the form between blanks, then the bracketed form on its result.
std::string ConvertPhrase(const Phrase& phrase, std::string_view text) {
    std::string spaced = ScanUpTo(phrase.spaced, text, SpacedPhraseEnd(text, phrase.mark),
                                  [&](const RegexMatch& m, std::string& out) {
                                      out += m.Group(1);
                                      out += Element(phrase.element, m.Group(2));
                                      out += m.Group(3);
                                  });
    std::string closing = std::string(phrase.mark) + "]";
    return ScanUpTo(
        phrase.bracketed, spaced, EndOfLast(spaced, closing),
        [&](const RegexMatch& m, std::string& out) { out += Element(phrase.element, m.Group(1)); });
}

} // namespace

std::string TTextileDocumentConverter::ConvertBlocks(std::string_view Text) {
    std::string html;
    std::string current;
    bool inPre = false;

    for (std::string_view line : SplitLines(Text)) {
        NewDepth = 0;
        if (inPre) {
            if (StartsWith(line, "</pre>")) {
                inPre = false;
            } else {
                html += CloseBlock("pre", current);
                html += OpenBlock("pre", current);
                html += EscapeHtml(line);
                html += CRLF;
            }
            continue;
        }

        RegexMatch m;
        if (m = Search(kHeadingPattern, line); m.Found()) {
            int level = m.Group(1)[0] - '0';
            std::string id = NewAnchorId();
            std::string_view text = HeadingText(line);
            std::string tag = "h" + std::to_string(level);
            html += CloseBlock("", current);
            html +=
                "<" + tag + "><a name=\"" + id + "\">" + EscapeHtml(text) + "</a></" + tag + ">";
            html += CRLF;
            Contents.Add(std::string(text), id, level);
        } else if (Search(kTableRowPattern, line).Found()) {
            html += CloseBlock("table", current);
            html += OpenBlock("table", current);
            html += ConvertTableRow(line);
        } else if (Search(kRulePattern, line).Found()) {
            html += "<hr>";
            html += CRLF;
        } else if (StartsWith(line, " ")) {
            html += CloseBlock("pre", current);
            html += OpenBlock("pre", current);
            html += EscapeHtml(line.substr(1));
            html += CRLF;
        } else if (StartsWith(line, "bq. ")) {
            html += CloseBlock("", current);
            html += OpenBlock("blockquote", current);
            html += ConvertInline(line.substr(4));
            html += CRLF;
        } else if ((m = Search(kBulletPattern, line)).Found() ||
                   (m = Search(kNumberPattern, line)).Found()) {
            const std::string tag = line[0] == '*' ? "ul" : "ol";
            int depth = static_cast<int>(m.Group(1).size());
            NewDepth = depth;
            html += CloseBlock(tag, current);
            NestTag = tag;
            html += OpenBlock(tag, current, "list" + std::to_string(depth));
            html += "  <li>" + ConvertInline(line.substr(m.End())) + "</li>";
            html += CRLF;
            Depth = depth;
        } else if (StartsWith(line, "<pre>")) {
            inPre = true;
        } else if (StartsWith(line, "p>. ") || StartsWith(line, "p=. ") ||
                   StartsWith(line, "p. ")) {
            const char* align = line[1] == '>' ? "right" : line[1] == '=' ? "center" : "left";
            html += CloseBlock("", current);
            html += OpenBlock("div", current, align);
            html += ConvertInline(line.substr(line[1] == '.' ? 3 : 4));
            html += CRLF;
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
            html += "<br>";
            html += CRLF;
        }
    }
    html += CloseBlock("", current);
    // The last line of each paragraph keeps no break.
    return ReplaceAll(html, "<br>\r\n</p>", "</p>");
}

std::string TTextileDocumentConverter::ConvertInline(std::string_view Text) {
    // Plug-in calls; everything around them is plain inline text. A call ends at a "}}", so
    // the matcher is shown the text up to the last one; the unmatched text before it and
    // everything after it are one piece of plain text.
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

std::string TTextileDocumentConverter::ConvertInlinePlain(std::string_view Text) {
    // From here on a double quote in the text stands as "&quot;".
    std::string html = ConvertLinks(EscapeHtml(Text));
    html = ConvertInserted(html);
    html = ConvertEmphasis(html);
    html = ConvertStrong(html);
    html = ConvertCitation(html);
    html = ConvertCode(html);
    html = ConvertDeleted(html);
    // The span text is written as it stands: it went through the steps above already.
    return ScanTwoPart(kSpanPattern, html, "%{", "}", "%",
                       [](const RegexMatch& m, std::string& out) {
                           out += "<span style=\"";
                           out += TWikiDocumentConverter::EscapeAttribute(m.Group(1));
                           out += "\">";
                           out += m.Group(2);
                           out += "</span>";
                       });
}

std::string TTextileDocumentConverter::ConvertLinks(std::string_view Text) {
    // "text":address between blanks or line edges; the address ends at the first blank
    // after the colon and at least one character, or at the end of the line. The last
    // colon with a character after it bounds the pass.
    std::size_t quotedEnd = npos;
    std::size_t colon = Text.empty() ? npos : LastToken(Text.substr(0, Text.size() - 1), "&quot;:");
    if (colon != npos) {
        std::size_t blank = FirstAfter(Text, colon + 7 + CharLength(Text, colon + 7), " ");
        quotedEnd = blank == npos ? Text.size() : blank + 1;
    }
    std::string html =
        ScanUpTo(kQuotedLinkPattern, Text, quotedEnd, [](const RegexMatch& m, std::string& out) {
            out += m.Group(1);
            out += Anchor(m.Group(3), m.Group(2));
            out += m.Group(4);
        });
    // ["text":address]
    html = ScanTwoPart(
        kBracketLinkPattern, html, "[&quot;", "&quot;:", "]",
        [](const RegexMatch& m, std::string& out) { out += Anchor(m.Group(2), m.Group(1)); });
    // [[page]] and [[page|text]]
    return ScanUpTo(kPageLinkPattern, html, EndOfLast(html, "]]"),
                    [this](const RegexMatch& m, std::string& out) {
                        std::string_view shown = m.Group(2).empty() ? m.Group(1) : m.Group(2);
                        out += MakePageLink(PageFileOf(m.Group(1)), shown, true);
                    });
}

std::string TTextileDocumentConverter::ConvertInlinePlugin(std::string_view Call) {
    // {{name}} or {{name(arguments)}}.
    RegexMatch m = Search(kPluginPartsPattern, Call);
    if (!m.Found()) return ConvertInlinePlain(Call);
    if (const TPlugin* plugin = FindPlugin(m.Group(1), false))
        return CallPlugin(*plugin, m.Group(3));
    return ConvertInlinePlain(Call);
}

std::string TTextileDocumentConverter::ConvertTableRow(std::string_view Line) {
    std::string html = "<tr>";
    html += CRLF;
    // The line begins and ends with "|": every cell is the text before its next "|".
    std::string_view cells = Line.substr(1);
    std::size_t pos = 0;
    for (RegexMatch m; (m = Search(kCellPattern, cells, pos)).Found();
         pos = std::min(m.End(), cells.size())) {
        std::string_view text = Trim(m.Group(1));
        std::string tag = "td";
        std::string colspan;
        std::string rowspan;
        std::string style;
        // Prefixes, each ending in "." and a blank, until one that means nothing.
        for (RegexMatch p; (p = Search(kCellPrefixPattern, text)).Found();
             text.remove_prefix(std::min(p.End(), text.size()))) {
            std::string_view prefix = p.Group(1);
            RegexMatch span;
            if (prefix == "_.") {
                tag = "th";
            } else if ((span = Search("m/^\\\\(\\d)\\.$/k", prefix)).Found()) {
                colspan = " colspan=\"" + std::string(span.Group(1)) + "\"";
            } else if ((span = Search("m/^\\/(\\d)\\.$/k", prefix)).Found()) {
                rowspan = " rowspan=\"" + std::string(span.Group(1)) + "\"";
            } else if (prefix == "<.") {
                style += "text-align:left; ";
            } else if (prefix == "=.") {
                style += "text-align:center; ";
            } else if (prefix == ">.") {
                style += "text-align:right; ";
            } else {
                break;
            }
        }
        if (!style.empty()) {
            style.pop_back();
            style = " style=\"" + style + "\"";
        }
        html +=
            "  <" + tag + colspan + rowspan + style + ">" + ConvertInline(text) + "</" + tag + ">";
        html += CRLF;
    }
    html += "</tr>";
    html += CRLF;
    return html;
}

std::string TTextileDocumentConverter::ConvertInserted(std::string_view Text) {
    return ConvertPhrase(kInserted, Text);
}

std::string TTextileDocumentConverter::ConvertEmphasis(std::string_view Text) {
    return ConvertPhrase(kEmphasis, Text);
}

std::string TTextileDocumentConverter::ConvertStrong(std::string_view Text) {
    return ConvertPhrase(kStrong, Text);
}

std::string TTextileDocumentConverter::ConvertCitation(std::string_view Text) {
    return ConvertPhrase(kCitation, Text);
}

std::string TTextileDocumentConverter::ConvertCode(std::string_view Text) {
    return ConvertPhrase(kCode, Text);
}

std::string TTextileDocumentConverter::ConvertDeleted(std::string_view Text) {
    return ConvertPhrase(kDeleted, Text);
}

} // namespace tarnel
