// YukiWiki notation: the first notation and the default.
#pragma once

#include "conversion/UWikiDocumentConverter.h"

namespace tarnel {

class TYukiWikiDocumentConverter : public TWikiDocumentConverter {
public:
    std::string ConvertInline(std::string_view Text) override;
    std::string ConvertInlinePlain(std::string_view Text) override;
    std::string ConvertLink(std::string_view Match) override;
    std::string ConvertInlinePlugin(std::string_view Call) override;
    std::string ConvertTableRow(std::string_view Line) override;
    std::string ConvertDefinition(std::string_view Term, std::string_view Description) override;
    std::string ConvertStrong(std::string_view Text) override;
    std::string ConvertEmphasis(std::string_view Text) override;
    std::string ConvertBlocks(std::string_view Text) override;
};

} // namespace tarnel
