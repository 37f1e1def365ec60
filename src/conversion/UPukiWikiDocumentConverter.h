// PukiWiki notation: footnotes, explicit heading anchors, numbered and bulleted lists,
// aligned blocks, pipe tables with spans and cell formats, comment lines, block plug-ins
// with a body and inline plug-ins with a body.
//
// The pipe-table machinery, the bracketed link with an alias and the footnote marks are
// shared with the livedoor Wiki notation, which is written the same way in those respects;
// they are the free functions at the end of this header.
#pragma once

#include "conversion/UWikiDocumentConverter.h"
#include "text/ShiftJisText.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// Row spans of one table, [row][column]: 1 for an ordinary cell, 0 for a cell covered by
// the cell above it, n > 1 for a cell that reaches n rows down.
using TRowSpans = std::vector<std::vector<int>>;

class TPukiWikiDocumentConverter : public TWikiDocumentConverter {
public:
    // A "~" at the end of a line becomes a line break. Set at the start of every line that
    // is not a comment; cleared for CSV rows, for the cells of a pipe table and for a
    // definition term.
    bool TildeBreak = false;

    std::string LinkPattern() override;
    std::string ConvertInline(std::string_view Text) override;
    std::string ConvertInlinePlain(std::string_view Text) override;
    std::string ConvertLink(std::string_view Match) override;
    std::string ConvertInlinePlugin(std::string_view Call) override;
    std::string ConvertTableRow(std::string_view Line) override;
    std::string ConvertDefinition(std::string_view Term, std::string_view Description) override;
    std::string ConvertStrong(std::string_view Text) override;
    std::string ConvertDeleted(std::string_view Text) override;
    std::string ConvertFootnotes(std::string_view Text) override;
    std::string ConvertEmphasis(std::string_view Text) override;
    std::string ConvertBlocks(std::string_view Text) override;

    // A heading's text after its stars, split as m/^(.+?)(?:\s*\[#(\w+)\])?\s*$/k does:
    // the title without trailing blanks, and the explicit anchor name (empty without one).
    // A text the pattern does not match (an empty one) is all title.
    struct THeading {
        std::string_view Title;
        std::string_view Anchor;
    };
    static THeading SplitHeading(std::string_view Text);

    // The pending pipe rows of one table ("|a|b|", "|a|b|h", ...) as a run of "tr" elements.
    virtual std::string ConvertPipeTable(const std::vector<std::string>& Rows);
    // One pipe row; RowIndex is its index in the table and RowSpans the table's row spans.
    virtual std::string ConvertPipeRow(std::string_view Row, int RowIndex,
                                       const TRowSpans& RowSpans);

private:
    // The loaded plug-in that a line "#name(){{" opens (the name compared with case), or
    // nullptr for any other line.
    const TPlugin* FindBlockPlugin(std::string_view Line);

    // A block call without a body: "#name" or "#name(arguments)", blanks after it allowed,
    // naming a loaded plug-in (with case).
    struct TBlockCall {
        const TPlugin* Plugin = nullptr;
        std::string_view Arguments; // between the first "(" and the last ")"
    };
    std::optional<TBlockCall> FindBlockCall(std::string_view Line);
};

// --- Shared with the livedoor Wiki notation ----------------------------------------------

// How the cells of a pipe-style table are written.
struct TTableSyntax {
    const char* CellPattern; // one cell and its separator; group 1 is the cell text
    char Separator;          // "|" or ","
    const char* CoveredMark; // a cell taken by the cell above it: "~" or "^"
    bool LowerCaseFormats;   // "left:", "color(...):" ... instead of "LEFT:", "COLOR(...):"
    bool HeaderRows;         // "~" before the first cell's text makes the whole row "th"
                             // (otherwise "~" makes only its own cell a "th")
};

// Rows of a table in a span table as wide as the widest row: the column count is the
// largest number of separators in a row, minus one. A covered cell hands its span to the
// cell above it, from the last row up to the second.
TRowSpans TableRowSpans(const std::vector<std::string>& Rows, const TTableSyntax& Syntax);
// The same from the rows' cells as TableRowsCells gives them.
using TTableCells = std::vector<std::vector<std::string_view>>;
TRowSpans TableRowSpans(const std::vector<std::string>& Rows, const TTableCells& Cells,
                        const TTableSyntax& Syntax);

