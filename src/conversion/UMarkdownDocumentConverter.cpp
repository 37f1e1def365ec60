// Markdown notation.
//
// The page is converted by passes over the whole text, each on the result of the one
// before, never line by line. Marker bytes inside the text while it is converted:
//   0x01            at the start of a line a block pass produced; later block passes skip
//                   such lines, and every 0x01 is deleted at the end
//   0x02 N 0x03     a backslash-escaped character, N its byte value in decimal
//   0x04 N 0x05     fragment N: an HTML piece held out of the text (Hold)
// Page text is cleaned of these bytes before the passes (see markdown::CleanPageText).
//
// ConvertBlocks, in this order:
//   1. append one LF unless the text ends with two
//   2. empty the link definitions and the fragments
//   3. hold HTML blocks: "<tag ...>" at a line start up to the last "\n</tag>" of the
//      text (greedy), then once more up to the next "</tag>" (lazy); each block becomes
//      a fragment on a marked line
//   4. protect backslash escapes
//   5. read link definitions "[id]: url "title"" (the line becomes empty)
//   6. BlockPasses on the whole text
//   7. put the fragments back (they nest: a table holds its cells, a cell its links)
//   8. put the escaped characters back
//   9. anchor every <hN> ... </hN> and list it in Contents, in document order
//  10. delete every 0x01
//
// BlockPasses, in this order (recursive for quote bodies and list items):
//   1. tables (after an empty line: header, alignment line, body, then an empty line)
//   2. "#" headings            3. underlined headings ("=" level 1, "-" level 2)
//   4. horizontal rules        5. block quotes (body: BlockPasses)
//   6. lists, nested by ListLevel (each item: BlockPasses)
//   7. fenced code ("```" after an empty line)
//   8. paragraphs              9. indented code (four blanks or a tab)
//  10. a stray "<" and "&" encoded
//  11. when no pass changed the text: SpanPasses of it
//
// SpanPasses, in this order (recursive for emphasis and reference link text):
//   1. code spans (held)       2. hard line breaks (two blanks at a line end)
//   3. links "<http:...>" and "[[page]]" (ConvertLink, held)
//   4. e-mail addresses "<a@b>", every byte a character reference (decimal or hexadecimal,
//      as the address decides)
//   5. inline images ![alt](src "title")     6. inline links [text](href "title")
//   7. reference images ![alt][id]           8. reference links [text][id]
//   9. strong (** or __), then emphasis (* or _)
//
// Speed. Each pass is one left-to-right scan that copies the text between matches. The
// rules are patterns (listed in the header), and most would backtrack without bound on
// some page: a block whose closing part is missing walks to the end of the text for
// every opening, a table followed by a text line tries every way to split its rows, a
// heading full of "#" or blanks retries every position. Those passes use matchers that
// find the same matches as their patterns in linear time, from positions collected once
// per pass (the tests hold each matcher against its pattern). A pass whose marks are
// missing from the text is not run, and a pass that matches nowhere leaves the text as it
// is instead of copying it. The rules that are simple to read (links, heading tags,
// escapes, stray "<" and "&") are read by hand, without the pattern matcher.
#include "conversion/UMarkdownDocumentConverter.h"

#include "text/BRegExp.h"
#include "text/jconvert.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <iterator>

