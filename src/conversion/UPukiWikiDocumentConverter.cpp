// PukiWiki notation.
//
// Lines, in this order:
//   inside a block plug-in  "}}" calls the plug-in with the lines collected so far (each
//                           followed by CR LF); any other line is collected
//   "//"                    comment: nothing, and pending pipe rows stay pending
//   "|...|" "|...|h" "|...|f" "|...|c"
//                           pipe row, held until the first other line ("c" rows are dropped)
// Any other line first emits the held pipe rows as a table, then the first rule that fits:
//   "~"                     paragraph line (lets a line start with a mark character)
//   "***", "**", "*"        heading (h4, h3, h2; contents levels 3, 2, 1), with an optional
//                           explicit anchor "[#name]" at the end
//   " " outside a list      preformatted line
//   " " inside a list       preformatted line inside the last list item ("inlist")
//   ">", ">>", ">>>"        quotation, nested by depth
//   ","                     CSV table row (quoted cells, "==" widens the cell to the left)
//   ":term|description"     definition
//   "----"                  horizontal rule
//   "-", "--", "---"        bulleted list item, nested by depth, class list1 to list3
//   "+", "++", "+++"        numbered list item, the same
//   "RIGHT:", "CENTER:", "LEFT:"
//                           aligned block
//   "#name(){{"             block plug-in with a body, when the plug-in is loaded
//   "#name", "#name(args)"  block plug-in without a body, when the plug-in is loaded
//   empty line              closes the open block
//   other lines             join the last list item, an aligned block or a quotation,
//                           else make a paragraph ("<br />" after each with KeepLineBreaks)
//
// Inline, on each line: plug-in calls "&name;", "&name(args);", "&name(args){body};" are
// cut out first; the text around them is escaped, then links, '''emphasis''',
// ''strong'', %%deleted%% and ((footnotes)), in that order. A "~" at the end of a line is a
// line break, except in definition terms and table cells.
//
// Pipe tables: the widest row fixes the column count; a cell "~" joins the cell above
// (rowspan), a cell ">" joins the cell to its right (colspan); a cell may start with
// format prefixes LEFT:, CENTER:, RIGHT:, COLOR(c):, BGCOLOR(c):, SIZE(n):, and a "~"
// before its text makes it a header cell.
#include "conversion/UPukiWikiDocumentConverter.h"

#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"
#include "text/ShiftJisText.h"

#include <algorithm>
#include <cstdio>
#include <optional>

namespace tarnel {

namespace {

// --- Rules --------------------------------------------------------------------------------

// Links: addresses, bracketed names and strict WikiNames, whatever LooseWikiName says.
const char* const kLinkPattern = "m/"
                                 "(((?<![A-Za-z0-9])(http|https|ftp|mailto|file):([^\\x00-\\x20()<>"
                                 "\\x7F-\\xFF])+)|(\\[\\[(.+?)\\]\\])|"
                                 "(\\b([A-Z][a-z]+([A-Z][a-z]+)+)\\b))/k";

const TPattern kPipeRowPattern("m/^\\|(.*)\\|(h|f|c)?$/k");
const TPattern kDefinitionPattern("m/^:(.*?)\\|(.*)$/k");
const TPattern kBlockPluginPattern("m/^#(\\w+)\\(\\){{$/k");

const TPattern kEmphasisPattern("m/'''([^']*?)'''/k");
const TPattern kStrongPattern("m/''([^']*?)''/k");
const TPattern kDeletedPattern("m/%%(.*?)%%/k");
const TPattern kFootnotePattern("m/^(.*?)\\(\\((.*?)\\)\\)/k");

const TTableSyntax kPipeSyntax{"m/([^|]*)\\|/k", '|', "~", false, false};

bool EndsWith(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

// Number of leading marks, at most three.
int MarkDepth(std::string_view line, char mark) {
    int depth = 0;
    while (depth < 3 && static_cast<std::size_t>(depth) < line.size() && line[depth] == mark)
        ++depth;
    return depth;
}

std::string Format(const char* format, int value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

// Sorted positions of the single-byte character c on character boundaries.
std::vector<std::size_t> Positions(std::string_view text, char c) {
    std::vector<std::size_t> found;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i))
        if (text[i] == c) found.push_back(i);
    return found;
}

// Where each character of the text starts.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i))
        starts.push_back(i);
    return starts;
}

// First element of a sorted list at or after `from`, or npos.
std::size_t FirstFrom(const std::vector<std::size_t>& list, std::size_t from) {
    auto it = std::lower_bound(list.begin(), list.end(), from);
    return it == list.end() ? std::string_view::npos : *it;
}

// A byte that may stand in a plug-in name: [^\x00-\x20()<>\x7F-\xFF].
bool IsNameByte(char c) {
    auto u = static_cast<unsigned char>(c);
    return u > 0x20 && u < 0x7F && c != '(' && c != ')' && c != '<' && c != '>';
}

int SpanAt(const TRowSpans& spans, int row, std::size_t column) {
    if (row < 0 || static_cast<std::size_t>(row) >= spans.size()) return 1;
    const auto& cells = spans[static_cast<std::size_t>(row)];
    return column < cells.size() ? cells[column] : 1;
}

} // namespace

