// Markdown notation.
//
// Unlike the line-driven notations, Markdown is converted by a fixed sequence of passes
// over the whole text (the order is listed at the top of the .cpp file). Output of one
// pass is protected from the later ones by marker bytes, and finished HTML pieces are
// held out of the text as numbered fragments and put back at the end.
#pragma once

#include "conversion/UWikiDocumentConverter.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace tarnel {

class RegexMatch;

// A link definition of the page: "[id]: url "title"".
struct TLink {
    std::string LinkTitle;
    std::string LinkUrl;
};

class TMarkdownDocumentConverter : public TWikiDocumentConverter {
public:
    TMarkdownDocumentConverter();

    std::string LinkPattern() override;
    std::string ConvertLink(std::string_view Match) override;
    std::string ConvertBlocks(std::string_view Text) override;
    std::string ConvertPageBlocks(std::string& Text) override;

    // The block passes, used for the whole page, a block quote's body and a list item.
    std::string BlockPasses(std::string_view Text);
    // The span passes, used for headings, paragraphs, table cells and plain bodies.
    std::string SpanPasses(std::string_view Text) { return SpanPasses(std::string(Text)); }
    // The same on a text they may work on in place (a paragraph's text is as big as the page).
    std::string SpanPasses(std::string Text);

    // --- State of the page last converted ----------------------------------------------
    struct TLinkDefinition {
        std::string Id; // upper-cased; duplicates are kept, the first one is used
        TLink Link;
    };
    std::vector<TLinkDefinition> LinkDefinitions;
    int ListLevel = 0; // depth of the list pass running, 0 outside lists

    // Block quotes and list items nested deeper than this are converted flat: the deeper
    // quotation marks are dropped and deeper list items join the list at this depth, so
    // no line is left raw. Emphasis or link text nested deeper is left as typed. Each
    // level copies the text once more and takes stack, so the bound keeps hostile pages
    // linear and safe.
    static constexpr int kMaxNesting = 32;

private:
    // The passes on the cleaned page text.
    std::string ConvertCleanText(std::string text);
    std::string HoldHtmlBlocks(std::string text);
    void ReadLinkDefinitions(std::string& text);
    std::string RestoreFragments(std::string_view text) const;
    void AnchorHeadings(std::string& text);

    void TablePass(std::string& text);
    void ListPass(std::string& text);
    std::string ListItems(const std::string& list);

    // Holds an HTML piece out of the text; its reference (0x04 N 0x05).
    std::string Hold(std::string_view html);
    // Held piece N.
    std::string_view Fragment(std::size_t n) const { return fragments_[n]; }
    void ReleaseFragments();
    const TLink* FindLink(std::string_view id) const;
    // Every byte as a character reference, decimal or hexadecimal as the address decides.
    static std::string EncodeAddress(std::string_view text);

    std::unordered_map<std::string, std::size_t> linkIndex_; // id -> first definition
    // The held HTML pieces, copied into blocks that never move once made: a page may hold
    // millions of small pieces, and a growing whole would be copied as it grows.
    std::vector<std::unique_ptr<char[]>> fragmentBlocks_;
    std::size_t blockSize_ = 0; // of the last block
    std::size_t blockUsed_ = 0; // bytes of it taken
    std::vector<std::string_view> fragments_;
    std::size_t fragmentBytes_ = 0; // their sizes together
    int blockDepth_ = 0;
    int spanDepth_ = 0;
    bool tightItem_ = false; // the next BlockPasses converts the body of a tight list item
};