namespace tarnel {

namespace {

constexpr std::size_t npos = std::string_view::npos;

// --- Shift_JIS bytes ------------------------------------------------------------------------

bool IsLeadByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Bytes of the character at text[pos]. Every byte below 0x40 is a character of its own and
// never the second byte of one, so line ends, blanks and most marks are found byte-wise;
// "[", "]", "`", "_", "|" and "@" can be second bytes and are looked for character-wise.
std::size_t CharLength(std::string_view text, std::size_t pos) {
    return IsLeadByte(text[pos]) && pos + 1 < text.size() ? 2 : 1;
}

// A set of ASCII marks a rule looks for.
struct TMarkSet {
    explicit constexpr TMarkSet(std::string_view marks) {
        for (char c : marks)
            in[static_cast<unsigned char>(c)] = true;
    }
    std::array<bool, 256> in{};
};

// Whether a character starts at text[i], for a byte that is no lead byte: the lead bytes
// right before it pair up from the last byte that is none (which always ends a
// character), so it starts one after an even run of them.
bool StartsCharacter(std::string_view text, std::size_t i) {
    std::size_t k = 0;
    while (k < i && IsLeadByte(text[i - k - 1]))
        ++k;
    return k % 2 == 0;
}

// Calls f(i, c) for every character of the text that is one of the marks, in order: what
// a walk over every character would find, found with a table look-up per byte. Each
// look back stops at the mark before, so the whole costs one pass.
template <class F> void ForEachMark(std::string_view text, const TMarkSet& marks, F&& f) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (marks.in[bytes[i]] && StartsCharacter(text, i)) f(i, text[i]);
}

// The marks each span matcher collects.
constexpr TMarkSet kCodeSpanMarks{"\n`"};
constexpr TMarkSet kLinkMarks{"\n<[]"};
constexpr TMarkSet kEmailMarks{"<@>\n"};
constexpr TMarkSet kInlineLinkMarks{"\n[!]\")"};
constexpr TMarkSet kReferenceMarks{"\n[!]"};
constexpr TMarkSet kEmphasisMarks{"\n*_"};

bool IsSpace(char c) // \s
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsListMark(char c) {
    return c == '*' || c == '+' || c == '-';
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

// First position of c in [from, to), or npos.
std::size_t FindIn(std::string_view text, char c, std::size_t from, std::size_t to) {
    if (from >= to) return npos;
    const void* p = std::memchr(text.data() + from, c, to - from);
    return p ? static_cast<std::size_t>(static_cast<const char*>(p) - text.data()) : npos;
}

// End of the line holding `from`: its LF, or the end of the text.
std::size_t LineEnd(std::string_view text, std::size_t from) {
    std::size_t p = from < text.size() ? text.find('\n', from) : npos;
    return p == npos ? text.size() : p;
}

std::size_t FirstAtOrAfter(const std::vector<std::size_t>& positions, std::size_t from) {
    auto it = std::lower_bound(positions.begin(), positions.end(), from);
    return it == positions.end() ? npos : *it;
}

std::size_t LineEndAt(const std::vector<std::size_t>& newlines, std::size_t from,
                      std::size_t size) {
    std::size_t p = FirstAtOrAfter(newlines, from);
    return p == npos ? size : p;
}

// Whether a "|" character stands in the line text[from, to) (from a line start).
bool HasPipe(std::string_view text, std::size_t from, std::size_t to) {
    for (std::size_t p = FindIn(text, '|', from, to); p != npos; p = FindIn(text, '|', p + 1, to))
        if (StartsCharacter(text, p)) return true;
    return false;
}

// The one rule still run by the pattern matcher, compiled once and kept.
const TPattern kHardBreakPattern{markdown::kHardBreak};

// The tags of held HTML blocks, in the order the pattern tries them ("pre" before "p").
constexpr std::string_view kBlockTags[] = {
    "address", "blockquote", "center", "div", "dl",       "fieldset", "form", "h1", "h2",    "h3",
    "h4",      "h5",         "h6",     "hr",  "noframes", "ol",       "pre",  "p",  "table", "ul"};
constexpr std::size_t kBlockTagCount = std::size(kBlockTags);

// The tag whose closing "</tag>" stands at text[pos], or npos.
std::size_t ClosingTagAt(std::string_view text, std::size_t pos) {
    if (pos + 3 >= text.size() || text[pos + 1] != '/') return npos;
    for (std::size_t tag = 0; tag < kBlockTagCount; ++tag) {
        std::string_view name = kBlockTags[tag];
        std::size_t close = pos + 2 + name.size();
        if (close < text.size() && text[close] == '>' &&
            EqualsNoCase(text.substr(pos + 2, name.size()), name))
            return tag;
    }
    return npos;
}

// A list marker "[ ]{0,N}(?:[\*+\-]|[0-9]+\.)[ \t]+" at `at`, followed by at least one
// more character. markEnd is where the blanks start, content where the item text starts;
// when the blanks reach the end of the text the last blank is the content (the pattern
// gives one blank back). Both npos when there is no marker.
struct TListMarker {
    std::size_t markEnd = npos;
    std::size_t content = npos;
};

TListMarker ListMarkerAt(std::string_view text, std::size_t at, std::size_t maxIndent) {
    const std::size_t n = text.size();
    std::size_t x = at;
    while (x < n && x - at < maxIndent && text[x] == ' ')
        ++x;
    if (x >= n) return {};
    std::size_t y;
    if (IsListMark(text[x])) {
        y = x + 1;
    } else if (IsDigit(text[x])) {
        y = x;
        while (y < n && IsDigit(text[y]))
            ++y;
        if (y >= n || text[y] != '.') return {};
        ++y;
    } else {
        return {};
    }
    if (y + 1 >= n || !IsBlank(text[y])) return {};
    std::size_t z = y;
    while (z < n && IsBlank(text[z]))
        ++z;
    return {y, z < n ? z : n - 1};
}

// "[ ]*([\*+\-]|[0-9]\.)[ \t]+." at `at`: a line that keeps a list going over one empty line.
bool ContinuesList(std::string_view text, std::size_t at) {
    const std::size_t n = text.size();
    std::size_t x = at;
    while (x < n && text[x] == ' ')
        ++x;
    if (x >= n) return false;
    std::size_t y;
    if (IsListMark(text[x]))
        y = x + 1;
    else if (IsDigit(text[x]) && x + 1 < n && text[x + 1] == '.')
        y = x + 2;
    else
        return false;
    return y + 1 < n && IsBlank(text[y]) && text[y + 1] != '\n';
}

// "(?:[\*+\-]|[0-9]+\.)" at `at`: a line that starts the next list item.
bool StartsItem(std::string_view text, std::size_t at) {
    const std::size_t n = text.size();
    if (at >= n) return false;
    if (IsListMark(text[at])) return true;
    std::size_t d = at;
    while (d < n && IsDigit(text[d]))
        ++d;
    return d > at && d < n && text[d] == '.';
}

} // namespace

namespace markdown {

// --- TRuleMatch -----------------------------------------------------------------------------

TRuleMatch::TRuleMatch(std::string_view text, int groups)
    : text_(text), groups_(static_cast<std::size_t>(groups), {npos, npos}) {}

TRuleMatch TRuleMatch::FromRegex(std::string_view text, const RegexMatch& match) {
    TRuleMatch result(text, match.GroupCount());
    for (int i = 0; i < match.GroupCount(); ++i) {
        if (!match.Matched(i)) continue;
        std::string_view g = match.Group(i);
        auto begin = static_cast<std::size_t>(g.data() - text.data());
        result.Set(i, begin, begin + g.size());
    }
    return result;
}

bool TRuleMatch::Matched(int i) const {
    return i >= 0 && static_cast<std::size_t>(i) < groups_.size() &&
           groups_[static_cast<std::size_t>(i)].first != npos;
}

std::string_view TRuleMatch::Group(int i) const {
    if (!Matched(i)) return {};
    const auto& g = groups_[static_cast<std::size_t>(i)];
    return text_.substr(g.first, g.second - g.first);
}

void TRuleMatch::Set(int i, std::size_t begin, std::size_t end) {
    groups_[static_cast<std::size_t>(i)] = {begin, end};
}

// --- Block matchers -------------------------------------------------------------------------

// kHtmlBlockGreedy / kHtmlBlockLazy. An opening "<tag" at a line start, its first ">" on
// that line, then the last "\n</tag>" of the text (greedy) or the next "</tag>" (lazy).
// The closings are collected once, so an opening without one costs only its line.
THtmlBlockMatcher::THtmlBlockMatcher(std::string_view text, bool greedy)
    : text_(text), greedy_(greedy), lastClosing_(kBlockTagCount, npos),
      closings_(greedy ? 0 : kBlockTagCount) {
    for (std::size_t p = text.find("</"); p != npos; p = text.find("</", p + 1)) {
        std::size_t tag = ClosingTagAt(text, p);
        if (tag == npos) continue;
        if (!greedy)
            closings_[tag].push_back(p);
        else if (p > 0 && text[p - 1] == '\n')
            lastClosing_[tag] = p - 1;
    }
}

TRuleMatch THtmlBlockMatcher::Find(std::size_t from) const {
    for (std::size_t s = from; s < text_.size();) {
        if (text_[s] == '<') {
            if (TRuleMatch m = At(s); m.Found()) return m;
        }
        std::size_t nl = text_.find('\n', s);
        if (nl == npos) break;
        s = nl + 1;
    }
    return {};
}

TRuleMatch THtmlBlockMatcher::At(std::size_t s) const {
    const std::size_t n = text_.size();
    const std::size_t eol = LineEnd(text_, s);
    for (std::size_t tag = 0; tag < kBlockTagCount; ++tag) {
        std::string_view name = kBlockTags[tag];
        std::size_t nameEnd = s + 1 + name.size();
        if (nameEnd > eol || !EqualsNoCase(text_.substr(s + 1, name.size()), name)) continue;
        std::size_t gt = FindIn(text_, '>', nameEnd, eol);
        if (gt == npos) continue;
        std::size_t closing = name.size() + 3; // "</" name ">"
        std::size_t end;
        if (greedy_) {
            std::size_t nl = lastClosing_[tag];
            if (nl == npos || nl < gt + 1) continue;
            end = nl + 1 + closing;
        } else {
            std::size_t c = FirstAtOrAfter(closings_[tag], gt + 1);
            if (c == npos) continue;
            end = c + closing;
        }
        if (end < n && text_[end] == '\n') ++end;
        TRuleMatch m(text_, 2);
        m.Set(0, s, end);
        m.Set(1, s + 1, nameEnd);
        return m;
    }
    return {};
}

// kLinkDefinition, line by line.
TRuleMatch TLinkDefinitionMatcher::Find(std::size_t from) const {
    for (std::size_t s = from; s < text_.size();) {
        if (text_[s] != '\x01') {
            if (TRuleMatch m = At(s); m.Found()) return m;
        }
        std::size_t nl = text_.find('\n', s);
        if (nl == npos) break;
        s = nl + 1;
    }
    return {};
}

TRuleMatch TLinkDefinitionMatcher::At(std::size_t s) const {
    const std::size_t n = text_.size();
    std::size_t open = s;
    while (open < n && open - s < 3 && text_[open] == ' ')
        ++open;
    if (open >= n || text_[open] != '[') return {};
    std::size_t nl = text_.find('\n', open);
    if (nl == npos) return {};
    // The id runs to the first "]:" after which the rest of the line fits.
    std::size_t idStart = open + 1;
    for (std::size_t j = idStart; j < nl; j += CharLength(text_, j)) {
        if (j > idStart && text_[j] == ']' && j + 1 < nl && text_[j + 1] == ':') {
            if (TRuleMatch m = Rest(s, idStart, j, nl); m.Found()) return m;
        }
    }
    return {};
}

TRuleMatch TLinkDefinitionMatcher::Rest(std::size_t s, std::size_t idStart, std::size_t idEnd,
                                        std::size_t nl) const {
    // "[ \t]+<?(.+?)>?": at least one blank, then the address; the blanks and the "<" give
    // back one character when nothing else is left for the address.
    std::size_t r = idEnd + 2;
    std::size_t t = r;
    while (t < nl && IsBlank(text_[t]))
        ++t;
    if (t == r) return {};
    std::size_t url;
    if (t < nl)
        url = text_[t] == '<' && t + 1 < nl ? t + 1 : t;
    else if (t - r >= 2)
        url = t - 1;
    else
        return {};

    // The title '"(.*)"' runs to the last quote of the line.
    std::size_t lastQuote = npos;
    for (std::size_t q = nl; q > url; --q) {
        if (text_[q - 1] == '"') {
            lastQuote = q - 1;
            break;
        }
    }
    std::size_t blankFrom = npos, blankTo = npos; // the blank run last measured
    for (std::size_t e = url + 1; e <= nl; ++e) {
        std::size_t after = e < nl && text_[e] == '>' ? e + 1 : e;
        std::size_t f = after;
        if (after < nl && IsBlank(text_[after])) {
            if (!(after >= blankFrom && after < blankTo)) {
                blankFrom = blankTo = after;
                while (blankTo < nl && IsBlank(text_[blankTo]))
                    ++blankTo;
            }
            f = blankTo;
        }
        bool titled = f < nl && text_[f] == '"' && lastQuote != npos && lastQuote > f;
        if (!titled && after != nl) continue;
        TRuleMatch m(text_, 4);
        m.Set(0, s, nl + 1);
        m.Set(1, idStart, idEnd);
        m.Set(2, url, e);
        if (titled) m.Set(3, f + 1, lastQuote);
        return m;
    }
    return {};
}

// kTable. Only the longest run of body rows can be followed by an empty line, so the rows
// are read once; the pattern itself tries every split of every row when a text line follows.
TRuleMatch TTableMatcher::Find(std::size_t from) const {
    for (std::size_t p = text_.find('\n', from); p != npos; p = text_.find('\n', p + 1)) {
        if (p == from) {
            if (TRuleMatch m = At(p, p + 1); m.Found()) return m;
        }
        if (p + 1 < text_.size() && text_[p + 1] == '\n') {
            if (TRuleMatch m = At(p, p + 2); m.Found()) return m;
        }
    }
    return {};
}

TRuleMatch TTableMatcher::At(std::size_t p, std::size_t h) const {
    const std::size_t n = text_.size();
    std::size_t headerEnd = h < n ? text_.find('\n', h) : npos;
    if (headerEnd == npos || !HasPipe(text_, h, headerEnd)) return {};
    std::size_t a = headerEnd + 1;
    std::size_t alignEnd = a < n ? text_.find('\n', a) : npos;
    if (alignEnd == npos || alignEnd - a < 2) return {};
    if (text_[a] != '|' && text_[a] != ':' && text_[a] != '-') return {};
    for (std::size_t i = a; i < alignEnd; ++i) {
        char c = text_[i];
        if (c != ' ' && c != '|' && c != ':' && c != '-') return {};
    }
    std::size_t body = alignEnd + 1;
    std::size_t z = body;
    while (z < n) {
        std::size_t nl = text_.find('\n', z);
        if (nl == npos || !HasPipe(text_, z, nl)) break;
        z = nl + 1;
    }
    if (z == body || (z < n && text_[z] != '\n')) return {};
    TRuleMatch m(text_, 4);
    m.Set(0, p, z);
    m.Set(1, h, headerEnd);
    m.Set(2, a, alignEnd);
    m.Set(3, body, z);
    return m;
}

// kHashHeading. The blanks before the title stay on the line (a "#" line without a title
// must not take the next paragraph as its title), but the trailing "\s*" takes line ends,
// so the match may swallow empty lines after it; the trailing "\s*#*$" is decided once per
// run of blanks or "#" instead of once per position inside it.
TRuleMatch THashHeadingMatcher::Find(std::size_t from) const {
    for (std::size_t s = from; s < text_.size();) {
        if (text_[s] == '#') return At(s);
        std::size_t nl = text_.find('\n', s);
        if (nl == npos) break;
        s = nl + 1;
    }
    return {};
}

TRuleMatch THashHeadingMatcher::At(std::size_t s) const {
    const std::size_t n = text_.size();
    std::size_t level = 0;
    while (level < 6 && s + level < n && text_[s + level] == '#')
        ++level;
    std::size_t a = s + level;
    while (a < n && IsSpace(text_[a]) && text_[a] != '\n')
        ++a;
    std::size_t e = a, end = n;
    while (e < n) {
        char c = text_[e];
        if (IsSpace(c)) {
            // "\s*" then "#*" then the line end; failing that, the last LF inside the blanks.
            std::size_t r = e, lastLf = npos;
            for (; r < n && IsSpace(text_[r]); ++r)
                if (text_[r] == '\n') lastLf = r;
            std::size_t h = r;
            while (h < n && text_[h] == '#')
                ++h;
            if (h == n || text_[h] == '\n') {
                end = h;
                break;
            }
            if (lastLf != npos) {
                end = lastLf;
                break;
            }
            e = r;
        } else if (c == '#') {
            std::size_t h = e;
            while (h < n && text_[h] == '#')
                ++h;
            if (h == n || text_[h] == '\n') {
                end = h;
                break;
            }
            e = h;
        } else {
            e += CharLength(text_, e);
        }
    }
    if (e >= n) e = end = n;
    TRuleMatch m(text_, 3);
    m.Set(0, s, end);
    m.Set(1, s, s + level);
    m.Set(2, a, e);
    return m;
}

// kUnderlinedHeading.
TRuleMatch TUnderlinedHeadingMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    for (std::size_t s = from; s < n;) {
        std::size_t nl = text_.find('\n', s);
        if (nl == npos) break;
        if (text_[s] != '\x01' && text_[s] != '\n' && nl + 1 < n) {
            std::size_t u = nl + 1;
            std::size_t nl2 = text_.find('\n', u);
            if (nl2 != npos && nl2 > u &&
                std::all_of(text_.begin() + static_cast<std::ptrdiff_t>(u),
                            text_.begin() + static_cast<std::ptrdiff_t>(nl2),
                            [](char c) { return c == '=' || c == '-'; })) {
                TRuleMatch m(text_, 3);
                m.Set(0, s, nl2 + 1);
                m.Set(1, s, nl);
                m.Set(2, nl2 - 1, nl2);
                return m;
            }
        }
        s = nl + 1;
    }
    return {};
}

// kRule. The pattern keeps a backtracking point per mark, which runs out on a long line.
TRuleMatch TRuleLineMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    for (std::size_t s = from; s < n;) {
        std::size_t t = s;
        while (t < n && t - s < 3 && text_[t] == ' ')
            ++t;
        if (t < n && (text_[t] == '*' || text_[t] == '-' || text_[t] == '_')) {
            char mark = text_[t];
            std::size_t u = t, count = 0;
            while (u < n && text_[u] == mark) {
                ++u;
                ++count;
                if (u < n && text_[u] == ' ') ++u;
            }
            while (u < n && IsBlank(text_[u]))
                ++u;
            if (count >= 3 && u < n && text_[u] == '\n') {
                TRuleMatch m(text_, 1);
                m.Set(0, s, u + 1);
                return m;
            }
        }
        std::size_t nl = text_.find('\n', s);
        if (nl == npos) break;
        s = nl + 1;
    }
    return {};
}

