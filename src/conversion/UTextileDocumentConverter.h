// Textile notation: "hN." headings, block prefixes, phrase modifiers between blanks or in
// square brackets, "text":address links, styled spans, table cells with attribute
// prefixes, <pre> blocks and {{plugin(arguments)}} calls.
#pragma once

#include "conversion/UWikiDocumentConverter.h"

namespace tarnel {

class TTextileDocumentConverter : public TWikiDocumentConverter {
public:
    // Replaces the base link pass: quoted links and [[page]] links only, no bare addresses
    // and no WikiNames.
    std::string ConvertLinks(std::string_view Text) override;
    std::string ConvertInline(std::string_view Text) override;
    std::string ConvertInlinePlain(std::string_view Text) override;
    std::string ConvertInlinePlugin(std::string_view Call) override;
    std::string ConvertTableRow(std::string_view Line) override;
    std::string ConvertStrong(std::string_view Text) override;
    std::string ConvertDeleted(std::string_view Text) override;
    std::string ConvertEmphasis(std::string_view Text) override;
    std::string ConvertBlocks(std::string_view Text) override;

    // The "@code@" phrase.
    virtual std::string ConvertCode(std::string_view Text);
    // The "??citation??" phrase.
    virtual std::string ConvertCitation(std::string_view Text);
    // The "+inserted+" phrase.
    virtual std::string ConvertInserted(std::string_view Text);

private:
    // The link rules (ConvertLinks) on a run of escaped text, in place.
    void ApplyLinks(std::string& Html);
};

} // namespace tarnel
