// livedoor Wiki notation. Written much like PukiWiki (and sharing its table machinery, its
// bracketed links with an alias and its footnotes), with verbatim and ascii-art blocks
// between marker lines, pipe and comma tables whose header mark applies to a whole row,
// and more text decorations; no WikiNames, aligned blocks, heading anchors or block
// plug-ins.
#pragma once

#include "conversion/UPukiWikiDocumentConverter.h"

#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

class TLivedoorWikiDocumentConverter : public TWikiDocumentConverter {
public:
    std::string LinkPattern() override;
    std::string ConvertInline(std::string_view Text) override;
    std::string ConvertInlinePlain(std::string_view Text) override;
    std::string ConvertLink(std::string_view Match) override;
    std::string ConvertInlinePlugin(std::string_view Call) override;
    std::string ConvertDefinition(std::string_view Term, std::string_view Description) override;
    std::string ConvertStrong(std::string_view Text) override;
    std::string ConvertDeleted(std::string_view Text) override;
    std::string ConvertFootnotes(std::string_view Text) override;
    std::string ConvertEmphasis(std::string_view Text) override;
    std::string ConvertBlocks(std::string_view Text) override;

    // The rows of one table as a run of "tr" elements. CellPattern finds one cell and its
    // separator (group 1 is the cell); Separator is "|" or ",".
    virtual std::string ConvertTable(const std::vector<std::string_view>& Rows,
                                     const char* CellPattern, std::string_view Separator);
    // One row; RowIndex is its index in the table and RowSpans the table's row spans.
    virtual std::string ConvertTableRowEx(std::string_view Row, int RowIndex,
                                          const char* CellPattern, const TRowSpans& RowSpans);
    // "~~" breaks the line.
    virtual std::string ConvertBreakMarks(std::string_view Text);
    // __subscript__
    virtual std::string ConvertSubscript(std::string_view Text);
    // %%%inserted%%%
    virtual std::string ConvertInserted(std::string_view Text);

private:
    // A block between an opening marker line (at Index) and the first line ending in
    // "||=", or the end of the page; returns the index of the closing line.
    std::size_t ConvertFence(const std::vector<std::string_view>& Lines, std::size_t Index,
                             bool AsciiArt, std::string& Html, std::string& CurrentTag);
};

} // namespace tarnel