// kBlockQuote: a ">" line, then non-empty lines, and empty lines only before a ">" line
// with text.
TRuleMatch TBlockQuoteMatcher::Find(std::size_t from) const {
    for (std::size_t s = from; s < text_.size();) {
        if (text_[s] == '>') {
            if (TRuleMatch m = At(s); m.Found()) return m;
        }
        std::size_t nl = text_.find('\n', s);
        if (nl == npos) break;
        s = nl + 1;
    }
    return {};
}

TRuleMatch TBlockQuoteMatcher::At(std::size_t s) const {
    const std::size_t n = text_.size();
    std::size_t nl = text_.find('\n', s);
    if (nl == npos) return {};
    std::size_t u = nl + 1;
    while (u < n) {
        if (text_[u] != '\n') {
            std::size_t e = text_.find('\n', u);
            if (e == npos) break;
            u = e + 1;
            continue;
        }
        std::size_t v = u;
        while (v < n && text_[v] == '\n')
            ++v;
        if (v >= n || text_[v] != '>') break;
        std::size_t e = text_.find('\n', v);
        if (e == npos || e < v + 2) break;
        u = e + 1;
    }
    TRuleMatch m(text_, 3);
    m.Set(0, s, u);
    m.Set(1, s, u);
    return m;
}

// kOuterList / kInnerList. The list runs lazily to the end of the text or to an empty line
// that is not followed by another marker line; the pattern would keep a backtracking
// point per byte of the list.
TRuleMatch TListMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    if (from > n) return {};
    std::size_t p = from;
    if (p == n || text_[p] != '\n') {
        if (TRuleMatch m = At(p, p); m.Found()) return m; // "\A" without a line end
        p = text_.find('\n', p);
    }
    while (p != npos) {
        if (outermost_) {
            std::size_t r = p;
            while (r < n && text_[r] == '\n')
                ++r;
            if (r - p >= 2) {
                if (TRuleMatch m = At(p, r); m.Found()) return m;
            } else if (p == from) {
                if (TRuleMatch m = At(p, p + 1); m.Found()) return m;
            }
            // Later starts inside the same run of line ends reach the same marker.
            p = r < n ? text_.find('\n', r) : npos;
        } else {
            if (TRuleMatch m = At(p, p + 1); m.Found()) return m;
            p = text_.find('\n', p + 1);
        }
    }
    return {};
}

TRuleMatch TListMatcher::At(std::size_t p, std::size_t marker) const {
    const std::size_t n = text_.size();
    std::size_t content = ListMarkerAt(text_, marker, 3).content;
    if (content == npos) return {};
    std::size_t e = n;
    for (std::size_t lf = text_.find('\n', content + 1); lf != npos;
         lf = text_.find('\n', lf + 1)) {
        if (lf + 1 == n) { // "\Z" before the final line end
            e = lf;
            break;
        }
        if (text_[lf + 1] != '\n') continue;
        std::size_t run = 2;
        while (lf + run < n && text_[lf + run] == '\n')
            ++run;
        if (run >= 3 || !ContinuesList(text_, lf + 2)) {
            e = lf;
            break;
        }
    }
    TRuleMatch m(text_, 4);
    m.Set(0, p, e);
    m.Set(1, p, marker);
    m.Set(2, marker, e);
    return m;
}

// kListItem: an item runs to the next line that starts with a marker in column 1.
TRuleMatch TListItemMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    std::size_t p = from;
    while (p < n) {
        char c = text_[p];
        std::size_t indent = p, marker = p; // "\n*" then "[ ]*"
        if (c == '\n' || c == ' ') {
            while (indent < n && text_[indent] == '\n')
                ++indent;
            marker = indent;
            while (marker < n && text_[marker] == ' ')
                ++marker;
        } else if (!IsListMark(c) && !IsDigit(c)) {
            p += CharLength(text_, p);
            continue;
        }
        TListMarker mark = ListMarkerAt(text_, marker, 0);
        if (mark.content != npos) {
            std::size_t e = n;
            for (std::size_t lf = text_.find('\n', mark.content + 1); lf != npos;
                 lf = text_.find('\n', lf + 1)) {
                if (lf + 1 == n || StartsItem(text_, lf + 1)) {
                    e = lf;
                    break;
                }
            }
            TRuleMatch m(text_, 4);
            m.Set(0, p, e);
            m.Set(1, indent, mark.markEnd);
            m.Set(2, mark.content, e);
            return m;
        }
        // Every start before the marker reaches the same marker; digits share their ".".
        if (marker > p) {
            p = marker;
        } else if (IsDigit(c)) {
            while (p < n && IsDigit(text_[p]))
                ++p;
        } else {
            ++p;
        }
    }
    return {};
}

// kFencedCode. The closing fences are collected once: an opening fence without one costs
// only its line.
TFencedCodeMatcher::TFencedCodeMatcher(std::string_view text) : text_(text) {
    for (std::size_t p = text.find("\n```\n"); p != npos; p = text.find("\n```\n", p + 1))
        if (p + 5 == text.size() || text[p + 5] == '\n') closings_.push_back(p);
}

TRuleMatch TFencedCodeMatcher::Find(std::size_t from) const {
    for (std::size_t p = text_.find('\n', from); p != npos; p = text_.find('\n', p + 1)) {
        if (p == from) {
            if (TRuleMatch m = At(p, p + 1); m.Found()) return m;
        }
        if (p + 1 < text_.size() && text_[p + 1] == '\n') {
            if (TRuleMatch m = At(p, p + 2); m.Found()) return m;
        }
    }
    return {};
}

TRuleMatch TFencedCodeMatcher::At(std::size_t p, std::size_t fence) const {
    const std::size_t n = text_.size();
    if (fence + 3 > n || text_.compare(fence, 3, "```") != 0) return {};
    std::size_t nl = text_.find('\n', fence + 3);
    if (nl == npos) return {};
    std::size_t code = nl;
    while (code < n && text_[code] == '\n')
        ++code;
    std::size_t close = FirstAtOrAfter(closings_, code);
    if (close == npos) {
        // Giving back one of the empty lines lets an empty block close at once.
        bool closesAtOnce = code - nl >= 2 && text_.compare(code - 1, 5, "\n```\n") == 0 &&
                            (code + 4 == n || text_[code + 4] == '\n');
        if (!closesAtOnce) return {};
        close = code = code - 1;
    }
    TRuleMatch m(text_, 4);
    m.Set(0, p, close + 4);
    m.Set(1, p, fence);
    m.Set(2, code, close);
    return m;
}

// kParagraph. A run of lines that is followed neither by an empty line nor by a converted
// line fails for every line in it, so the search goes on at the line that stopped the run.
TRuleMatch TParagraphMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    std::size_t s = from;
    while (s < n) {
        char c = text_[s];
        bool indented = c == '\t' || text_.compare(s, 4, "    ") == 0;
        if (c != '\x01' && c != '\n' && !indented) {
            std::size_t nl = text_.find('\n', s);
            if (nl == npos) return {};
            std::size_t u = nl + 1;
            while (u < n) {
                std::size_t e = text_.find('\n', u);
                if (e == npos || e == u || FindIn(text_, '\x01', u, e) != npos) break;
                u = e + 1;
            }
            if (u == n || text_[u] == '\n' || text_[u] == '\x01') {
                TRuleMatch m(text_, 3);
                m.Set(0, s, u);
                m.Set(1, s, u);
                m.Set(2, u, u);
                return m;
            }
            s = u;
            continue;
        }
        std::size_t nl = text_.find('\n', s);
        if (nl == npos) break;
        s = nl + 1;
    }
    return {};
}

// kIndentedCode.
TRuleMatch TIndentedCodeMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    auto indented = [&](std::size_t at) {
        return text_[at] == '\t' || text_.compare(at, 4, "    ") == 0;
    };
    for (std::size_t s = from; s < n;) {
        if (indented(s)) {
            std::size_t u = s;
            while (u < n && indented(u)) {
                std::size_t e = text_.find('\n', u);
                u = e == npos ? n : e + 1;
            }
            TRuleMatch m(text_, 2);
            m.Set(0, s, u);
            m.Set(1, s, u);
            return m;
        }
        std::size_t nl = text_.find('\n', s);
        if (nl == npos) break;
        s = nl + 1;
    }
    return {};
}

// --- Span matchers --------------------------------------------------------------------------

// kCodeSpan. The closing run must be as long as the opening one, on the same line (or on
// the next, when the code starts with a line end). For each line the longest run from
// every run onwards is known, so an opening without a closing is refused at once.
TCodeSpanMatcher::TCodeSpanMatcher(std::string_view text) : text_(text) {
    std::vector<std::size_t> runLine;
    std::size_t line = 0;
    ForEachMark(text, kCodeSpanMarks, [&](std::size_t i, char c) {
        if (c == '\n') {
            newlines_.push_back(i);
            ++line;
        } else if (c == '`') {
            if (!runStart_.empty() && runStart_.back() + runLength_.back() == i) {
                ++runLength_.back();
            } else {
                runStart_.push_back(i);
                runLength_.push_back(1);
                runLine.push_back(line);
            }
        }
    });
    runBest_.resize(runStart_.size());
    for (std::size_t r = runStart_.size(); r-- > 0;) {
        runBest_[r] = runLength_[r];
        if (r + 1 < runStart_.size() && runLine[r + 1] == runLine[r])
            runBest_[r] = std::max(runBest_[r], runBest_[r + 1]);
    }
}

TRuleMatch TCodeSpanMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    auto first = std::lower_bound(runStart_.begin(), runStart_.end(), from);
    std::size_t r = static_cast<std::size_t>(first - runStart_.begin());
    if (r > 0 && runStart_[r - 1] + runLength_[r - 1] > from) --r;
    for (; r < runStart_.size(); ++r) {
        std::size_t start = std::max(runStart_[r], from);
        std::size_t end = runStart_[r] + runLength_[r];
        if (end >= n) continue;
        std::size_t after = end + CharLength(text_, end); // after the first code character
        std::size_t lineEnd = LineEndAt(newlines_, after, n);
        auto next = std::lower_bound(runStart_.begin(), runStart_.end(), after);
        std::size_t q = static_cast<std::size_t>(next - runStart_.begin());
        std::size_t best = q < runStart_.size() && runStart_[q] < lineEnd ? runBest_[q] : 0;
        if (best == 0) continue;
        // An opening of k backticks at i (k = end - i) needs a run of k further on; the
        // first opening with such a run is the longest one the run allows. The code ends at
        // the first run of at least k backticks (its first k close it).
        const std::size_t i = std::max(start, end - std::min(best, end));
        const std::size_t k = end - i;
        for (std::size_t c = q; c < runStart_.size() && runStart_[c] < lineEnd; ++c) {
            if (runLength_[c] < k) continue;
            TRuleMatch m(text_, 3);
            m.Set(0, i, runStart_[c] + k);
            m.Set(1, i, end);
            m.Set(2, end, runStart_[c]);
            return m;
        }
    }
    return {};
}