// --- Shift_JIS bookkeeping -------------------------------------------------------------------

bool EndsWithCharacters(std::string_view Text, std::string_view Suffix) {
    if (Suffix.empty()) return true;
    if (!EndsWith(Text, Suffix)) return false;
    std::size_t start = Text.size() - Suffix.size();
    std::size_t i = 0;
    while (i < start)
        i += CharLength(Text, i);
    return i == start;
}

int CountCharacter(std::string_view Text, char C) {
    int count = 0;
    for (std::size_t i = 0; i < Text.size(); i += CharLength(Text, i))
        count += Text[i] == C;
    return count;
}

// --- Plug-in call scanners --------------------------------------------------------------------
//
// PukiWiki, inline scan and call:
//   m/^(.*?)(&.+?(\(.*?\)(\{.*?\})?)?;)/k
//   m/&([^\x00-\x20()<>\x7F-\xFF]+?)(\((.*?)\)(?:\{(.*?)\})?)?;/k   (name 1, arguments 3, body 4)
// livedoor Wiki, inline scan and call:
//   m/^(.*?)(&.+?\(.*?\)\{.*?\})/k
//   m/&([^\x00-\x20()<>\x7F-\xFF]+?)\((.*?)\)(?:\{(.*?)\})?/k      (name 1, arguments 2, body 3)
//
// What the patterns come to. The arguments of a call run from a "(" to a ")" that can end
// them: in PukiWiki one followed by ";" or by "{", a body and "};"; in the livedoor inline
// scan one followed by "{" with a "}" somewhere after it; in the livedoor call any ")".
// The body ends at the first "}" that can end it. The inline scans: after "&" and one
// character of any kind, the first "(" whose arguments can be closed (or, in PukiWiki, the
// first ";", whichever comes first) ends the call; where that is never depends on the "&",
// so once one "&" finds no end, no later one of the line does. The calls: a name is a run
// of name bytes (";" is one) after the "&"; in PukiWiki the first ";" after its first byte
// ends the call, else a "(" right after the run whose arguments can be closed; in
// livedoor Wiki a "(" right after the run with a ")" after it. Every "&" in one run meets
// the same end of the run, so a run that fails for its first "&" fails for all.

void TCallScanner::Build() {
    if (built_) return;
    built_ = true;
    bool puki = notation_ == TNotation::PukiWiki;
    for (std::size_t s : Positions(text_, '}'))
        if (!puki || (s + 1 < text_.size() && text_[s + 1] == ';')) braces_.push_back(s);
    parens_ = Positions(text_, ')');
    for (std::size_t r : parens_) {
        if (r + 1 >= text_.size()) continue;
        char next = text_[r + 1];
        bool bodyAhead = next == '{' && !braces_.empty() && braces_.back() >= r + 2;
        if (bodyAhead || (puki && next == ';')) closers_.push_back(r);
    }
}

std::size_t TCallScanner::Closer(std::size_t From) {
    Build();
    return FirstFrom(closers_, From);
}

std::size_t TCallScanner::CallEnd(std::size_t Close, std::string_view* Body) {
    Build();
    if (Close + 1 < text_.size() && text_[Close + 1] == '{') {
        std::size_t brace = FirstFrom(braces_, Close + 2);
        if (brace != std::string_view::npos) {
            if (Body) *Body = text_.substr(Close + 2, brace - Close - 2);
            // PukiWiki's "};" or livedoor Wiki's "}"
            return brace + (notation_ == TNotation::PukiWiki ? 2 : 1);
        }
    }
    return Close + (notation_ == TNotation::PukiWiki ? 2 : 1); // ");" or ")"
}

