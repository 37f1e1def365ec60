// MediaWiki notation: "=" headings, "*" and "#" lists, apostrophe decorations, links with
// an alias after "|", and plug-ins called as templates between double braces.
#pragma once

#include "conversion/UWikiDocumentConverter.h"

namespace tarnel {

class TMediaWikiDocumentConverter : public TWikiDocumentConverter {
public:
    std::string LinkPattern() override;
    std::string ConvertInline(std::string_view Text) override;
    std::string ConvertInlinePlain(std::string_view Text) override;
    std::string ConvertLink(std::string_view Match) override;
    std::string ConvertInlinePlugin(std::string_view Call) override;
    std::string ConvertDefinition(std::string_view Term, std::string_view Description) override;
    std::string ConvertStrong(std::string_view Text) override;
    std::string ConvertEmphasis(std::string_view Text) override;
    std::string ConvertBlocks(std::string_view Text) override;

private:
    // The text between HTML tags: templates, and plain inline text around them.
    std::string ConvertTemplates(std::string_view Text);
};

} // namespace tarnel