// kLink: "<scheme:" and characters up to the first blank, control byte, bracket or
// parenthesis, which must be ">"; or "[[", at least one character and the first "]]" after
// it on the line. Read by hand: the matcher costs a few thousand instructions a link, and
// links are most of what some pages hold. "[[" needs a "]]" further on its line.
TLinkMatcher::TLinkMatcher(std::string_view text) : text_(text) {
    ForEachMark(text, kLinkMarks, [&](std::size_t i, char c) {
        bool doubled = i + 1 < text.size() && text[i + 1] == c;
        if (c == '\n')
            newlines_.push_back(i);
        else if (c == '<' || (c == '[' && doubled))
            candidates_.push_back(i);
        else if (c == ']' && doubled)
            closings_.push_back(i);
    });
}

TRuleMatch TLinkMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    for (auto it = std::lower_bound(candidates_.begin(), candidates_.end(), from);
         it != candidates_.end(); ++it) {
        std::size_t i = *it;
        if (text_[i] == '[') {
            std::size_t name = i + 2;
            if (name >= n) continue;
            if (text_[name] == '\n') continue;
            std::size_t c = FirstAtOrAfter(closings_, name + CharLength(text_, name));
            if (c == npos || c >= LineEndAt(newlines_, name, n)) continue;
            return Link(i, c + 2);
        }
        std::size_t end = AddressLinkEnd(i);
        if (end != npos) return Link(i, end);
    }
    return {};
}

TRuleMatch TLinkMatcher::Link(std::size_t start, std::size_t end) const {
    TRuleMatch m(text_, 7);
    m.Set(0, start, end);
    m.Set(1, start, end);
    return m;
}

std::size_t TLinkMatcher::AddressLinkEnd(std::size_t at) const {
    const std::size_t n = text_.size();
    std::size_t p = at + 1;
    bool scheme = false;
    for (std::string_view name : {"http:", "https:", "ftp:", "file:"}) {
        if (text_.compare(p, name.size(), name) == 0) {
            p += name.size();
            scheme = true;
            break;
        }
    }
    if (!scheme) return npos;
    // [^\x00-\x20()<>\x7F]*: a double-byte character is none of those.
    while (p < n) {
        auto b = static_cast<unsigned char>(text_[p]);
        std::size_t len = CharLength(text_, p);
        if (len == 1 && (b <= 0x20 || b == '(' || b == ')' || b == '<' || b == '>' || b == 0x7F))
            break;
        p += len;
    }
    return p < n && text_[p] == '>' ? p + 1 : npos;
}

// kEmail: "<", optionally "mailto:", at least one character, "@", at least one character,
// ">", on one line. The first "@" decides: if no ">" follows it, none follows a later one.
TEmailMatcher::TEmailMatcher(std::string_view text) : text_(text) {
    ForEachMark(text, kEmailMarks, [&](std::size_t i, char c) {
        switch (c) {
        case '<':
            less_.push_back(i);
            break;
        case '@':
            at_.push_back(i);
            break;
        case '>':
            greater_.push_back(i);
            break;
        case '\n':
            newlines_.push_back(i);
            break;
        default:
            break;
        }
    });
}

TRuleMatch TEmailMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    for (auto it = std::lower_bound(less_.begin(), less_.end(), from); it != less_.end(); ++it) {
        std::size_t i = *it;
        std::size_t lineEnd = LineEndAt(newlines_, i, n);
        if (i + 8 <= n && EqualsNoCase(text_.substr(i + 1, 7), "mailto:")) {
            if (TRuleMatch m = Try(i, i + 8, lineEnd); m.Found()) return m;
        }
        if (TRuleMatch m = Try(i, i + 1, lineEnd); m.Found()) return m;
    }
    return {};
}

TRuleMatch TEmailMatcher::Try(std::size_t start, std::size_t inner, std::size_t lineEnd) const {
    std::size_t at = FirstAtOrAfter(at_, inner + 1);
    if (at == npos || at >= lineEnd) return {};
    std::size_t gt = FirstAtOrAfter(greater_, at + 2);
    if (gt == npos || gt >= lineEnd) return {};
    TRuleMatch m(text_, 2);
    m.Set(0, start, gt + 1);
    m.Set(1, inner, gt);
    return m;
}

// kInlineImage / kInlineLink: "[text](" then the address up to the first place where an
// optional '"title"' and ")" close it. Only the first "](" can succeed, and only when a
// ")" follows on the line.
TInlineLinkMatcher::TInlineLinkMatcher(std::string_view text, bool image)
    : text_(text), image_(image) {
    const std::size_t n = text.size();
    ForEachMark(text, kInlineLinkMarks, [&](std::size_t i, char c) {
        char next = i + 1 < n ? text[i + 1] : '\0';
        switch (c) {
        case '\n':
            newlines_.push_back(i);
            break;
        case '[':
            if (!image) candidates_.push_back(i);
            break;
        case '!':
            if (image && next == '[') candidates_.push_back(i);
            break;
        case ']':
            if (next == '(') bracketParen_.push_back(i);
            break;
        case ')':
            parens_.push_back(i);
            break;
        case '"':
            if (next == ')') quoteParens_.push_back(i);
            break;
        default:
            break;
        }
    });
}

TRuleMatch TInlineLinkMatcher::Find(std::size_t from) const {
    for (auto it = std::lower_bound(candidates_.begin(), candidates_.end(), from);
         it != candidates_.end(); ++it)
        if (TRuleMatch m = At(*it); m.Found()) return m;
    return {};
}

TRuleMatch TInlineLinkMatcher::At(std::size_t i) const {
    const std::size_t n = text_.size();
    std::size_t label = i + (image_ ? 2 : 1);
    if (label >= n) return {};
    std::size_t lineEnd = LineEndAt(newlines_, label, n);
    std::size_t j = npos;
    if (image_) {
        j = FirstAtOrAfter(bracketParen_, label + 1);
    } else {
        // A link's text is balanced (one inner "[...]" at most): a "]" that closes nothing
        // ends it, so the text of a link never reaches back over "[a][none] then [b".
        bool inner = false;
        for (std::size_t k = label; k < lineEnd; k += CharLength(text_, k)) {
            if (text_[k] == '[') {
                if (inner) return {};
                inner = true;
            } else if (text_[k] == ']') {
                if (!inner) {
                    j = k;
                    break;
                }
                inner = false;
            }
        }
        if (j == npos || j == label || j + 1 >= n || text_[j + 1] != '(') return {};
    }
    if (j == npos || j >= lineEnd) return {};
    std::size_t href = j + 2;
    if (href >= lineEnd) return {};
    std::size_t paren = FirstAtOrAfter(parens_, href + 1);
    if (paren == npos || paren >= lineEnd) return {};
    std::size_t blankFrom = npos, blankTo = npos;
    for (std::size_t e = href + CharLength(text_, href); e < lineEnd; e += CharLength(text_, e)) {
        std::size_t f = e;
        if (text_[e] == ' ') {
            if (!(e >= blankFrom && e < blankTo)) {
                blankFrom = blankTo = e;
                while (blankTo < lineEnd && text_[blankTo] == ' ')
                    ++blankTo;
            }
            f = blankTo;
        }
        if (f < lineEnd && text_[f] == '"') {
            std::size_t q = FirstAtOrAfter(quoteParens_, f + 1);
            if (q != npos && q < lineEnd) {
                TRuleMatch m(text_, 4);
                m.Set(0, i, q + 2);
                m.Set(1, label, j);
                m.Set(2, href, e);
                m.Set(3, f + 1, q);
                return m;
            }
        }
        if (text_[e] == ')') {
            TRuleMatch m(text_, 4);
            m.Set(0, i, e + 1);
            m.Set(1, label, j);
            m.Set(2, href, e);
            return m;
        }
    }
    return {};
}

// kReferenceImage / kReferenceLink: "[text]", an optional blank, "[id]" on one line.
TReferenceMatcher::TReferenceMatcher(std::string_view text, bool image)
    : text_(text), image_(image) {
    const std::size_t n = text.size();
    ForEachMark(text, kReferenceMarks, [&](std::size_t i, char c) {
        char next = i + 1 < n ? text[i + 1] : '\0';
        if (c == '\n') {
            newlines_.push_back(i);
        } else if (c == '[') {
            if (!image) candidates_.push_back(i);
        } else if (c == '!') {
            if (image && next == '[') candidates_.push_back(i);
        } else if (c == ']') {
            brackets_.push_back(i);
            if (next == '[' || (next == ' ' && i + 2 < n && text[i + 2] == '['))
                idClosings_.push_back(i);
        }
    });
}

TRuleMatch TReferenceMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    for (auto it = std::lower_bound(candidates_.begin(), candidates_.end(), from);
         it != candidates_.end(); ++it) {
        std::size_t i = *it;
        std::size_t label = i + (image_ ? 2 : 1);
        if (label >= n) continue;
        std::size_t lineEnd = LineEndAt(newlines_, label, n);
        std::size_t j = FirstAtOrAfter(idClosings_, label + 1);
        if (j == npos || j >= lineEnd) continue;
        std::size_t open = text_[j + 1] == '[' ? j + 1 : j + 2;
        std::size_t close = FirstAtOrAfter(brackets_, open + 1);
        if (close == npos || close >= lineEnd) continue;
        TRuleMatch m(text_, 3);
        m.Set(0, i, close + 1);
        m.Set(1, label, j);
        m.Set(2, open + 1, close);
        return m;
    }
    return {};
}

// kStrong / kEmphasis: the mark, a non-blank, and the same mark after a non-blank further
// on the line. Closing marks are collected once, so a long run of marks or many marks
// without a partner cost one binary search each.
TEmphasisMatcher::TEmphasisMatcher(std::string_view text, bool strong)
    : text_(text), strong_(strong) {
    ForEachMark(text, kEmphasisMarks, [&](std::size_t i, char c) {
        if (c == '\n') {
            newlines_.push_back(i);
            return;
        }
        if (c != '*' && c != '_') return;
        if (strong && !(i + 1 < text.size() && text[i + 1] == c)) return;
        openers_.push_back(i);
        if (i > 0 && !IsSpace(text[i - 1])) (c == '*' ? starClosers_ : lineClosers_).push_back(i);
    });
}