std::optional<TCallMatch> TCallScanner::NextInline(std::size_t From) {
    const bool puki = notation_ == TNotation::PukiWiki;
    for (std::size_t a = From; a < text_.size(); a += CharLength(text_, a)) {
        if (text_[a] != '&') continue;
        if (a + 1 >= text_.size()) return std::nullopt;
        std::size_t q = a + 1 + CharLength(text_, a + 1);
        for (; q < text_.size(); q += CharLength(text_, q)) {
            if (puki && text_[q] == ';') return TCallMatch{a, q + 1, {}, {}, {}};
            if (text_[q] == '(') {
                std::size_t close = Closer(q + 1);
                if (close != std::string_view::npos)
                    return TCallMatch{a, CallEnd(close, nullptr), {}, {}, {}};
                // No later "(" can be closed either; PukiWiki may still meet a ";".
                if (!puki) return std::nullopt;
            }
        }
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<TCallMatch> TCallScanner::ParseCall() {
    const bool puki = notation_ == TNotation::PukiWiki;
    std::size_t a = 0;
    while (a < text_.size()) {
        if (text_[a] != '&') {
            a += CharLength(text_, a);
            continue;
        }
        std::size_t run = a + 1;
        while (run < text_.size() && IsNameByte(text_[run]))
            ++run;
        if (run > a + 1) {
            if (puki) {
                for (std::size_t q = a + 2; q < run; ++q)
                    if (text_[q] == ';')
                        return TCallMatch{a, q + 1, text_.substr(a + 1, q - a - 1), {}, {}};
            }
            if (run < text_.size() && text_[run] == '(') {
                Build();
                std::size_t close = puki ? Closer(run + 1) : FirstFrom(parens_, run + 1);
                if (close != std::string_view::npos) {
                    TCallMatch found;
                    found.Begin = a;
                    found.Name = text_.substr(a + 1, run - a - 1);
                    found.Arguments = text_.substr(run + 1, close - run - 1);
                    found.End = CallEnd(close, &found.Body);
                    return found;
                }
            }
        }
        a = std::max(run, a + 1);
    }
    return std::nullopt;
}

// --- Block driver ---------------------------------------------------------------------------

std::string TPukiWikiDocumentConverter::ConvertBlocks(std::string_view Text) {
    std::string html;
    html.reserve(Text.size() * 2); // grows fewer times on a big page
    std::string current;
    TildeBreak = false;

    std::vector<std::string> rows; // pipe rows waiting for the end of their table
    const TPlugin* blockPlugin = nullptr;
    std::string blockBody;

    auto flushRows = [&] {
        if (rows.empty()) return;
        html += CloseBlock("table", current);
        html += OpenBlock("table", current);
        html += ConvertPipeTable(rows);
        rows.clear();
    };

    for (std::string_view line : SplitLines(Text)) {
        if (blockPlugin) {
            if (line == "}}") {
                html += CallPlugin(*blockPlugin, blockBody);
                blockPlugin = nullptr;
                blockBody.clear();
            } else {
                blockBody += line;
                blockBody += CRLF;
            }
            continue;
        }
        if (StartsWith(line, "//")) continue;

        TildeBreak = true;
        NewDepth = 0;
        if (StartsWith(line, "|")) {
            if (RegexMatch m = Search(kPipeRowPattern, line); m.Found()) {
                if (m.Group(2) != "c") rows.emplace_back(line);
                continue;
            }
        }
        flushRows();

        if (StartsWith(line, "~")) {
            html += CloseBlock("p", current);
            html += OpenBlock("p", current);
            html += ConvertInline(line.substr(1));
        } else if (StartsWith(line, "*")) {
            int level = MarkDepth(line, '*');
            std::string_view text = line.substr(static_cast<std::size_t>(level));
            THeading heading = SplitHeading(text);
            std::string_view title = heading.Title;
            std::string anchor;
            if (!heading.Anchor.empty())
                anchor = (Options.MenuBarMode ? "m" : "") + std::string(heading.Anchor);
            // An explicit anchor still uses up an anchor number.
            std::string id = NewAnchorId();
            if (anchor.empty()) anchor = id;
            std::string tag = "h" + std::to_string(level + 1);
            html += CloseBlock("", current);
            html += "<" + tag + "><a name=\"" + anchor + "\">" + ConvertInline(title);
            html += "</a></" + tag + ">";
            html += CRLF;
            Contents.Add(std::string(title), anchor, level);
        } else if (StartsWith(line, " ") && current != "ul" && current != "ol") {
            InListPre = false;
            html += CloseBlock("pre", current);
            html += OpenBlock("pre", current);
            html += EscapeHtml(line.substr(1));
            html += CRLF;
        } else if (StartsWith(line, " ")) {
            if (!InListPre) {
                InListPre = true;
                // Reopen the last item: drop its "</li>" CR LF; CloseBlock writes
                // "</pre></li>" when the list goes on or ends.
                if (EndsWith(html, "</li>\r\n"))
                    html.resize(html.size() - 7);
                else
                    html += "  <li>"; // no item to reopen (a block plug-in came between)
                html += CRLF;
                html += "<pre class=\"inlist\">";
                html += CRLF;
            }
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
            TildeBreak = false;
            html += CloseBlock("table", current);
            html += OpenBlock("table", current);
            html += ConvertTableRow(line);
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
        } else if (StartsWith(line, "RIGHT:") || StartsWith(line, "CENTER:") ||
                   StartsWith(line, "LEFT:")) {
            std::size_t colon = line.find(':');
            std::string align(line.substr(0, colon));
            for (char& c : align)
                c = static_cast<char>(c - 'A' + 'a');
            html += CloseBlock("", current);
            html += OpenBlock("div", current, align);
            html += ConvertInline(line.substr(colon + 1));
            html += CRLF;
        } else if (const TPlugin* plugin = StartsWith(line, "#") ? FindBlockPlugin(line) : nullptr;
                   plugin) {
            blockPlugin = plugin;
            blockBody.clear();
        } else if (std::optional<TBlockCall> call =
                       StartsWith(line, "#") ? FindBlockCall(line) : std::nullopt;
                   call) {
            // Its result is a block of its own, in place of the line.
            html += CloseBlock("", current);
            std::string result = CallPlugin(*call->Plugin, call->Arguments);
            html += result;
            if (!result.empty() && result.back() != '\n') html += CRLF;
        } else if (line.empty()) {
            html += CloseBlock("", current);
        } else if (current == "ul" || current == "ol") {
            // The line joins the last item.
            if (EndsWith(html, "</li>\r\n")) {
                html.resize(html.size() - 7);
                html += CRLF;
            }
            if (InListPre) {
                html += "</pre>";
                html += CRLF;
                InListPre = false;
            }
            html += ConvertInline(line) + "</li>";
            html += CRLF;
        } else if (current == "div" || current == "blockquote") {
            html += ConvertInline(line);
            html += CRLF;
        } else {
            html += CloseBlock("p", current);
            html += OpenBlock("p", current);
            html += ConvertInline(line);
            if (Options.KeepLineBreaks) html += "<br />";
        }
    }
    // A block plug-in whose "}}" never came is dropped with its body.
    flushRows();
    html += CloseBlock("", current);
    html += FootnotesHtml();
    return html;
}

const TPlugin* TPukiWikiDocumentConverter::FindBlockPlugin(std::string_view Line) {
    RegexMatch m = Search(kBlockPluginPattern, Line);
    // Without a plug-in shelf no plug-in is loaded: the line is ordinary text.
    if (!m.Found() || !Options.Plugins) return nullptr;
    return Options.Plugins->Find(m.Group(1), true);
}

std::optional<TPukiWikiDocumentConverter::TBlockCall>
TPukiWikiDocumentConverter::FindBlockCall(std::string_view Line) {
    auto isWord = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    };
    std::size_t end = 1;
    while (end < Line.size() && isWord(Line[end]))
        ++end;
    if (end == 1) return std::nullopt;
    std::string_view name = Line.substr(1, end - 1);
    std::string_view rest = Line.substr(end);
    // "(", ")" and blanks are never the second byte of a double-byte character.
    std::size_t tail = rest.find_last_not_of(" \t");
    rest = tail == std::string_view::npos ? std::string_view() : rest.substr(0, tail + 1);
    std::string_view arguments;
    if (!rest.empty()) {
        if (rest.front() != '(' || rest.back() != ')') return std::nullopt;
        arguments = rest.substr(1, rest.size() - 2);
    }
    // Without a plug-in shelf no plug-in is loaded: the line is ordinary text.
    if (!Options.Plugins) return std::nullopt;
    const TPlugin* plugin = Options.Plugins->Find(name, true);
    if (!plugin) return std::nullopt;
    return TBlockCall{plugin, arguments};
}

TPukiWikiDocumentConverter::THeading
TPukiWikiDocumentConverter::SplitHeading(std::string_view Text) {
    // What m/^(.+?)(?:\s*\[#(\w+)\])?\s*$/k comes to: the title is the shortest start (one
    // character at least) after which only blanks follow, or blanks and one "[#name]"; the
    // second wins, being shorter. Worked out from the end of the text rather than by the
    // pattern, which tries every start against every blank after it (quadratic in a long
    // run of blanks).
    auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    auto isWord = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_';
    };
    std::vector<std::size_t> starts = CharacterStarts(Text);
    if (starts.empty()) return THeading{Text, {}};
    // A lead byte at the very end is half a character: "." cannot take it, nothing matches.
    if (IsShiftJisLeadByte(Text.back()) && starts.back() == Text.size() - 1)
        return THeading{Text, {}};
    std::size_t first = starts.size() > 1 ? starts[1] : Text.size(); // end of the first character

    // k: index in `starts` of the first of the trailing blanks.
    std::size_t k = starts.size();
    while (k > 0 && isSpace(Text[starts[k - 1]]))
        --k;
    std::size_t end = k < starts.size() ? starts[k] : Text.size(); // end of the text without them

    // "[#" name "]" right before the trailing blanks (single-byte characters all).
    if (k >= 4 && Text[starts[k - 1]] == ']') {
        std::size_t j = k - 1; // index of "]", then of the first name character
        while (j > 0 && isWord(Text[starts[j - 1]]))
            --j;
        if (j < k - 1 && j >= 2 && Text[starts[j - 1]] == '#' && Text[starts[j - 2]] == '[') {
            std::size_t bracket = j - 2; // index of "["
            std::size_t b = bracket;
            while (b > 0 && isSpace(Text[starts[b - 1]]))
                --b;
            std::size_t titleEnd = std::max(starts[b], first);
            if (titleEnd <= starts[bracket])
                return THeading{Text.substr(0, titleEnd),
                                Text.substr(starts[j], starts[k - 1] - starts[j])};
        }
    }
    return THeading{Text.substr(0, std::max(end, first)), {}};
}

