// Hatena notation: raw HTML passes through, plug-ins are called in square brackets,
// footnotes sit between double parentheses and every plain line is a paragraph of its own.
#pragma once

#include "conversion/UWikiDocumentConverter.h"

namespace tarnel {

class THatenaDocumentConverter : public TWikiDocumentConverter {
public:
    std::string FootnoteRef(const std::string& Text) override;
    std::string LinkPattern() override;
    std::string ConvertInline(std::string_view Text) override;
    std::string ConvertInlinePlain(std::string_view Text) override;
    std::string ConvertLink(std::string_view Match) override;
    std::string ConvertInlinePlugin(std::string_view Call) override;
    std::string ConvertTableRow(std::string_view Line) override;
    std::string ConvertDefinition(std::string_view Term, std::string_view Description) override;
    std::string ConvertFootnotes(std::string_view Text) override;
    std::string ConvertBlocks(std::string_view Text) override;

private:
    // The text between HTML tags: bracket calls, and plain inline text around them.
    std::string ConvertBracketCalls(std::string_view Text);
};

} // namespace tarnel