// One row as a "tr" element; every cell text goes through Converter.ConvertInline.
std::string TableRowHtml(TWikiDocumentConverter& Converter, std::string_view Row, int RowIndex,
                         const TRowSpans& RowSpans, const TTableSyntax& Syntax);
// The same from the row's cells, so that a table splits each row only once.
std::string TableRowHtml(TWikiDocumentConverter& Converter,
                         const std::vector<std::string_view>& Cells, int RowIndex,
                         const TRowSpans& RowSpans, const TTableSyntax& Syntax);

// The cells of a row: the texts that CellPattern finds in the row without its first
// character. Text after the last separator (a row mark such as "h") is not a cell.
std::vector<std::string_view> TableCells(std::string_view Row, const char* CellPattern);
// TableCells of each row (the views point into Rows).
TTableCells TableRowsCells(const std::vector<std::string>& Rows, const char* CellPattern);

// A cell split into its format prefixes, as an inline style, and the rest.
struct TCellFormat {
    std::string Style;     // "text-align:center; color:red" (no trailing blank), or empty
    std::string_view Body; // the text after the prefixes
};
TCellFormat SplitCellFormat(std::string_view Cell, bool LowerCase);

// The bracketed link with an alias, "[[alias>target]]" (matched in escaped text, so the ">"
// is "&gt;"), and the plain forms. DropDoubledGt removes the "&gt;" marks left in front of
// the target, for livedoor Wiki's "[[alias>>target]]".
std::string ConvertAliasLink(TWikiDocumentConverter& Converter, std::string_view Match,
                             bool DropDoubledGt);

// Footnote marks "((text))" in converted text: each becomes a numbered mark and the
// trimmed text joins the page's footnotes.
std::string ConvertFootnoteMarks(TWikiDocumentConverter& Converter, std::string_view Text);

// Plug-in calls in a line, found exactly where the call patterns of the two notations
// find them (the patterns are listed with the scanner in the .cpp), in linear time: the
// patterns themselves follow every "(" to every ")" of the line and back, which takes
// quadratic time on a long line with many of them.
struct TCallMatch {
    std::size_t Begin = 0, End = 0;         // byte offsets of the match in the scanned text
    std::string_view Name, Arguments, Body; // the parts, for ParseCall
};

class TCallScanner {
public:
    enum class TNotation { PukiWiki, Livedoor };
    TCallScanner(std::string_view Text, TNotation Notation) : text_(Text), notation_(Notation) {}

    // The next call of the inline scan at or after From (a character boundary): group 2 of
    // the inline pattern, whose group 1 is the text from From to Begin.
    std::optional<TCallMatch> NextInline(std::size_t From);
    // The first match of the call pattern in the text, taken apart.
    std::optional<TCallMatch> ParseCall();

private:
    // The ")" at or after From that can end a call's arguments, or npos; End() gives the
    // end of the call it closes, with the body when it has one.
    std::size_t Closer(std::size_t From);
    std::size_t CallEnd(std::size_t Close, std::string_view* Body);
    void Build();

    std::string_view text_;
    TNotation notation_;
    bool built_ = false;
    std::vector<std::size_t> braces_;  // "}" (PukiWiki: only those followed by ";")
    std::vector<std::size_t> closers_; // ")" that can end arguments
    std::vector<std::size_t> parens_;  // every ")"
};

// One inline plug-in call, "&name(arguments){body};" (PukiWiki) or its livedoor Wiki form:
// the named plug-in's HTML, with the call's text before and after the part that names the
// plug-in kept as inline text; a call that does not parse, or names no loaded plug-in,
// stays inline text. Looks plug-ins up without case.
std::string ConvertCallOf(TWikiDocumentConverter& Converter, std::string_view Call,
                          TCallScanner::TNotation Notation);

// Whether Text ends with Suffix and the suffix begins on a character boundary (its first
// byte is not the second byte of a double-byte character).
bool EndsWithCharacters(std::string_view Text, std::string_view Suffix);
// Number of occurrences of the single-byte character C that stand on character boundaries.
int CountCharacter(std::string_view Text, char C);

} // namespace tarnel