// --- Inline ---------------------------------------------------------------------------------

std::string TPukiWikiDocumentConverter::LinkPattern() {
    return kLinkPattern;
}

std::string TPukiWikiDocumentConverter::ConvertInline(std::string_view Text) {
    // The break mark is taken off before the line is converted, so an address at the end
    // of the line does not swallow it, and only when it is a character of its own (0x7E
    // is also the second byte of some double-byte characters).
    bool lineBreak = TildeBreak && EndsWithCharacters(Text, "~");
    if (lineBreak) Text.remove_suffix(1);

    std::string html;
    TCallScanner calls(Text, TCallScanner::TNotation::PukiWiki);
    std::size_t pos = 0;
    while (auto call = calls.NextInline(pos)) {
        html += ConvertInlinePlain(Text.substr(pos, call->Begin - pos));
        html += ConvertInlinePlugin(Text.substr(call->Begin, call->End - call->Begin));
        pos = call->End;
    }
    html += ConvertInlinePlain(Text.substr(pos));
    if (lineBreak) html += "<br>";
    return html;
}

std::string TPukiWikiDocumentConverter::ConvertInlinePlain(std::string_view Text) {
    if (Text.empty()) return {};
    using T = TPukiWikiDocumentConverter;
    return ApplyInlineRules<T>(*this, ConvertLinks(EscapeHtml(Text)),
                               {
                                   {'\'', &T::ConvertEmphasis}, // '''emphasis'''
                                   {'\'', &T::ConvertStrong},   // ''strong''
                                   {'%', &T::ConvertDeleted},   // %%deleted%%
                                   {'(', &T::ConvertFootnotes}, // ((footnote))
                               });
}