// --- The notation's rules -------------------------------------------------------------------
//
// Each rule is a pattern; the passes find its matches one left to right scan at a time.
// Where a pattern would backtrack without bound on some texts (a closing part that is
// missing, a run of "#", "*" or blanks, a table followed by text), the pass uses a matcher
// written for it that finds exactly the matches the pattern finds, in linear time. The
// tests hold every such matcher against its pattern.
namespace markdown {

// Hold HTML blocks: greedy first, then lazy over the result.
inline constexpr const char* kHtmlBlockGreedy =
    R"rx(m/^<(address|blockquote|center|div|dl|fieldset|form|h[1-6r]|noframes|ol|pre|p|table|ul).*?>(?:.|\n)*\n<\/\1>\n?/mik)rx";
inline constexpr const char* kHtmlBlockLazy =
    R"rx(m/^<(address|blockquote|center|div|dl|fieldset|form|h[1-6r]|noframes|ol|pre|p|table|ul).*?>(?:.|\n)*?<\/\1>\n?/mik)rx";
inline constexpr const char* kEscape = R"rx(m/\\([\\`*_{}\[\]()#+\-\.!])/k)rx";
inline constexpr const char* kLinkDefinition =
    R"rx(m/^(?=[^\x01])[ ]{0,3}\[(.+?)\]:[ \t]+<?(.+?)>?(?:[ \t]*"(.*)".*)?\n/mk)rx";
inline constexpr const char* kHeadingTag = R"rx(m/(<h([1-6])>)(.*?)(<\/h[1-6])/ki)rx";

// Block passes.
inline constexpr const char* kTable =
    R"rx(m/(?:(?:\A|\n)\n)(.*\|.*)\n([|:-][ |:-]+)\n((?:(?:.*\|.*)\n)+)(?=(?:\Z|\n))/k)rx";
inline constexpr const char* kTableCell = R"rx(m/(.*?)(\||\Z)/k)rx";
// The blanks between the hashes and the title stay on the heading's line: a "#" line
// without a title is an empty heading, and the lines after it are not taken as its title.
inline constexpr const char* kHashHeading = R"rx(m/^(#{1,6})[^\S\n]*(.*?)\s*#*$/mk)rx";
inline constexpr const char* kUnderlinedHeading = R"rx(m/^(?=[^\x01\n])(.+)\n([=\-])+\n/mk)rx";
inline constexpr const char* kRule =
    R"rx(m/^ {0,3}(?:(?:\* ?){3,}|(?:- ?){3,}|(?:_ ?){3,})[ \t]*\n/mk)rx";
inline constexpr const char* kBlockQuote =
    R"rx(m/^(> ?(?:.*?\n(?:(>.+?\n)|(?:.+?\n)|(?:\n+>.+?\n))*))/mk)rx";
inline constexpr const char* kQuoteMark = R"rx(m/^> ?(.*?)$/mk)rx";
inline constexpr const char* kOuterList =
    R"rx(m/(\n{2,}|\A\n?)([ ]{0,3}(?:[\*+\-]|[0-9]+\.)[ \t]+(?:.|\n)+?(?=\Z|(?:\n{2,}(?![ ]*([\*+\-]|[0-9]\.)[ \t]+.))))/k)rx";
inline constexpr const char* kInnerList =
    R"rx(m/(\n|\A\n?)([ ]{0,3}(?:[\*+\-]|[0-9]+\.)[ \t]+(?:.|\n)+?(?=\Z|(?:\n{2,}(?![ ]*([\*+\-]|[0-9]\.)[ \t]+.))))/k)rx";
inline constexpr const char* kListItem =
    R"rx(m/\n*([ ]*(?:[\*+\-]|[0-9]+\.))[ \t]+((.|\n)+?)(?=\n(?:[\*+\-]|[0-9]+\.)|\Z)/k)rx";
inline constexpr const char* kOutdent = R"rx(m/^(?:\t| {1,4})(.+)$/mk)rx";
inline constexpr const char* kFencedCode =
    R"rx(m/((?:\A|\n)\n)```(?:.*?)\n+((?:.|\n)*?)\n```(?=\n(\Z|\n))/k)rx";
// A run of text lines ends at an empty line, at the end, or right before a converted line
// (a heading, rule, quote, list, table or held block): text just before a block is still
// text of its own and gets formatted, instead of staying raw.
inline constexpr const char* kParagraph =
    R"rx(m/^(?=[^\x01\n])(?! {4}|\t)(.+?\n(?:[^\x01\n]+?\n)*)((?=[\n\x01]|$))/mk)rx";
inline constexpr const char* kIndentedCode = R"rx(m/^((?:(?: {4}|\t).*?(?:\n|\Z))+)/mk)rx";
inline constexpr const char* kCodeIndent = R"rx(m/^(?: {4}|\t)(.*?(?:\n|\Z))/mk)rx";
inline constexpr const char* kStrayLess = R"rx(m/<(?![a-z!\/])/ki)rx";
// Entity names are matched in either case ("&Auml;" is a reference, not text).
inline constexpr const char* kStrayAmpersand =
    R"rx(m/&(?!(#[xX]?)?(?:[0-9a-fA-F]+|[a-zA-Z]+);)/k)rx";
// The same with its runs atomic: a shorter run is always followed by another letter, never
// by ";", so giving letters back cannot help; it only cost a retry per letter.
inline constexpr const char* kStrayAmpersandAtomic =
    R"rx(m/&(?!(#[xX]?)?(?:(?>[0-9a-fA-F]+)|(?>[a-zA-Z]+));)/k)rx";

// Span passes.
inline constexpr const char* kCodeSpan = R"rx(m/(`+)([^`].*?)\1/k)rx";
inline constexpr const char* kHardBreak = R"rx(m/ {2}\r?\n/mk)rx";
// Between "<" and ">" an address may hold Japanese characters: the brackets mark its end,
// so nothing but blanks, parentheses, brackets and control bytes need stop it.
inline constexpr const char* kLink =
    R"rx(m/((<(https?|ftp|file):([^\x00-\x20()<>\x7F])*>)|(\[\[(.+?)\]\]))/k)rx";
inline constexpr const char* kEmail = R"rx(m/<(?:mailto:)?(.+?@.+?)>/ki)rx";
inline constexpr const char* kInlineImage = R"rx(m/!\[(.+?)\]\((.+?)(?:[ ]*"(.*?)")?\)/k)rx";
// The link text is balanced: it holds no "]" of its own except one closing an inner "[",
// so "[a][none] then [b](/u)" links "b" and leaves "[a][none]" as typed.
inline constexpr const char* kInlineLink =
    R"rx(m/\[((?:[^\[\]\n]|\[[^\[\]\n]*\])+?)\]\((.+?)(?:[ ]*"(.*?)")?\)/k)rx";
inline constexpr const char* kReferenceImage = R"rx(m/!\[(.+?)\] ?\[(.*?)\]/k)rx";
inline constexpr const char* kReferenceLink = R"rx(m/\[(.+?)\] ?\[(.*?)\]/k)rx";
inline constexpr const char* kStrong = R"rx(m/(\*\*|__)(?=\S)(.*?\S)\1/k)rx";
inline constexpr const char* kEmphasis = R"rx(m/(\*|_)(?=\S)(.*?\S)\1/k)rx";

// One match of a rule: the whole match (group 0) and the capture groups, as byte offsets
// into the text the matcher was made for. Same meaning as a pattern's match.
class TRuleMatch {
public:
    TRuleMatch() = default;
    TRuleMatch(std::string_view text, int groups);
    static TRuleMatch FromRegex(std::string_view text, const RegexMatch& match);

