// FreeStyleWiki notation: "!" headings with explicit anchor names, comma-separated tables
// with a header row, quotations, single- and double-bracketed links, {{plugin}} calls.
#pragma once

#include "conversion/UWikiDocumentConverter.h"

namespace tarnel {

class TFreeStyleWikiDocumentConverter : public TWikiDocumentConverter {
public:
    // Set by the driver before each table row: the first row of a table has header cells.
    bool HeaderRow = false;

    std::string LinkPattern() override;
    // The same pass as the base, but shown only the part of the text where each kind of
    // link can still end, so that unclosed brackets cost no more than one look each.
    std::string ConvertLinks(std::string_view Text) override;
    std::string ConvertInline(std::string_view Text) override;
    std::string ConvertInlinePlain(std::string_view Text) override;
    std::string ConvertLink(std::string_view Match) override;
    std::string ConvertInlinePlugin(std::string_view Call) override;
    std::string ConvertTableRow(std::string_view Line) override;
    std::string ConvertDefinition(std::string_view Term, std::string_view Description) override;
    std::string ConvertStrong(std::string_view Text) override;
    std::string ConvertDeleted(std::string_view Text) override;
    std::string ConvertEmphasis(std::string_view Text) override;
    std::string ConvertBlocks(std::string_view Text) override;

    // The "__inserted__" phrase.
    virtual std::string ConvertInserted(std::string_view Text);
};

} // namespace tarnel