std::string TPukiWikiDocumentConverter::ConvertLink(std::string_view Match) {
    return ConvertAliasLink(*this, Match, false);
}

std::string TPukiWikiDocumentConverter::ConvertInlinePlugin(std::string_view Call) {
    return ConvertCallOf(*this, Call, TCallScanner::TNotation::PukiWiki);
}

std::string TPukiWikiDocumentConverter::ConvertDefinition(std::string_view Term,
                                                          std::string_view Description) {
    TildeBreak = false;
    std::string html = "  <dt>" + ConvertInline(Term) + "</dt>";
    html += CRLF;
    TildeBreak = true;
    html += "  <dd>" + ConvertInline(Description) + "</dd>";
    html += CRLF;
    return html;
}

std::string TPukiWikiDocumentConverter::ConvertEmphasis(std::string_view Text) {
    return ScanReplace(kEmphasisPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += "<em>";
        out += m.Group(1);
        out += "</em>";
    });
}

std::string TPukiWikiDocumentConverter::ConvertStrong(std::string_view Text) {
    return ScanReplace(kStrongPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += "<strong>";
        out += m.Group(1);
        out += "</strong>";
    });
}

std::string TPukiWikiDocumentConverter::ConvertDeleted(std::string_view Text) {
    return ScanReplace(kDeletedPattern, Text, [](const RegexMatch& m, std::string& out) {
        out += "<del>";
        out += m.Group(1);
        out += "</del>";
    });
}