    bool Found() const { return !groups_.empty(); }
    std::size_t Position() const { return groups_[0].first; }
    std::size_t End() const { return groups_[0].second; }
    std::size_t Length() const { return End() - Position(); }
    bool Matched(int i) const;
    std::string_view Group(int i) const; // empty for a group that took no part
    void Set(int i, std::size_t begin, std::size_t end);

private:
    std::string_view text_;
    std::vector<std::pair<std::size_t, std::size_t>> groups_;
};

// Each matcher is made for one text (which must outlive it) and answers Find(from): the
// leftmost match at or after `from`, with "^" and "\A" anchoring at `from` as in the scan
// loop. It holds what it learnt about the text so a whole pass stays linear.
class THtmlBlockMatcher {
public:
    THtmlBlockMatcher(std::string_view text, bool greedy);
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch At(std::size_t start) const;
    std::string_view text_;
    bool greedy_;
    std::vector<std::size_t> lastClosing_;           // per tag: last "\n</tag>" (greedy)
    std::vector<std::vector<std::size_t>> closings_; // per tag: every "</tag>" (lazy)
};

class TLinkDefinitionMatcher {
public:
    explicit TLinkDefinitionMatcher(std::string_view text) : text_(text) {}
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch At(std::size_t start) const;
    TRuleMatch Rest(std::size_t start, std::size_t idStart, std::size_t idEnd,
                    std::size_t lineEnd) const;
    std::string_view text_;
};

class TTableMatcher {
public:
    explicit TTableMatcher(std::string_view text) : text_(text) {}
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch At(std::size_t start, std::size_t header) const;
    std::string_view text_;
};

class THashHeadingMatcher {
public:
    explicit THashHeadingMatcher(std::string_view text) : text_(text) {}
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch At(std::size_t start) const;
    std::string_view text_;
};

class TUnderlinedHeadingMatcher {
public:
    explicit TUnderlinedHeadingMatcher(std::string_view text) : text_(text) {}
    TRuleMatch Find(std::size_t from) const;

private:
    std::string_view text_;
};

class TRuleLineMatcher {
public:
    explicit TRuleLineMatcher(std::string_view text) : text_(text) {}
    TRuleMatch Find(std::size_t from) const;

private:
    std::string_view text_;
};

class TBlockQuoteMatcher {
public:
    explicit TBlockQuoteMatcher(std::string_view text) : text_(text) {}
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch At(std::size_t start) const;
    std::string_view text_;
};

class TListMatcher {
public:
    TListMatcher(std::string_view text, bool outermost) : text_(text), outermost_(outermost) {}
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch At(std::size_t start, std::size_t marker) const;
    std::string_view text_;
    bool outermost_;
};

class TListItemMatcher {
public:
    explicit TListItemMatcher(std::string_view text) : text_(text) {}
    TRuleMatch Find(std::size_t from) const;

private:
    std::string_view text_;
};

class TFencedCodeMatcher {
public:
    explicit TFencedCodeMatcher(std::string_view text);
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch At(std::size_t start, std::size_t fence) const;
    std::string_view text_;
    std::vector<std::size_t> closings_; // every "\n```\n" followed by a line end or the end
};

class TParagraphMatcher {
public:
    explicit TParagraphMatcher(std::string_view text) : text_(text) {}
    TRuleMatch Find(std::size_t from) const;

private:
    std::string_view text_;
};

class TIndentedCodeMatcher {
public:
    explicit TIndentedCodeMatcher(std::string_view text) : text_(text) {}
    TRuleMatch Find(std::size_t from) const;

private:
    std::string_view text_;
};

// Span matchers. Positions of the bytes a rule looks for are collected once, so that the
// question "is there a closing part further on this line" costs a binary search.
class TCodeSpanMatcher {
public:
    explicit TCodeSpanMatcher(std::string_view text);
    TRuleMatch Find(std::size_t from) const;

private:
    std::string_view text_;
    std::vector<std::size_t> runStart_, runLength_, runBest_; // backtick runs
    std::vector<std::size_t> newlines_;
};

class TLinkMatcher {
public:
    explicit TLinkMatcher(std::string_view text);
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch Link(std::size_t start, std::size_t end) const;
    // End of the address link "<scheme:...>" at text[at], or npos.
    std::size_t AddressLinkEnd(std::size_t at) const;
    std::string_view text_;
    std::vector<std::size_t> candidates_; // "<" and "[["
    std::vector<std::size_t> closings_;   // "]]"
    std::vector<std::size_t> newlines_;
};

class TEmailMatcher {
public:
    explicit TEmailMatcher(std::string_view text);
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch Try(std::size_t start, std::size_t inner, std::size_t lineEnd) const;
    std::string_view text_;
    std::vector<std::size_t> less_, at_, greater_, newlines_;
};

class TInlineLinkMatcher {
public:
    TInlineLinkMatcher(std::string_view text, bool image);
    TRuleMatch Find(std::size_t from) const;

private:
    TRuleMatch At(std::size_t start) const;
    std::string_view text_;
    bool image_;
    std::vector<std::size_t> candidates_, bracketParen_, parens_, quoteParens_, newlines_;
};

class TReferenceMatcher {
public:
    TReferenceMatcher(std::string_view text, bool image);
    TRuleMatch Find(std::size_t from) const;

private:
    std::string_view text_;
    bool image_;
    std::vector<std::size_t> candidates_, idClosings_, brackets_, newlines_;
};

class TEmphasisMatcher {
public:
    TEmphasisMatcher(std::string_view text, bool strong);
    TRuleMatch Find(std::size_t from) const;

private:
    std::string_view text_;
    bool strong_;
    std::vector<std::size_t> openers_, starClosers_, lineClosers_, newlines_;
};

class THeadingTagMatcher {
public:
    explicit THeadingTagMatcher(std::string_view text);
    TRuleMatch Find(std::size_t from) const;

private:
    std::string_view text_;
    std::vector<std::size_t> openers_, closings_, newlines_;
};

// The cells of a table line: a leading "|" is dropped, then each cell runs to the next
// "|" or the end (kTableCell) and is trimmed of bytes up to 0x20. A line ending in "|"
// has no empty last cell; blanks after the last "|" make one.
std::vector<std::string> SplitTableCells(std::string_view line);

// The line rewrites inside a block (the scan loop of kQuoteMark, kCodeIndent, kOutdent).
std::string StripQuoteMarks(std::string_view text);
std::string StripCodeIndent(std::string_view text);
std::string Outdent(std::string_view text);
// The body of a quotation or list item at the nesting bound, made flat: every quotation
// mark is dropped, list markers move to the line start and a run of markers on one line
// ("* * * x") counts as one.
std::string FlattenNesting(std::string_view text);

// The scan loops of kEscape (each escaped character becomes its escape reference), of
// kStrayLess ("&lt;") and of kStrayAmpersand ("&amp;"), on the text in place: a text they
// match nowhere is not copied.
void ProtectEscapes(std::string& text);
void EncodeStrayLess(std::string& text);
void EncodeStrayAmpersands(std::string& text);

// Removes the converter's marker bytes 0x01 to 0x05 from page text, and replaces a
// double-byte lead byte that has no valid second byte by "?".
std::string CleanPageText(std::string_view text);

} // namespace markdown

} // namespace tarnel
