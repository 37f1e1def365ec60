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
//
// Speed: each inline rule rewrites the run in place and only where it matches; a rule
// whose marks are missing from the run costs a byte search. Page links and table cells
// are read by hand (the tests hold them against their patterns), and the block patterns
// run only on lines that begin with their first character.
#include "conversion/UTextileDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"

#include <algorithm>
#include <cstring>

namespace tarnel {

namespace {

constexpr std::size_t npos = std::string_view::npos;

const TPattern kPluginCallPattern{"m/^(.*?)({{[^\\x00-\\x20()<>\\x7F-\\xFF]+?.*?}})/k"};
const TPattern kPluginPartsPattern{
    "m/^{{\\s*([^\\x00-\\x20()<>\\x7F-\\xFF]+?)(\\s*?\\((.*?)\\))?}}/k"};

const TPattern kQuotedLinkPattern{"m/(^| )(?:&quot;(.+?)&quot;:(.+?))( |$)/k"};
const TPattern kBracketLinkPattern{"m/\\[(?:&quot;(.+?)&quot;:(.+?))\\]/k"};
const TPattern kSpanPattern{"m/%{(.+?)}(.+?)%/k"};

// Each block pattern begins with a fixed first character, checked before the matcher runs.
const TPattern kHeadingPattern{"m/^h([123456])\\. (.*)/k"};
const TPattern kRulePattern{"m/^-{3,}$/k"};
const TPattern kBulletPattern{"m/^(\\*{1,3}) /k"};
const TPattern kNumberPattern{"m/^(\\#{1,3}) /k"};

// A phrase modifier: its mark, its element and its two patterns.
struct Phrase {
    std::string_view mark;
    std::string_view element;
    std::string_view open;  // "[" and the mark: the bracketed form begins so
    std::string_view close; // the mark and "]": the bracketed form ends so
    TPattern spaced;        // groups: blank or line start, text, blank or line end
    TPattern bracketed;     // group: text
};

// The phrases in the order they are applied, each to the result of the one before.
const Phrase kPhrases[] = {
    {"+", "ins", "[+", "+]", TPattern{"m/(^| )\\+(.*?)\\+( |$)/k"},
     TPattern{"m/\\[\\+(.*?)\\+\\]/k"}},
    {"_", "em", "[_", "_]", TPattern{"m/(^| )_(.*?)_( |$)/k"}, TPattern{"m/\\[_(.*?)_\\]/k"}},
    {"*", "strong", "[*", "*]", TPattern{"m/(^| )\\*(.*?)\\*( |$)/k"},
     TPattern{"m/\\[\\*(.*?)\\*\\]/k"}},
    {"??", "cite", "[??", "??]", TPattern{"m/(^| )\\?{2}(.*?)\\?{2}( |$)/k"},
     TPattern{"m/\\[\\?{2}(.*?)\\?{2}\\]/k"}},
    {"@", "code", "[@", "@]", TPattern{"m/(^| )@(.*?)@( |$)/k"}, TPattern{"m/\\[@(.*?)@\\]/k"}},
    {"-", "del", "[-", "-]", TPattern{"m/(^| )-(.*?)-( |$)/k"}, TPattern{"m/\\[-(.*?)-\\]/k"}},
};
enum PhraseIndex { kInserted, kEmphasis, kStrong, kCitation, kCode, kDeleted };

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

// Whether the ASCII token occurs followed by a blank or the end of the text, reading bytes
// (a superset of the places the matcher sees): a cheap test before walking characters.
bool MayCloseBeforeBlank(std::string_view text, std::string_view token) {
    for (std::size_t p = text.find(token); p != npos; p = text.find(token, p + 1)) {
        std::size_t after = p + token.size();
        if (after == text.size() || text[after] == ' ') return true;
    }
    return false;
}

// Start of the last occurrence of an ASCII token that the matcher sees as characters of
// their own (not inside a double-byte character); npos when there is none. With
// `followedByBlank`, only a token followed by a blank or the end of the text.
std::size_t LastToken(std::string_view text, std::string_view token, bool followedByBlank = false) {
    // Most texts hold no such mark at all, or none in the place asked for.
    if (followedByBlank ? !MayCloseBeforeBlank(text, token) : text.find(token) == npos) return npos;
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

// The scan loop of an inline rule, run on the text in place: the text before each match is
// kept, `replace` writes the match's replacement, and the search goes on after the match.
// Every match ends at or before `bound` (npos when none can end anywhere), so the matcher
// is shown the text only up to there: otherwise each opening mark without a closing one
// after it would walk to the end of the text again, and a long line of them would take
// quadratic time. Searches begin only before `lastStart` (npos: anywhere in the bound).
// The text is rebuilt only when the rule matches; a run it leaves alone is not copied.
template <class Replace>
void ScanInPlace(const TPattern& pattern, std::string& text, std::size_t bound, Replace&& replace,
                 std::size_t lastStart = npos) {
    if (bound == npos) return;
    std::string_view view(text.data(), std::min(bound, text.size()));
    RegexMatch m = Search(pattern, view, 0);
    if (!m.Found()) return;
    std::string out;
    out.reserve(text.size() + text.size() / 4 + 64);
    std::size_t pos = 0;
    for (;;) {
        out.append(view, pos, m.Position() - pos);
        replace(m, out);
        pos = m.End();
        if (m.Length() == 0) { // no inline rule matches empty text; keep moving all the same
            if (pos >= view.size()) break;
            std::size_t n = CharLength(view, pos);
            out.append(view, pos, n);
            pos += n;
        }
        if (pos > view.size() || (lastStart != npos && pos > lastStart)) break;
        m = Search(pattern, view, pos);
        if (!m.Found()) break;
    }
    out.append(text, std::min(pos, text.size()), npos);
    text = std::move(out);
}

// The scan loop for a pattern of the form  open (.+?) middle (.+?) close , where every
// part is a mark of ASCII characters. A match needs a middle mark with a closing mark
// after it, each after at least one character; once no opening mark before the last such
// middle mark lies ahead, no further match is possible, and asking the matcher anyway
// would make each remaining opening mark walk to the end of the text in vain. So the
// matcher is shown the text up to the end of the last possible match and asked only while
// an opening mark that can begin a match lies ahead; the rest is kept as it is.
template <class Replace>
void ScanTwoPart(const TPattern& pattern, std::string& html, std::string_view open,
                 std::string_view middle, std::string_view close, Replace&& replace) {
    std::string_view text = html;
    // The earliest place for the next mark of the pattern, one character after a mark.
    auto afterNext = [&](std::size_t i, std::string_view mark) {
        std::size_t after = i + mark.size();
        return after < text.size() ? after + CharLength(text, after) : npos;
    };

    if (text.find(open) == npos || text.find(middle) == npos) return;
    std::size_t lastClose = LastToken(text, close);
    std::size_t lastMiddle = npos; // the last middle mark with a closing mark after it
    if (lastClose != npos)
        for (std::size_t i = 0; i < lastClose; i += CharLength(text, i))
            if (At(text, i, middle) && afterNext(i, middle) <= lastClose) lastMiddle = i;
    if (lastMiddle == npos) return;
    std::size_t lastStart = npos; // the last opening mark with such a middle mark after it
    for (std::size_t i = 0; i < lastMiddle; i += StepForOpening(text, i))
        if (At(text, i, open) && afterNext(i, open) <= lastMiddle) lastStart = i;
    if (lastStart == npos) return;
    // No match ends after the first closing mark that follows the last middle mark.
    std::size_t close1 = FirstAfter(text, afterNext(lastMiddle, middle), close);
    std::size_t end = close1 == npos ? text.size() : close1 + close.size();
    ScanInPlace(pattern, html, end, replace, lastStart);
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

// Appends <name>content</name>.
void AppendElement(std::string& out, std::string_view name, std::string_view content) {
    out += '<';
    out += name;
    out += '>';
    out += content;
    out += "</";
    out += name;
    out += '>';
}

// A link "text":address; an address that would run script leaves the text alone.
void AppendAnchor(std::string& out, std::string_view href, std::string_view text) {
    std::optional<std::string> value = TWikiDocumentConverter::AttributeAddress(href);
    if (!value) {
        out += text;
        return;
    }
    out += "<a href=\"";
    out += *value;
    out += "\">";
    out += text;
    out += "</a>";
}

// One phrase modifier: the form between blanks, then the bracketed form on its result. A
// run without the phrase's mark in the place either form needs is left as it is.
void ApplyPhrase(const Phrase& phrase, std::string& html) {
    ScanInPlace(phrase.spaced, html, SpacedPhraseEnd(html, phrase.mark),
                [&](const RegexMatch& m, std::string& out) {
                    out += m.Group(1);
                    AppendElement(out, phrase.element, m.Group(2));
                    out += m.Group(3);
                });
    if (html.find(phrase.open) == npos) return;
    ScanInPlace(phrase.bracketed, html, EndOfLast(html, phrase.close),
                [&](const RegexMatch& m, std::string& out) {
                    AppendElement(out, phrase.element, m.Group(1));
                });
}

std::string ConvertPhrase(const Phrase& phrase, std::string_view text) {
    std::string html(text);
    ApplyPhrase(phrase, html);
    return html;
}

// The match of the page-link pattern "\\[\\[(.+?)(?:\\|(.+?))?\\]\\]", that begins at the "[[" at
// text[s], read the way the matcher reads it: the name is the shortest run of characters
// after which either "|", one or more characters and "]]" follow, or "]]" follows; neither
// part crosses a line end. Done by hand: the matcher costs a few thousand instructions for
// each link, and links are most of what some pages hold.
struct TPageLinkMatch {
    std::size_t end = npos;        // end of the match; npos when there is none
    std::size_t nameEnd = npos;    // the name is text[s + 2, nameEnd)
    std::size_t shownStart = npos; // the text shown, [shownStart, shownEnd); npos: the name
    std::size_t shownEnd = npos;
    std::size_t stop = npos; // without a match: the line end (or text end) that stopped it
};

bool ClosesPageLink(std::string_view text, std::size_t i) {
    return text[i] == ']' && i + 1 < text.size() && text[i + 1] == ']';
}

TPageLinkMatch MatchPageLink(std::string_view text, std::size_t s) {
    const std::size_t n = text.size();
    TPageLinkMatch m;
    std::size_t e = s + 2; // the name needs one character
    if (e >= n || text[e] == '\n') {
        m.stop = e;
        return m;
    }
    bool barFailed = false; // a "|" earlier on the line found no "]]" after it
    for (e += CharLength(text, e); e < n && text[e] != '\n'; e += CharLength(text, e)) {
        if (text[e] == '|' && !barFailed) {
            std::size_t f = e + 1; // the shown text needs one character
            if (f < n && text[f] != '\n') {
                for (f += CharLength(text, f); f < n && text[f] != '\n'; f += CharLength(text, f)) {
                    if (ClosesPageLink(text, f)) {
                        m.end = f + 2;
                        m.nameEnd = e;
                        m.shownStart = e + 1;
                        m.shownEnd = f;
                        return m;
                    }
                }
            }
            // A later "|" before the same line end finds no "]]" either.
            barFailed = true;
        }
        if (ClosesPageLink(text, e)) {
            m.end = e + 2;
            m.nameEnd = e;
            return m;
        }
    }
    m.stop = e;
    return m;
}

// Every "<br>" CR LF right before "</p>" dropped, in place. "<" is never the second byte
// of a character, so the places are found byte-wise.
void DropBreaksBeforeParagraphEnds(std::string& html) {
    constexpr std::string_view kBreakEnd = "<br>\r\n</p>";
    std::size_t p = html.find(kBreakEnd);
    if (p == npos) return;
    std::size_t write = p;
    std::size_t read = p;
    while (p != npos) {
        std::memmove(html.data() + write, html.data() + read, p - read);
        write += p - read;
        std::memcpy(html.data() + write, "</p>", 4);
        write += 4;
        read = p + kBreakEnd.size();
        p = html.find(kBreakEnd, read);
    }
    std::memmove(html.data() + write, html.data() + read, html.size() - read);
    html.resize(write + html.size() - read);
}

// Whether the line is a table row, "^\|(.*)\|$": it begins with "|", and its last
// character is another "|" (not the second byte of a double-byte character, which it is
// after an odd run of lead bytes). The row is read once more, cell by cell, to convert it.
bool IsTableRow(std::string_view line) {
    if (line.size() < 2 || line.front() != '|' || line.back() != '|') return false;
    std::size_t leads = 0;
    for (std::size_t i = line.size() - 1; i > 0 && IsShiftJisLeadByte(line[i - 1]); --i)
        ++leads;
    return leads % 2 == 0;
}

// Where the first prefix of a cell's text ends, "^(.+?\.) ": after the first "." that
// follows at least one character and is followed by a blank, on the same line; npos when
// there is none.
std::size_t CellPrefixEnd(std::string_view text) {
    if (text.empty() || text[0] == '\n') return npos;
    for (std::size_t i = CharLength(text, 0); i + 1 < text.size(); i += CharLength(text, i)) {
        if (text[i] == '\n') return npos;
        if (text[i] == '.' && text[i + 1] == ' ') return i + 1;
    }
    return npos;
}

// A colspan ("\N.") or rowspan ("/N.") prefix, `mark` its first character.
bool IsSpanPrefix(std::string_view prefix, char mark) {
    return prefix.size() == 3 && prefix[0] == mark && prefix[1] >= '0' && prefix[1] <= '9' &&
           prefix[2] == '.';
}

// The cell of a table row that starts at `from`: its text up to the next "|" (a character
// of its own, not the second byte of one), and where the next cell starts; npos when no
// "|" follows.
std::size_t CellEnd(std::string_view cells, std::size_t from) {
    for (std::size_t i = from; i < cells.size(); i += CharLength(cells, i))
        if (cells[i] == '|') return i;
    return npos;
}

} // namespace

std::string TTextileDocumentConverter::ConvertBlocks(std::string_view Text) {
    std::string html;
    html.reserve(Text.size() + Text.size() / 2);
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

        // The block patterns are tried only on lines that begin with their first character.
        const char first = line.empty() ? '\0' : line[0];
        RegexMatch m;
        if (first == 'h' && (m = Search(kHeadingPattern, line)).Found()) {
            int level = m.Group(1)[0] - '0';
            std::string id = NewAnchorId();
            std::string_view text = HeadingText(line);
            std::string tag = "h" + std::to_string(level);
            html += CloseBlock("", current);
            html +=
                "<" + tag + "><a name=\"" + id + "\">" + EscapeHtml(text) + "</a></" + tag + ">";
            html += CRLF;
            Contents.Add(std::string(text), id, level);
        } else if (first == '|' && IsTableRow(line)) {
            html += CloseBlock("table", current);
            html += OpenBlock("table", current);
            html += ConvertTableRow(line);
        } else if (first == '-' && Search(kRulePattern, line).Found()) {
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
        } else if ((first == '*' && (m = Search(kBulletPattern, line)).Found()) ||
                   (first == '#' && (m = Search(kNumberPattern, line)).Found())) {
            const std::string tag = line[0] == '*' ? "ul" : "ol";
            int depth = static_cast<int>(m.Group(1).size());
            NewDepth = depth;
            html += CloseBlock(tag, current);
            NestTag = tag;
            html += OpenBlock(tag, current, "list" + std::to_string(depth));
            html += "  <li>";
            html += ConvertInline(line.substr(m.End()));
            html += "</li>";
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
    DropBreaksBeforeParagraphEnds(html);
    return html;
}

std::string TTextileDocumentConverter::ConvertInline(std::string_view Text) {
    // Plug-in calls; everything around them is plain inline text. A call ends at a "}}", so
    // the matcher is shown the text up to the last one; the unmatched text before it and
    // everything after it are one piece of plain text.
    std::size_t end = EndOfLast(Text, "}}");
    if (end == npos) return ConvertInlinePlain(Text);
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
    // From here on a double quote in the text stands as "&quot;". Each rule works on the
    // run in place and leaves it untouched where its marks are missing.
    std::string html = EscapeHtml(Text);
    ApplyLinks(html);
    for (const Phrase& phrase : kPhrases)
        ApplyPhrase(phrase, html);
    // The span text is written as it stands: it went through the steps above already.
    ScanTwoPart(kSpanPattern, html, "%{", "}", "%", [](const RegexMatch& m, std::string& out) {
        out += "<span style=\"";
        out += TWikiDocumentConverter::EscapeAttribute(m.Group(1));
        out += "\">";
        out += m.Group(2);
        out += "</span>";
    });
    return html;
}

std::string TTextileDocumentConverter::ConvertLinks(std::string_view Text) {
    std::string html(Text);
    ApplyLinks(html);
    return html;
}

void TTextileDocumentConverter::ApplyLinks(std::string& html) {
    // "text":address between blanks or line edges; the address ends at the first blank
    // after the colon and at least one character, or at the end of the line. The last
    // colon with a character after it bounds the pass.
    std::string_view text = html;
    std::size_t colon = text.empty() ? npos : LastToken(text.substr(0, text.size() - 1), "&quot;:");
    if (colon != npos) {
        std::size_t blank = FirstAfter(text, colon + 7 + CharLength(text, colon + 7), " ");
        ScanInPlace(kQuotedLinkPattern, html, blank == npos ? text.size() : blank + 1,
                    [](const RegexMatch& m, std::string& out) {
                        out += m.Group(1);
                        AppendAnchor(out, m.Group(3), m.Group(2));
                        out += m.Group(4);
                    });
    }
    // ["text":address]
    ScanTwoPart(
        kBracketLinkPattern, html, "[&quot;", "&quot;:", "]",
        [](const RegexMatch& m, std::string& out) { AppendAnchor(out, m.Group(2), m.Group(1)); });
    // [[page]] and [[page|text]]
    if (html.find("[[") == npos) return;
    std::size_t bound = EndOfLast(html, "]]");
    if (bound == npos) return;
    const std::string_view view(html.data(), bound);
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = 0; i + 1 < view.size();) {
        if (view[i] != '[' || view[i + 1] != '[') {
            i += CharLength(view, i);
            continue;
        }
        TPageLinkMatch m = MatchPageLink(view, i);
        if (m.end == npos) {
            // Every opening before the line end that stopped this one stops there too.
            i = std::max(m.stop, i + 1);
            continue;
        }
        if (out.empty()) out.reserve(html.size() + html.size() / 2 + 64);
        out.append(view, copied, i - copied);
        std::string_view name = view.substr(i + 2, m.nameEnd - i - 2);
        std::string_view shown =
            m.shownStart == npos ? name : view.substr(m.shownStart, m.shownEnd - m.shownStart);
        out += MakePageLink(PageFileOf(name), shown, true);
        copied = i = m.end;
    }
    if (copied == 0) return;
    out.append(html, copied, npos);
    html = std::move(out);
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
    for (std::size_t pos = 0, bar; (bar = CellEnd(cells, pos)) != npos; pos = bar + 1) {
        std::string_view text = Trim(cells.substr(pos, bar - pos));
        std::string tag = "td";
        std::string colspan;
        std::string rowspan;
        std::string style;
        // Prefixes, each ending in "." and a blank, until one that means nothing.
        for (std::size_t end; (end = CellPrefixEnd(text)) != npos; text.remove_prefix(end + 1)) {
            std::string_view prefix = text.substr(0, end);
            if (prefix == "_.") {
                tag = "th";
            } else if (IsSpanPrefix(prefix, '\\')) {
                colspan = " colspan=\"" + std::string(prefix.substr(1, 1)) + "\"";
            } else if (IsSpanPrefix(prefix, '/')) {
                rowspan = " rowspan=\"" + std::string(prefix.substr(1, 1)) + "\"";
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
    return ConvertPhrase(kPhrases[kInserted], Text);
}

std::string TTextileDocumentConverter::ConvertEmphasis(std::string_view Text) {
    return ConvertPhrase(kPhrases[kEmphasis], Text);
}

std::string TTextileDocumentConverter::ConvertStrong(std::string_view Text) {
    return ConvertPhrase(kPhrases[kStrong], Text);
}

std::string TTextileDocumentConverter::ConvertCitation(std::string_view Text) {
    return ConvertPhrase(kPhrases[kCitation], Text);
}

std::string TTextileDocumentConverter::ConvertCode(std::string_view Text) {
    return ConvertPhrase(kPhrases[kCode], Text);
}

std::string TTextileDocumentConverter::ConvertDeleted(std::string_view Text) {
    return ConvertPhrase(kPhrases[kDeleted], Text);
}

} // namespace tarnel