std::string TPukiWikiDocumentConverter::ConvertFootnotes(std::string_view Text) {
    return ConvertFootnoteMarks(*this, Text);
}

// --- Tables ---------------------------------------------------------------------------------

std::string TPukiWikiDocumentConverter::ConvertTableRow(std::string_view Line) {
    return ConvertCsvRow(Line); // a comma-separated row, as in YukiWiki
}

std::string TPukiWikiDocumentConverter::ConvertPipeTable(const std::vector<std::string>& Rows) {
    // Cells never end in a line break; the flag is back for the line after the table.
    bool tildeBreak = TildeBreak;
    TildeBreak = false;
    // Each row is split into its cells once, for the spans and for its cells' HTML.
    const TTableCells cells = TableRowsCells(Rows, kPipeSyntax.CellPattern);
    TRowSpans spans = TableRowSpans(Rows, cells, kPipeSyntax);
    std::string html;
    for (std::size_t i = 0; i < Rows.size(); ++i)
        html += TableRowHtml(*this, cells[i], static_cast<int>(i), spans, kPipeSyntax);
    TildeBreak = tildeBreak;
    return html;
}

std::string TPukiWikiDocumentConverter::ConvertPipeRow(std::string_view Row, int RowIndex,
                                                       const TRowSpans& RowSpans) {
    return TableRowHtml(*this, Row, RowIndex, RowSpans, kPipeSyntax);
}

// --- Shared with the livedoor Wiki notation ----------------------------------------------------

namespace {

// The separator of a cell pattern that is a cell and one single-byte separator, as the
// pipe and comma tables have, or 0 for any other pattern.
char SimpleCellSeparator(const char* CellPattern) {
    std::string_view pattern(CellPattern);
    if (pattern == "m/([^|]*)\\|/k") return '|';
    if (pattern == "m/([^,]*),/k") return ',';
    return 0;
}

} // namespace

std::vector<std::string_view> TableCells(std::string_view Row, const char* CellPattern) {
    std::vector<std::string_view> cells;
    if (Row.empty()) return cells;
    std::string_view rest = Row.substr(CharLength(Row, 0));
    if (char separator = SimpleCellSeparator(CellPattern)) {
        // What the pattern finds: the text up to each separator that is a character of its
        // own (not the second byte of a double-byte character).
        std::size_t start = 0;
        for (std::size_t i = 0; i < rest.size(); i += CharLength(rest, i)) {
            if (rest[i] != separator) continue;
            cells.push_back(rest.substr(start, i - start));
            start = i + 1;
        }
        return cells;
    }
    std::size_t pos = 0;
    // Every match ends with a separator, so the scan always moves on.
    while (pos < rest.size()) {
        RegexMatch m = Search(CellPattern, rest, pos);
        if (!m.Found()) break;
        cells.push_back(m.Group(1));
        pos = m.End();
    }
    return cells;
}

TTableCells TableRowsCells(const std::vector<std::string>& Rows, const char* CellPattern) {
    TTableCells cells;
    cells.reserve(Rows.size());
    for (const std::string& row : Rows)
        cells.push_back(TableCells(row, CellPattern));
    return cells;
}

TRowSpans TableRowSpans(const std::vector<std::string>& Rows, const TTableSyntax& Syntax) {
    return TableRowSpans(Rows, TableRowsCells(Rows, Syntax.CellPattern), Syntax);
}

TRowSpans TableRowSpans(const std::vector<std::string>& Rows, const TTableCells& Cells,
                        const TTableSyntax& Syntax) {
    int columns = 0;
    for (const std::string& row : Rows)
        columns = std::max(columns, CountCharacter(row, Syntax.Separator) - 1);
    TRowSpans spans(Rows.size(), std::vector<int>(static_cast<std::size_t>(columns), 1));
    // From the last row up to the second: a covered cell hands its span, plus one, to the
    // cell above it, so a run of covered cells adds up in the cell at its top.
    for (std::size_t r = Rows.size(); r-- > 1;) {
        const std::vector<std::string_view>& cells = Cells[r];
        for (std::size_t c = 0; c < cells.size() && c < spans[r].size(); ++c) {
            if (Trim(cells[c]) != Syntax.CoveredMark) continue;
            spans[r - 1][c] = spans[r][c] + 1;
            spans[r][c] = 0;
        }
    }
    return spans;
}