TRuleMatch TEmphasisMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    const std::size_t width = strong_ ? 2 : 1;
    for (auto it = std::lower_bound(openers_.begin(), openers_.end(), from); it != openers_.end();
         ++it) {
        std::size_t i = *it;
        std::size_t body = i + width;
        if (body >= n || IsSpace(text_[body])) continue;
        const auto& closers = text_[i] == '*' ? starClosers_ : lineClosers_;
        std::size_t c = FirstAtOrAfter(closers, body + 1);
        if (c == npos || c >= LineEndAt(newlines_, body, n)) continue;
        // "(.*?\S)\1": the body runs to the first closing mark on the line after a character
        // that is no blank, which is where the closing marks were collected.
        TRuleMatch m(text_, 3);
        m.Set(0, i, c + width);
        m.Set(1, i, body);
        m.Set(2, body, c);
        return m;
    }
    return {};
}

// kHeadingTag: "<hN>" and a closing "</hN" further on its line.
THeadingTagMatcher::THeadingTagMatcher(std::string_view text) : text_(text) {
    const std::size_t n = text.size();
    auto isLevel = [](char c) { return c >= '1' && c <= '6'; };
    // "<" and LF are below 0x40, never the second byte of a character, and the whole page
    // is valid Shift_JIS by now: both are found byte-wise, which is much faster.
    for (std::size_t i = text.find('<'); i != npos && i + 3 < n; i = text.find('<', i + 1)) {
        if (LowerAscii(text[i + 1]) == 'h' && isLevel(text[i + 2]) && text[i + 3] == '>')
            openers_.push_back(i);
        else if (text[i + 1] == '/' && LowerAscii(text[i + 2]) == 'h' && isLevel(text[i + 3]))
            closings_.push_back(i);
    }
    if (openers_.empty()) return;
    for (std::size_t i = text.find('\n'); i != npos; i = text.find('\n', i + 1))
        newlines_.push_back(i);
}

TRuleMatch THeadingTagMatcher::Find(std::size_t from) const {
    const std::size_t n = text_.size();
    for (auto it = std::lower_bound(openers_.begin(), openers_.end(), from); it != openers_.end();
         ++it) {
        std::size_t i = *it;
        std::size_t c = FirstAtOrAfter(closings_, i + 4);
        if (c == npos || c >= LineEndAt(newlines_, i, n)) continue;
        // "(.*?)" stops at the first closing on the line: "<" is never the second byte of a
        // character, so the characters from the opening reach it exactly.
        TRuleMatch m(text_, 5);
        m.Set(0, i, c + 4);
        m.Set(1, i, i + 4);
        m.Set(2, i + 2, i + 3);
        m.Set(3, i + 4, c);
        m.Set(4, c, c + 4);
        return m;
    }
    return {};
}

// --- Line rewrites --------------------------------------------------------------------------

namespace {

// Calls f(line, lineEnd) for each line; lineEnd includes the LF when there is one.
template <class F> void ForEachLine(std::string_view text, F&& f) {
    std::size_t s = 0;
    while (s < text.size()) {
        std::size_t nl = text.find('\n', s);
        std::size_t end = nl == npos ? text.size() : nl;
        f(text.substr(s, end - s), nl == npos ? std::string_view() : std::string_view("\n"));
        s = end + 1;
    }
}

} // namespace

std::string StripQuoteMarks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachLine(text, [&](std::string_view line, std::string_view lf) {
        if (!line.empty() && line[0] == '>')
            line.remove_prefix(line.size() > 1 && line[1] == ' ' ? 2 : 1);
        out += line;
        out += lf;
    });
    return out;
}

std::string StripCodeIndent(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachLine(text, [&](std::string_view line, std::string_view lf) {
        if (line.substr(0, 4) == "    ")
            line.remove_prefix(4);
        else if (!line.empty() && line[0] == '\t')
            line.remove_prefix(1);
        out += line;
        out += lf;
    });
    return out;
}

std::string Outdent(std::string_view text) {
    // One tab or up to four blanks, as long as one character is left; a line of blanks
    // only keeps its last one.
    std::string out;
    out.reserve(text.size());
    ForEachLine(text, [&](std::string_view line, std::string_view lf) {
        if (!line.empty() && line[0] == '\t') {
            if (line.size() >= 2) line.remove_prefix(1);
        } else if (!line.empty() && line[0] == ' ') {
            std::size_t k = 1;
            while (k < 4 && k < line.size() && line[k] == ' ')
                ++k;
            if (line.size() > k)
                line.remove_prefix(k);
            else if (k >= 2)
                line.remove_prefix(k - 1);
        }
        out += line;
        out += lf;
    });
    return out;
}

std::string FlattenNesting(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    ForEachLine(text, [&](std::string_view line, std::string_view lf) {
        for (;;) {
            std::size_t b = 0;
            while (b < line.size() && IsBlank(line[b]))
                ++b;
            std::string_view rest = line.substr(b);
            if (!rest.empty() && rest[0] == '>') {
                line = rest.substr(rest.size() > 1 && rest[1] == ' ' ? 2 : 1);
                continue;
            }
            TListMarker first = ListMarkerAt(rest, 0, 0);
            if (first.content == npos) break;
            line = rest; // the marker moves to the line start
            // "* * x": the first marker goes when another one follows with text after it.
            // (A line of marks only, "* * *", is a rule and stays.)
            std::string_view after = rest.substr(first.content);
            bool marksOnly = std::all_of(after.begin(), after.end(), [](char c) {
                return c == '*' || c == '-' || c == '_' || IsBlank(c);
            });
            if (marksOnly || ListMarkerAt(after, 0, 0).content == npos) break;
            line = after;
        }
        out += line;
        out += lf;
    });
    return out;
}

std::vector<std::string> SplitTableCells(std::string_view line) {
    std::vector<std::string> cells;
    if (!line.empty() && line[0] == '|') line.remove_prefix(1);
    std::size_t pos = 0;
    while (pos < line.size()) {
        std::size_t bar = pos;
        while (bar < line.size() && line[bar] != '|')
            bar += CharLength(line, bar);
        std::string_view cell = line.substr(pos, bar - pos);
        // The bytes of an escaped character's or a fragment's reference (0x02 to 0x05) are
        // content, not blanks: trimming them would show a cell holding only "\*" as "42".
        auto blank = [](char c) {
            auto b = static_cast<unsigned char>(c);
            return b <= ' ' && (b < 0x02 || b > 0x05);
        };
        while (!cell.empty() && blank(cell.front()))
            cell.remove_prefix(1);
        while (!cell.empty() && blank(cell.back()))
            cell.remove_suffix(1);
        cells.emplace_back(cell);
        pos = bar < line.size() ? bar + 1 : bar;
    }
    return cells;
}

void ProtectEscapes(std::string& text) {
    static constexpr TMarkSet kEscapable{"\\`*_{}[]()#+-.!"};
    std::string out;
    std::size_t copied = 0;
    for (std::size_t p = text.find('\\'); p != npos && p + 1 < text.size();
         p = text.find('\\', p + 1)) {
        if (!kEscapable.in[static_cast<unsigned char>(text[p + 1])] || !StartsCharacter(text, p))
            continue;
        if (out.empty()) out.reserve(text.size() + text.size() / 8);
        out.append(text, copied, p - copied);
        out += '\x02';
        out += std::to_string(static_cast<unsigned char>(text[p + 1]));
        out += '\x03';
        copied = ++p + 1;
    }
    if (out.empty()) return;
    out.append(text, copied, npos);
    text = std::move(out);
}

namespace {

// Every byte `c` for which stray(i) holds replaced by `with`, in place; the text is copied
// only when there is one. (Used for "<" and "&", which are never second bytes.)
template <class Stray>
void EncodeWhere(std::string& text, char c, std::string_view with, Stray&& stray) {
    std::string out;
    std::size_t copied = 0;
    for (std::size_t p = text.find(c); p != npos; p = text.find(c, p + 1)) {
        if (!stray(p)) continue;
        if (out.empty()) out.reserve(text.size() + text.size() / 8);
        out.append(text, copied, p - copied);
        out += with;
        copied = p + 1;
    }
    if (out.empty()) return;
    out.append(text, copied, npos);
    text = std::move(out);
}

bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// A run of hexadecimal digits or a run of letters from text[p], ended by ";".
bool RunThenSemicolon(std::string_view text, std::size_t p) {
    const std::size_t n = text.size();
    std::size_t h = p;
    while (h < n && IsHexDigit(text[h]))
        ++h;
    if (h > p && h < n && text[h] == ';') return true;
    std::size_t l = p;
    while (l < n && IsAsciiLetter(text[l]))
        ++l;
    return l > p && l < n && text[l] == ';';
}

} // namespace

void EncodeStrayLess(std::string& text) {
    EncodeWhere(text, '<', "&lt;", [&](std::size_t p) {
        char next = p + 1 < text.size() ? text[p + 1] : '\0';
        return !IsAsciiLetter(next) && next != '!' && next != '/';
    });
}

void EncodeStrayAmpersands(std::string& text) {
    EncodeWhere(text, '&', "&amp;", [&](std::size_t p) {
        std::size_t q = p + 1;
        if (RunThenSemicolon(text, q)) return false;
        if (q >= text.size() || text[q] != '#') return true;
        if (RunThenSemicolon(text, q + 1)) return false;
        return !(q + 1 < text.size() && (text[q + 1] == 'x' || text[q + 1] == 'X') &&
                 RunThenSemicolon(text, q + 2));
    });
}

namespace {

bool IsMarkerByte(char c) {
    return c >= '\x01' && c <= '\x05';
}

bool IsTrailByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Where page text first needs cleaning: a marker byte, or a lead byte without a valid
// second byte; npos when there is none. Text that went through Convert has every pair
// repaired already, so this is mostly a read of the text, eight ASCII bytes at a time.
std::size_t FirstUnclean(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        for (std::uint64_t w; i + 8 <= n; i += 8) {
            std::memcpy(&w, text.data() + i, 8);
            // A byte of 0x80 or more, or one below 0x06 (exact once no byte has its high bit).
            if ((w & kHigh) != 0 || ((w - 6 * kOnes) & ~w & kHigh) != 0) break;
        }
        if (i >= n) break;
        const char c = text[i];
        if (IsMarkerByte(c)) return i;
        if (IsLeadByte(c)) {
            if (i + 1 >= n || !IsTrailByte(text[i + 1])) return i;
            i += 2;
        } else {
            ++i;
        }
    }
    return npos;
}

} // namespace

std::string CleanPageText(std::string_view text) {
    // Room for the line end that ConvertBlocks may add, so that adding it copies nothing.
    std::string out;
    out.reserve(text.size() + 2);
    const std::size_t first = FirstUnclean(text);
    out.append(text.substr(0, first));
    if (first == npos) return out;
    // From there on in one pass: marker bytes are dropped, and a lead byte whose next kept
    // byte is no valid second byte becomes "?" (as if the repair ran after the dropping).
    const std::size_t n = text.size();
    for (std::size_t i = first; i < n;) {
        const char c = text[i++];
        if (IsMarkerByte(c)) continue;
        if (!IsLeadByte(c)) {
            out += c;
            continue;
        }
        std::size_t j = i;
        while (j < n && IsMarkerByte(text[j]))
            ++j;
        if (j < n && IsTrailByte(text[j])) {
            out += c;
            out += text[j];
            i = j + 1;
        } else {
            out += '?';
        }
    }
    return out;
}

} // namespace markdown