std::string TableRowHtml(TWikiDocumentConverter& Converter, std::string_view Row, int RowIndex,
                         const TRowSpans& RowSpans, const TTableSyntax& Syntax) {
    return TableRowHtml(Converter, TableCells(Row, Syntax.CellPattern), RowIndex, RowSpans, Syntax);
}

std::string TableRowHtml(TWikiDocumentConverter& Converter,
                         const std::vector<std::string_view>& cells, int RowIndex,
                         const TRowSpans& RowSpans, const TTableSyntax& Syntax) {
    std::string html = "<tr>";
    html += CRLF;
    int colspan = 1;
    bool rowTagChosen = false;
    bool headerRow = false;
    for (std::size_t c = 0; c < cells.size(); ++c) {
        std::string_view text = Trim(cells[c]);
        if (text == Syntax.CoveredMark) continue; // taken by the cell above
        if (text == ">") {                        // the next cell to the right takes it
            ++colspan;
            continue;
        }
        std::string attributes;
        if (colspan > 1) attributes += Format(" colspan=\"%d\"", colspan);
        int rowspan = SpanAt(RowSpans, RowIndex, c);
        if (rowspan != 1) attributes += Format(" rowspan=\"%d\"", rowspan);

        TCellFormat format = SplitCellFormat(text, Syntax.LowerCaseFormats);
        std::string_view body = format.Body;
        bool header;
        if (Syntax.HeaderRows) {
            if (!rowTagChosen) {
                rowTagChosen = true;
                headerRow = StartsWith(body, "~");
                if (headerRow) body.remove_prefix(1);
            }
            header = headerRow;
        } else {
            header = StartsWith(body, "~");
            if (header) body.remove_prefix(1);
        }
        const char* tag = header ? "th" : "td";
        html += "  <";
        html += tag;
        if (!format.Style.empty()) html += " style=\"" + format.Style + "\"";
        html += attributes + ">";
        html += Converter.ConvertInline(body);
        html += "</";
        html += tag;
        html += ">";
        html += CRLF;
        colspan = 1;
    }
    html += "</tr>";
    html += CRLF;
    return html;
}

TCellFormat SplitCellFormat(std::string_view Cell, bool LowerCase) {
    const char* const left = LowerCase ? "left:" : "LEFT:";
    const char* const center = LowerCase ? "center:" : "CENTER:";
    const char* const right = LowerCase ? "right:" : "RIGHT:";
    const char* const color = LowerCase ? "color" : "COLOR";
    const char* const bgcolor = LowerCase ? "bgcolor" : "BGCOLOR";
    const char* const size = LowerCase ? "size" : "SIZE";

    std::string style;
    // Each prefix is the front of the rest as m/^(.+?(\(.+?\))?:)/k takes it (group 1 the
    // prefix, group 2 the value in parentheses): after a first character of any kind, it
    // ends at the first ":", or at a "(" followed by at least one character and then "):",
    // whichever comes first. Found by one scan of the cell rather than by the pattern,
    // which follows every "(" to every ")" after it.
    const std::vector<std::size_t> starts = CharacterStarts(Cell);
    // A lead byte at the very end is half a character, which "." does not take.
    std::size_t usable = Cell.size();
    if (!Cell.empty() && IsShiftJisLeadByte(Cell.back()) && starts.back() == Cell.size() - 1)
        usable = starts.back();
    std::vector<std::size_t> closes; // ")" followed by ":"
    for (std::size_t i : starts)
        if (Cell[i] == ')' && i + 1 < usable && Cell[i + 1] == ':') closes.push_back(i);

    std::size_t base = 0; // index in `starts` of the front of the rest
    while (base < starts.size()) {
        std::size_t prefixEnd = std::string_view::npos;
        std::string_view value;
        for (std::size_t n = base + 1; n < starts.size() && starts[n] < usable; ++n) {
            std::size_t q = starts[n];
            if (Cell[q] == ':') {
                prefixEnd = q + 1;
                break;
            }
            if (Cell[q] == '(' && n + 1 < starts.size() && starts[n + 1] < usable) {
                // the value takes at least the character after the "("
                std::size_t valueEnd = starts[n + 1] + CharLength(Cell, starts[n + 1]);
                std::size_t close = FirstFrom(closes, valueEnd);
                if (close != std::string_view::npos) {
                    prefixEnd = close + 2;
                    value = Cell.substr(q + 1, close - q - 1);
                    break;
                }
            }
        }
        if (prefixEnd == std::string_view::npos) break;
        std::string_view prefix = Cell.substr(starts[base], prefixEnd - starts[base]);
        // The value goes into an attribute: escaped, so a quote cannot end it.
        std::string v = TWikiDocumentConverter::EscapeHtml(value);
        if (prefix == left)
            style += "text-align:left; ";
        else if (prefix == center)
            style += "text-align:center; ";
        else if (prefix == right)
            style += "text-align:right; ";
        else if (StartsWith(prefix, color))
            style += "color:" + v + "; ";
        else if (StartsWith(prefix, bgcolor))
            style += "background-color:" + v + "; ";
        else if (StartsWith(prefix, size))
            style += "font-size:" + v + "pt; ";
        else
            break; // not a format: it stays in front of the text
        // Prefixes end in ":", a single byte, so the next front is a character start.
        auto next = std::lower_bound(starts.begin(), starts.end(), prefixEnd);
        base = static_cast<std::size_t>(next - starts.begin());
    }
    std::string_view rest = Cell.substr(base < starts.size() ? starts[base] : Cell.size());
    if (!style.empty()) style.pop_back();
    return TCellFormat{style, rest};
}

// --- Plug-in calls, links and footnotes, shared ------------------------------------------------

std::string ConvertCallOf(TWikiDocumentConverter& Converter, std::string_view Call,
                          TCallScanner::TNotation Notation) {
    std::optional<TCallMatch> call = TCallScanner(Call, Notation).ParseCall();
    if (!call) return Converter.ConvertInlinePlain(Call);
    std::string arguments(call->Arguments);
    if (!call->Body.empty()) {
        arguments += ',';
        arguments += call->Body;
    }
    const TPlugin* plugin = Converter.FindPlugin(call->Name, false);
    if (!plugin) return Converter.ConvertInlinePlain(Call);
    // Text of the call before and after the part that names the plug-in (as in
    // "&x &br;", where a blank cannot be in a name) is kept as text.
    return Converter.ConvertInlinePlain(Call.substr(0, call->Begin)) +
           Converter.CallPlugin(*plugin, arguments) +
           Converter.ConvertInlinePlain(Call.substr(call->End));
}

std::string ConvertAliasLink(TWikiDocumentConverter& Converter, std::string_view Match,
                             bool DropDoubledGt) {
    std::string match(Match);
    if (TWikiDocumentConverter::IsUrl(match)) return TWikiDocumentConverter::AddressLink(match);
    if (!(StartsWith(match, "[[") && EndsWith(match, "]]") && match.size() >= 4))
        return Converter.MakePageLink(Converter.PageFileOf(match), match, false); // a WikiName

    std::string inner = match.substr(2, match.size() - 4);
    // The line was escaped before links were matched: the alias mark ">" is "&gt;".
    std::size_t mark = inner.find("&gt;");
    if (mark == std::string::npos)
        return Converter.MakePageLink(Converter.PageFileOf(inner), inner, true);

    std::string alias = inner.substr(0, mark);
    std::string target = inner.substr(mark + 4);
    if (DropDoubledGt)
        while (StartsWith(target, "&gt;"))
            target.erase(0, 4);
    if (TWikiDocumentConverter::IsUrl(target)) {
        std::string shown = alias;
        if (TWikiDocumentConverter::IsUrl(alias) && TWikiDocumentConverter::IsImageFile(alias))
            shown = "<img src=\"" + TWikiDocumentConverter::EscapeAttribute(alias) + "\">";
        std::optional<std::string> href = TWikiDocumentConverter::AttributeAddress(target);
        return href ? "<a href=\"" + *href + "\">" + shown + "</a>" : shown;
    }
    return Converter.MakePageLink(Converter.PageFileOf(target), alias, true);
}

std::string ConvertFootnoteMarks(TWikiDocumentConverter& Converter, std::string_view Text) {
    // A mark needs a "))" after its "((": the scan stops at the last one, so that a run of
    // "((" with no end is not followed to the end of the line from each of them.
    std::size_t last = Text.rfind("))");
    if (last == std::string_view::npos) return std::string(Text);
    std::string_view head = Text.substr(0, last + 2);
    auto mark = [&Converter](const RegexMatch& m, std::string& out) {
        out += m.Group(1);
        std::string note(Trim(m.Group(2)));
        out += Converter.FootnoteRef(note);
        Converter.AddFootnote(note);
    };
    std::string html = ScanReplace(kFootnotePattern, head, mark);
    html += Text.substr(last + 2);
    return html;
}

} // namespace tarnel