// --- The converter --------------------------------------------------------------------------

namespace {

using markdown::TRuleMatch;

// One left-to-right pass of a rule's matcher into `out`: the text between matches is
// copied, each match is replaced, and the search goes on after it. False, with `out` left
// alone, when the rule matches nowhere.
template <class Matcher, class Replace>
bool ScanRuleInto(std::string_view text, const Matcher& matcher, Replace&& replace,
                  std::string& out) {
    bool matched = false;
    std::size_t pos = 0;
    while (pos < text.size()) {
        TRuleMatch m = matcher.Find(pos);
        if (!m.Found()) break;
        if (!matched) {
            matched = true;
            out.clear();
            out.reserve(text.size() + text.size() / 4);
        }
        out.append(text.substr(pos, m.Position() - pos));
        replace(m, out);
        if (m.End() <= pos) { // no rule matches empty text; keep moving all the same
            if (pos < text.size()) out += text[pos];
            ++pos;
            continue;
        }
        pos = m.End();
    }
    if (!matched) return false;
    if (pos < text.size()) out.append(text.substr(pos));
    return true;
}

template <class Matcher, class Replace>
std::string ScanRule(std::string_view text, const Matcher& matcher, Replace&& replace) {
    std::string out;
    if (!ScanRuleInto(text, matcher, replace, out)) return std::string(text);
    return out;
}

// The pass on a text in place: a text the rule matches nowhere is left as it is, not copied.
template <class Matcher, class Replace>
void ApplyRule(std::string& text, const Matcher& matcher, Replace&& replace) {
    std::string out;
    if (ScanRuleInto(text, matcher, replace, out)) text = std::move(out);
}

// Whether "[id]" can follow a link text somewhere: "][" or "] [".
bool HasReferenceId(std::string_view text) {
    return text.find("][") != npos || text.find("] [") != npos;
}

// Whether two blanks end a line somewhere (the only place a hard break stands), looked for
// from the line ends: blanks are far more common.
bool HasHardBreak(std::string_view text) {
    for (std::size_t p = text.find('\n'); p != npos; p = text.find('\n', p + 1)) {
        std::size_t q = p > 0 && text[p - 1] == '\r' ? p - 1 : p;
        if (q >= 2 && text[q - 1] == ' ' && text[q - 2] == ' ') return true;
    }
    return false;
}

// Joins pieces into one string. (Used instead of chains of "literal" + string, for which
// GCC 12 at -O3 warns of overlapping copies that cannot happen.)
std::string Concat(std::initializer_list<std::string_view> parts) {
    std::size_t size = 0;
    for (std::string_view part : parts)
        size += part.size();
    std::string out;
    out.reserve(size);
    for (std::string_view part : parts)
        out += part;
    return out;
}

struct TDepthGuard {
    explicit TDepthGuard(int& depth) : depth_(depth) { ++depth_; }
    ~TDepthGuard() { --depth_; }
    TDepthGuard(const TDepthGuard&) = delete;
    TDepthGuard& operator=(const TDepthGuard&) = delete;
    int& depth_;
};

// Upper-cases the ASCII letters of a Shift_JIS text; second bytes are left alone.
std::string UpperCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (IsLeadByte(out[i]))
            ++i;
        else if (out[i] >= 'a' && out[i] <= 'z')
            out[i] = static_cast<char>(out[i] - 'a' + 'A');
    }
    return out;
}

// Every line mark deleted, in place: the marks are few, so the text between them moves in
// pieces instead of byte by byte.
void EraseLineMarks(std::string& text) {
    std::size_t write = text.find('\x01');
    if (write == npos) return;
    for (std::size_t read = write + 1; read < text.size();) {
        std::size_t next = text.find('\x01', read);
        std::size_t end = next == npos ? text.size() : next;
        std::memmove(text.data() + write, text.data() + read, end - read);
        write += end - read;
        read = end + 1;
    }
    text.resize(write);
}

// Every LF followed by a line mark.
std::string MarkLines(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    std::size_t pos = 0;
    for (std::size_t nl = text.find('\n'); nl != npos; nl = text.find('\n', pos)) {
        out.append(text, pos, nl + 1 - pos);
        out += '\x01';
        pos = nl + 1;
    }
    out.append(text, pos, npos);
    return out;
}

std::string AlignmentClass(std::string_view cell) {
    if (cell.empty() || cell.back() != ':') return {};
    return cell.front() == ':' ? " class=\"center\"" : " class=\"right\"";
}

// T(x): a title attribute, or nothing for an empty title.
std::string TitleAttribute(std::string_view title) {
    if (title.empty()) return {};
    return Concat({" title=\"", TWikiDocumentConverter::EscapeHtml(title), "\""});
}

std::string Reference(std::size_t index) {
    return Concat({"\x04", std::to_string(index), "\x05"});
}

// The escaped characters put back: 0x02 N 0x03 becomes the byte N.
std::string RestoreEscapes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    for (std::size_t p = text.find('\x02'); p != npos; p = text.find('\x02', pos)) {
        out.append(text.substr(pos, p - pos));
        std::size_t d = p + 1;
        unsigned value = 0;
        while (d < text.size() && d - p <= 3 && text[d] >= '0' && text[d] <= '9')
            value = value * 10 + unsigned(text[d++] - '0');
        if (d > p + 1 && d < text.size() && text[d] == '\x03' && value <= 255) {
            out += static_cast<char>(value);
            pos = d + 1;
        } else {
            out += text[p];
            pos = p + 1;
        }
    }
    out.append(text.substr(pos));
    return out;
}

// A character as an escape reference (0x02 N 0x03): later rules pass over it, and it is put
// back as the character at the end of the conversion.
void AppendEscaped(std::string& out, char c) {
    out += '\x02';
    out += std::to_string(static_cast<unsigned char>(c));
    out += '\x03';
}

// An address written in angle brackets, "(</x?a=1&b=2>)", without them.
std::string_view WithoutAngleBrackets(std::string_view href) {
    if (href.size() >= 2 && href.front() == '<' && href.back() == '>')
        href = href.substr(1, href.size() - 2);
    return href;
}

// The "*" and "_" of a converted strong body, as escape references.
std::string ProtectEmphasisMarks(std::string_view text) {
    if (text.find('*') == npos && text.find('_') == npos) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = CharLength(text, i);
        if (len == 1 && (text[i] == '*' || text[i] == '_'))
            AppendEscaped(out, text[i]);
        else
            out.append(text, i, len);
        i += len;
    }
    return out;
}

// End of the inline HTML tag at text[at] ("<name attr="v" ...>", "</name>", "<br />") on
// one line, or npos. An address "<http://...>" or "<a@b.jp>" is not a tag.
std::size_t InlineTagEnd(std::string_view text, std::size_t at) {
    const std::size_t n = text.size();
    std::size_t i = at + 1;
    const bool closing = i < n && text[i] == '/';
    if (closing) ++i;
    if (i >= n || !IsAsciiLetter(text[i])) return npos;
    while (i < n && (IsAsciiLetter(text[i]) || IsDigit(text[i])))
        ++i;
    auto name = [](char c) {
        return !IsBlank(c) && c != '"' && c != '\'' && c != '>' && c != '/' && c != '=' &&
               c != '<' && c != '@' && c != '\n';
    };
    while (!closing && i < n && IsBlank(text[i])) {
        while (i < n && IsBlank(text[i]))
            ++i;
        if (i >= n || !name(text[i])) break;
        while (i < n && name(text[i]))
            i += CharLength(text, i);
        std::size_t v = i;
        while (v < n && IsBlank(text[v]))
            ++v;
        if (v >= n || text[v] != '=') continue;
        ++v;
        while (v < n && IsBlank(text[v]))
            ++v;
        if (v >= n) return npos;
        if (text[v] == '"' || text[v] == '\'') {
            std::size_t q = v + 1;
            while (q < n && text[q] != text[v] && text[q] != '\n' && text[q] != '<')
                q += CharLength(text, q);
            if (q >= n || text[q] != text[v]) return npos;
            i = q + 1;
        } else {
            std::size_t q = v;
            while (q < n && name(text[q]) && text[q] != '`')
                q += CharLength(text, q);
            if (q == v) return npos;
            i = q;
        }
    }
    while (i < n && IsBlank(text[i]))
        ++i;
    if (!closing && i < n && text[i] == '/') ++i;
    return i < n && text[i] == '>' ? i + 1 : npos;
}

// Inline HTML tags written in the page stay as written: their "*", "_", "@", "[" and "]"
// become escape references, so the emphasis, e-mail and link rules cannot rewrite a tag
// ('<span class="x_y_z">' or '<a href="mailto:...">').
void ProtectInlineTags(std::string& page) {
    std::string_view text = page;
    std::string out;
    std::size_t copied = 0;
    for (std::size_t i = text.find('<'); i != npos; i = text.find('<', i)) {
        std::size_t end = InlineTagEnd(text, i);
        if (end == npos) {
            ++i;
            continue;
        }
        std::string_view tag = text.substr(i, end - i);
        if (tag.find_first_of("*_@[]") != npos) {
            if (out.empty()) out.reserve(text.size() + 16);
            out.append(text, copied, i - copied);
            for (std::size_t k = 0; k < tag.size();) {
                std::size_t len = CharLength(tag, k);
                char c = tag[k];
                if (len == 1 && (c == '*' || c == '_' || c == '@' || c == '[' || c == ']'))
                    AppendEscaped(out, c);
                else
                    out.append(tag, k, len);
                k += len;
            }
            copied = end;
        }
        i = end;
    }
    if (copied == 0) return;
    out.append(text, copied, npos);
    page = std::move(out);
}

// The strong rule with one addition: "***x***" is strong and emphasis together. The
// pair rule alone takes "*x" as the strong body and leaves the last "*" outside, so
// emphasis would open inside the strong text and close after it, crossing the tags.
// When the body is a "*" (or "_") followed by text holding no other such mark, and the
// same mark follows the closing pair, the body takes that mark and becomes "*x*".
struct TStrongMatcher {
    const markdown::TEmphasisMatcher& pairs;
    std::string_view text;

    TRuleMatch Find(std::size_t from) const {
        TRuleMatch m = pairs.Find(from);
        if (!m.Found()) return m;
        std::string_view body = m.Group(2);
        const char mark = m.Group(1)[0];
        const std::size_t end = m.End();
        if (body.size() < 2 || body[0] != mark || IsSpace(body[1]) || end >= text.size() ||
            text[end] != mark)
            return m;
        for (std::size_t i = 1; i < body.size(); i += CharLength(body, i))
            if (body[i] == mark) return m;
        auto bodyStart = static_cast<std::size_t>(body.data() - text.data());
        TRuleMatch triple(text, 3);
        triple.Set(0, m.Position(), end + 1);
        triple.Set(1, m.Position(), m.Position() + 2);
        triple.Set(2, bodyStart, bodyStart + body.size() + 1);
        return triple;
    }
};

} // namespace

// Deep nesting cheap: every nesting level converts its body as a text of its own, so a
// page nested n levels deep costs n copies of it. Past kMaxNesting levels the body is
// converted flat (FlattenNesting) and what made it deeper no longer counts; yet a
// 5,000-deep list is mostly the blanks in front of its lines, and each of the levels
// above the bound would copy them all. A line's run of leading blanks and quotation marks
// is therefore cut to kPrefixBound bytes, which still reach past the bound (a level takes
// at most a few blanks and a mark), so the line is flattened as before and the levels
// above copy a bounded prefix per line instead of one as long as the page is deep.
std::string CapNestingPrefixes(std::string text, std::size_t bound) {
    std::string out;
    std::size_t copied = 0; // text before this is in out already
    std::size_t lineStart = 0;
    const std::size_t n = text.size();
    while (lineStart < n) {
        std::size_t p = lineStart;
        while (p < n && (text[p] == ' ' || text[p] == '\t' || text[p] == '>'))
            ++p;
        if (p - lineStart > bound) {
            if (out.empty()) out.reserve(n / 2);
            out.append(text, copied, lineStart + bound - copied);
            copied = p;
        }
        std::size_t nl = text.find('\n', p);
        lineStart = nl == npos ? n : nl + 1;
    }
    if (copied == 0) return text;
    out.append(text, copied, npos);
    return out;
}

TMarkdownDocumentConverter::TMarkdownDocumentConverter() = default;

std::string TMarkdownDocumentConverter::LinkPattern() {
    return markdown::kLink;
}

std::string TMarkdownDocumentConverter::ConvertLink(std::string_view Match) {
    std::string_view url = Match;
    if (!url.empty() && url.front() == '<' && url.size() >= 2) url = url.substr(1, url.size() - 2);
    if (IsUrl(url)) {
        std::string u(url);
        std::optional<std::string> href = AttributeAddress(u);
        if (!href) return Hold(EscapeHtml(u));
        if (IsImageFile(u))
            return Hold(Concat({"<a href=\"", *href, "\"><img src=\"", *href, "\"></a>"}));
        return Hold(Concat({"<a href=\"", *href, "\">", EscapeHtml(u), "</a>"}));
    }
    bool bracketed = !Match.empty() && Match.front() == '[' && Match.size() >= 4;
    if (!bracketed) return std::string(Match);
    std::string_view page = Match.substr(2, Match.size() - 4);
    // The page name is shown escaped like any other text ("[[a<b&c]]" must not open a tag);
    // the file name is made from the name as typed.
    return Hold(MakePageLink(PageFileOf(page), EscapeHtml(page), true));
}

std::string TMarkdownDocumentConverter::ConvertBlocks(std::string_view Text) {
    return ConvertCleanText(markdown::CleanPageText(Text));
}

std::string TMarkdownDocumentConverter::ConvertPageBlocks(std::string& Text) {
    // A clean text (nearly every page) is moved, not copied.
    std::string text = std::move(Text);
    if (markdown::FirstUnclean(text) != npos) text = markdown::CleanPageText(text);
    return ConvertCleanText(std::move(text));
}

std::string TMarkdownDocumentConverter::ConvertCleanText(std::string cleaned) {
    std::string text = CapNestingPrefixes(std::move(cleaned), 8 * (kMaxNesting + 2));
    if (text.size() < 2 || text.compare(text.size() - 2, 2, "\n\n") != 0) text += '\n';
    LinkDefinitions.clear();
    linkIndex_.clear();
    ReleaseFragments();
    ListLevel = 0;
    blockDepth_ = 0;
    spanDepth_ = 0;

    text = HoldHtmlBlocks(std::move(text));
    markdown::ProtectEscapes(text);
    ReadLinkDefinitions(text);
    text = BlockPasses(text);
    if (!fragments_.empty()) text = RestoreFragments(text);
    ReleaseFragments();
    if (text.find('\x02') != npos) text = RestoreEscapes(text);
    AnchorHeadings(text);
    EraseLineMarks(text);
    return text;
}

std::string TMarkdownDocumentConverter::HoldHtmlBlocks(std::string text) {
    if (text.find('<') == npos) return text;
    for (bool greedy : {true, false}) {
        markdown::THtmlBlockMatcher matcher(text, greedy);
        ApplyRule(text, matcher, [this](const TRuleMatch& m, std::string& out) {
            out += '\x01';
            out += Hold(m.Group(0));
            out += CRLF;
        });
    }
    return text;
}

void TMarkdownDocumentConverter::ReadLinkDefinitions(std::string& text) {
    if (text.find("]:") == npos) return;
    markdown::TLinkDefinitionMatcher matcher(text);
    ApplyRule(text, matcher, [this](const TRuleMatch& m, std::string& out) {
        TLinkDefinition definition{UpperCase(m.Group(1)),
                                   TLink{std::string(m.Group(3)), std::string(m.Group(2))}};
        linkIndex_.try_emplace(definition.Id, LinkDefinitions.size());
        LinkDefinitions.push_back(std::move(definition));
        out += '\n';
    });
}

const TLink* TMarkdownDocumentConverter::FindLink(std::string_view id) const {
    auto it = linkIndex_.find(UpperCase(id));
    return it == linkIndex_.end() ? nullptr : &LinkDefinitions[it->second].Link;
}

std::string TMarkdownDocumentConverter::Hold(std::string_view html) {
    constexpr std::size_t kBlock = 1 << 20;
    if (html.size() > blockSize_ - blockUsed_) {
        blockSize_ = std::max(kBlock, html.size());
        blockUsed_ = 0;
        fragmentBlocks_.push_back(std::make_unique_for_overwrite<char[]>(blockSize_));
    }
    char* at = fragmentBlocks_.back().get() + blockUsed_;
    std::copy(html.begin(), html.end(), at);
    blockUsed_ += html.size();
    fragments_.emplace_back(at, html.size());
    fragmentBytes_ += html.size();
    return Reference(fragments_.size() - 1);
}

void TMarkdownDocumentConverter::ReleaseFragments() {
    fragmentBlocks_.clear();
    blockSize_ = blockUsed_ = 0;
    std::vector<std::string_view>().swap(fragments_);
    fragmentBytes_ = 0;
}

// Fragments nest, and each reference points to a fragment held before the text that holds
// the reference, so following references only backwards always ends. Expanding with a
// stack instead of recursion keeps deep nests off the call stack.
std::string TMarkdownDocumentConverter::RestoreFragments(std::string_view text) const {
    struct Frame {
        std::string_view text;
        std::size_t pos;
        std::size_t limit; // references below this index only
    };
    // Room for every piece restored once, as they nearly always are: the text is not
    // copied again as it grows.
    std::string out;
    out.reserve(text.size() + fragmentBytes_);
    const std::size_t count = fragments_.size();
    std::vector<Frame> stack{{text, 0, count}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        std::size_t p = frame.text.find('\x04', frame.pos);
        if (p == npos) {
            out.append(frame.text.substr(frame.pos));
            stack.pop_back();
            continue;
        }
        out.append(frame.text.substr(frame.pos, p - frame.pos));
        std::size_t d = p + 1, index = 0;
        bool small = true;
        while (d < frame.text.size() && frame.text[d] >= '0' && frame.text[d] <= '9') {
            if (index > count)
                small = false;
            else
                index = index * 10 + static_cast<std::size_t>(frame.text[d] - '0');
            ++d;
        }
        if (d == p + 1 || d >= frame.text.size() || frame.text[d] != '\x05') {
            out += '\x04';
            frame.pos = p + 1;
            continue;
        }
        frame.pos = d + 1;
        if (small && index < frame.limit) stack.push_back(Frame{Fragment(index), 0, index});
    }
    return out;
}

void TMarkdownDocumentConverter::AnchorHeadings(std::string& text) {
    markdown::THeadingTagMatcher matcher(text);
    ApplyRule(text, matcher, [this](const TRuleMatch& m, std::string& out) {
        std::string anchor = NewAnchorId();
        out += m.Group(1);
        out += "<a name=\"";
        out += anchor;
        out += "\">";
        out += m.Group(3);
        out += "</a>";
        out += m.Group(4);
        Contents.Add(std::string(m.Group(3)), anchor, m.Group(2)[0] - '0');
    });
}

// --- Block passes ---------------------------------------------------------------------------

std::string TMarkdownDocumentConverter::BlockPasses(std::string_view Text) {
    // At the nesting bound the body is converted flat (no line stays raw); flat bodies
    // nest at most once or twice more, so the second bound is only a safety net.
    const bool tight = std::exchange(tightItem_, false);
    if (blockDepth_ >= 2 * kMaxNesting) return SpanPasses(Text);
    TDepthGuard depth(blockDepth_);
    using namespace markdown;

    std::string flat;
    std::string_view input = Text;
    if (blockDepth_ > kMaxNesting) input = flat = FlattenNesting(Text);
    // Fenced code first: its lines are code as written, so no other block rule may turn a
    // "#", "> ", "* " or "|" line inside it into markup before it is escaped.
    std::string t;
    if (input.find("```") != npos)
        t = ScanRule(input, TFencedCodeMatcher(input), [](const TRuleMatch& m, std::string& out) {
            out += m.Group(1);
            out += "\x01<pre><code>";
            out += EscapeHtml(MarkLines(m.Group(2)));
            out += "</code></pre>\n";
        });
    else
        t = input;
    TablePass(t);

    auto heading = [this](std::size_t level, std::string_view text, std::string& out) {
        std::string n = std::to_string(level);
        out += Concat({"\x01<h", n, ">"});
        out += SpanPasses(text);
        out += Concat({"</h", n, ">\n"});
    };
    if (t.find('#') != npos)
        ApplyRule(t, THashHeadingMatcher(t), [&](const TRuleMatch& m, std::string& out) {
            heading(m.Group(1).size(), m.Group(2), out);
        });
    ApplyRule(t, TUnderlinedHeadingMatcher(t), [&](const TRuleMatch& m, std::string& out) {
        heading(m.Group(2) == "=" ? 1 : 2, m.Group(1), out);
    });
    ApplyRule(t, TRuleLineMatcher(t),
              [](const TRuleMatch&, std::string& out) { out += "\x01<hr />\n"; });
    if (t.find('>') != npos)
        ApplyRule(t, TBlockQuoteMatcher(t), [this](const TRuleMatch& m, std::string& out) {
            std::string body = BlockPasses(StripQuoteMarks(m.Group(1)));
            out += "\x01<blockquote>\n";
            out += body;
            out += "\x01</blockquote>\n";
        });
    ListPass(t);
    ApplyRule(t, TParagraphMatcher(t), [&](const TRuleMatch& m, std::string& out) {
        std::string_view p = m.Group(1);
        p.remove_suffix(1);
        // Text right before a converted line (a block that follows without an empty line)
        // is formatted too: as a paragraph, or in a tight list item as the item's text.
        // (Before a table the line ends in the table's CR LF; the CR stays outside.)
        const bool beforeBlock = m.End() < t.size() && t[m.End()] == '\x01';
        std::string_view cr;
        if (beforeBlock && !p.empty() && p.back() == '\r') {
            p.remove_suffix(1);
            cr = "\r";
        }
        if (beforeBlock && p.find_first_not_of(" \t\n\x01") == npos) {
            out += m.Group(0); // blanks only: nothing to format
            return;
        }
        if (beforeBlock && tight) {
            out += '\x01';
            out += SpanPasses(MarkLines(p));
            out += cr;
            out += '\n';
            return;
        }
        out += "\x01<p>";
        out += SpanPasses(MarkLines(p));
        out += "</p>";
        out += cr;
        out += '\n';
    });
    ApplyRule(t, TIndentedCodeMatcher(t), [](const TRuleMatch& m, std::string& out) {
        out += "\x01<pre><code>";
        out += EscapeHtml(MarkLines(StripCodeIndent(m.Group(1))));
        out += "</code></pre>\n";
    });
    EncodeStrayLess(t);
    EncodeStrayAmpersands(t);

    if (t == input) return SpanPasses(std::move(t));
    return t;
}

void TMarkdownDocumentConverter::TablePass(std::string& text) {
    if (text.find('|') == npos) return;
    markdown::TTableMatcher matcher(text);
    ApplyRule(text, matcher, [this](const TRuleMatch& m, std::string& out) {
        std::vector<std::string> alignments;
        for (const std::string& cell : markdown::SplitTableCells(m.Group(2)))
            alignments.push_back(AlignmentClass(cell));
        std::string html = "<table>\r\n<thead>\r\n<tr>\r\n";
        for (const std::string& cell : markdown::SplitTableCells(m.Group(1))) {
            html += Hold(Concat({"  <th>", SpanPasses(cell), "</th>"}));
            html += CRLF;
        }
        html += "</tr>\r\n</thead>\r\n<tbody>\r\n";
        for (std::string_view row : SplitLines(m.Group(3))) {
            html += "<tr>";
            std::vector<std::string> cells = markdown::SplitTableCells(row);
            for (std::size_t i = 0; i < cells.size(); ++i) {
                std::string align = i < alignments.size() ? alignments[i] : std::string();
                html += Hold(Concat({"  <td", align, ">", SpanPasses(cells[i]), "</td>"}));
                html += CRLF;
            }
            html += "</tr>\r\n";
        }
        html += "</tbody>\r\n</table>\r\n";
        out += CRLF;
        out += '\x01';
        out += Hold(std::move(html));
        out += CRLF;
    });
}

void TMarkdownDocumentConverter::ListPass(std::string& text) {
    TDepthGuard level(ListLevel);
    markdown::TListMatcher matcher(text, ListLevel == 1);
    ApplyRule(text, matcher, [this](const TRuleMatch& m, std::string& out) {
        std::string_view list = m.Group(2);
        // The first marker decides: "[ ]{0,3}[0-9]" makes an ordered list.
        std::size_t x = 0;
        while (x < 3 && x < list.size() && list[x] == ' ')
            ++x;
        const char* type = x < list.size() && list[x] >= '0' && list[x] <= '9' ? "ol" : "ul";
        std::string items = MarkLines(ListItems(std::string(list)));
        out += m.Group(1);
        out += "\x01<";
        out += type;
        out += ">\n\x01";
        out += items;
        out += "\x01</";
        out += type;
        out += ">\n";
    });
}

std::string TMarkdownDocumentConverter::ListItems(const std::string& list) {
    // Once an item ends with an empty line (its content then forms paragraphs), the
    // following items of the list get one too.
    bool previousEnded = false;
    markdown::TListItemMatcher matcher(list);
    return ScanRule(list, matcher, [&](const TRuleMatch& m, std::string& out) {
        std::string content(m.Group(2));
        bool ended = !content.empty() && content.back() == '\n';
        if (previousEnded && !ended) content += '\n';
        previousEnded = ended;
        std::string level = std::to_string(ListLevel);
        tightItem_ = content.empty() || content.back() != '\n';
        std::string body = BlockPasses(markdown::Outdent(content));
        out += Concat({"\x01<li class=\"li-", level, "\">"});
        out += body;
        out += "</li>\n";
    });
}

// --- Span passes ----------------------------------------------------------------------------

std::string TMarkdownDocumentConverter::SpanPasses(std::string t) {
    if (spanDepth_ >= kMaxNesting) return t;
    TDepthGuard depth(spanDepth_);
    using namespace markdown;

    if (t.find('`') != npos)
        ApplyRule(t, TCodeSpanMatcher(t), [this](const TRuleMatch& m, std::string& out) {
            out += Hold(Concat({"<code>", EscapeHtml(m.Group(2)), "</code>"}));
        });
    if (t.find('<') != npos) ProtectInlineTags(t);
    if (HasHardBreak(t))
        t = ScanReplace(kHardBreakPattern, t,
                        [](const RegexMatch&, std::string& out) { out += "<br />\n\x01"; });
    // What the base class's ConvertLinks does (LinkPattern, each group 1 through ConvertLink),
    // with the "[[" that have no "]]" further on their line passed over at once.
    if (t.find('<') != npos || t.find("[[") != npos)
        ApplyRule(t, TLinkMatcher(t), [this](const TRuleMatch& m, std::string& out) {
            out += ConvertLink(m.Group(1));
        });
    if (t.find('<') != npos && t.find('@') != npos)
        ApplyRule(t, TEmailMatcher(t), [](const TRuleMatch& m, std::string& out) {
            out += "<a href=\"";
            out += EncodeAddress("mailto");
            out += ':';
            out += EncodeAddress(m.Group(1));
            out += "\">";
            out += EncodeAddress(m.Group(1));
            out += "</a>";
        });
    // Where the images stand in the text, so that a link around one keeps it as an image.
    std::vector<std::pair<std::size_t, std::size_t>> images;
    if (t.find("![") != npos)
        ApplyRule(t, TInlineLinkMatcher(t, true), [&](const TRuleMatch& m, std::string& out) {
            // An address that would run script shows the image's alternative text instead.
            std::optional<std::string> src =
                AttributeAddress(WithoutAngleBrackets(m.Group(2)), true);
            if (!src) {
                out += EscapeHtml(m.Group(1));
                return;
            }
            images.emplace_back(out.size(), 0);
            out += "<img src=\"";
            out += *src;
            out += "\" alt=\"";
            out += EscapeHtml(m.Group(1));
            out += '"';
            out += TitleAttribute(m.Group(3));
            out += " />";
            images.back().second = out.size();
        });
    if (t.find("](") != npos) {
        const char* base = t.data();
        ApplyRule(t, TInlineLinkMatcher(t, false), [&](const TRuleMatch& m, std::string& out) {
            // An address that would run script leaves the link text as plain text.
            std::optional<std::string> href = AttributeAddress(WithoutAngleBrackets(m.Group(2)));
            if (href) {
                out += "<a href=\"";
                out += *href;
                out += '"';
                out += TitleAttribute(m.Group(3));
                out += '>';
            }
            // The link text is escaped, except images made from it by the image rule
            // ("[![alt](/i.png)](/u)"): they stay images inside the link.
            std::string_view label = m.Group(1);
            auto from = static_cast<std::size_t>(label.data() - base);
            auto to = from + label.size();
            auto image = std::lower_bound(images.begin(), images.end(),
                                          std::pair<std::size_t, std::size_t>(from, 0));
            std::size_t pos = from;
            for (; image != images.end() && image->second <= to; ++image) {
                out += EscapeHtml(std::string_view(base + pos, image->first - pos));
                out.append(base + image->first, image->second - image->first);
                pos = image->second;
            }
            out += EscapeHtml(std::string_view(base + pos, to - pos));
            if (href) out += "</a>";
        });
    }
    auto id = [](const TRuleMatch& m) { return m.Group(2).empty() ? m.Group(1) : m.Group(2); };
    if (t.find("![") != npos && HasReferenceId(t))
        ApplyRule(t, TReferenceMatcher(t, true), [&](const TRuleMatch& m, std::string& out) {
            const TLink* link = FindLink(id(m));
            if (!link) {
                out += m.Group(0);
                return;
            }
            std::optional<std::string> src = AttributeAddress(link->LinkUrl, true);
            if (!src) {
                out += EscapeHtml(m.Group(1));
                return;
            }
            out += "<img src=\"";
            out += *src;
            out += "\" alt=\"";
            out += EscapeHtml(m.Group(1));
            out += '"';
            out += TitleAttribute(link->LinkTitle);
            out += " />";
        });
    if (HasReferenceId(t))
        ApplyRule(t, TReferenceMatcher(t, false), [&](const TRuleMatch& m, std::string& out) {
            const TLink* link = FindLink(id(m));
            if (!link) {
                out += m.Group(0);
                return;
            }
            std::optional<std::string> href = AttributeAddress(link->LinkUrl);
            if (!href) {
                out += SpanPasses(m.Group(1));
                return;
            }
            out += "<a href=\"";
            out += *href;
            out += '"';
            out += TitleAttribute(link->LinkTitle);
            out += '>';
            out += SpanPasses(m.Group(1));
            out += "</a>";
        });
    if (t.find("**") != npos || t.find("__") != npos) {
        TEmphasisMatcher pairs(t, true);
        ApplyRule(t, TStrongMatcher{pairs, t}, [this](const TRuleMatch& m, std::string& out) {
            out += "<strong>";
            // Marks the body left unpaired are its own: emphasis of the text around must
            // not pair them with marks outside, which would cross the tags.
            out += ProtectEmphasisMarks(SpanPasses(m.Group(2)));
            out += "</strong>";
        });
    }
    if (t.find('*') != npos || t.find('_') != npos)
        ApplyRule(t, TEmphasisMatcher(t, false), [this](const TRuleMatch& m, std::string& out) {
            out += "<em>";
            out += SpanPasses(m.Group(2));
            out += "</em>";
        });
    return t;
}

std::string TMarkdownDocumentConverter::EncodeAddress(std::string_view text) {
    // Each byte becomes a decimal or a hexadecimal reference, mixed so that harvesters of
    // addresses do not see a plain pattern. The mix follows from the address itself (a hash
    // of it drives a small generator), so a page always converts to the same bytes and an
    // unchanged wiki exports unchanged files.
    std::uint64_t state = 14695981039346656037ull; // FNV-1a over the address
    for (char c : text)
        state = (state ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    std::string out;
    out.reserve(text.size() * 7);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // A Japanese character is left as it is: a reference per byte of a double-byte
        // character would name two unrelated characters, and the view would show garbage.
        if (static_cast<unsigned char>(c) >= 0x80) {
            out += c;
            if (IsLeadByte(c) && i + 1 < text.size()) out += text[++i];
            continue;
        }
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const bool decimal = ((state >> 33) & 1) != 0;
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, decimal ? "&#%d;" : "&#x%x;",
                      static_cast<int>(static_cast<unsigned char>(c)));
        out += buffer;
    }
    return out;
}

} // namespace tarnel
