#include "conversion/UWikiDocumentConverterMaker.h"

#include "conversion/UFreeStyleWikiDocumentConverter.h"
#include "conversion/UHatenaDocumentConverter.h"
#include "conversion/ULivedoorWikiDocumentConverter.h"
#include "conversion/UMarkdownDocumentConverter.h"
#include "conversion/UMediaWikiDocumentConverter.h"
#include "conversion/UPukiWikiDocumentConverter.h"
#include "conversion/UTextileDocumentConverter.h"
#include "conversion/UYukiWikiDocumentConverter.h"

namespace tarnel {

namespace {

struct NotationInfo {
    const char* name;
    const char* caption; // Shift_JIS
};

// In identifier order, 1 to 8. The captions end in the Shift_JIS "fu" (style).
const NotationInfo kNotations[] = {
    {"YukiWiki", "YukiWiki\x95\x97"},
    {"PukiWiki", "PukiWiki\x95\x97"},
    {"Hatena", "\x82\xCD\x82\xC4\x82\xC8\x95\x97"},
    {"MediaWiki", "MediaWiki\x95\x97"},
    {"livedoor Wiki", "livedoor Wiki\x95\x97"},
    {"FreeStyleWiki", "FreeStyle Wiki\x95\x97"},
    {"Textile", "Textile\x95\x97"},
    {"Markdown", "Markdown\x95\x97"},
};

bool InRange(TWikiNotation n) {
    auto v = static_cast<int>(n);
    return v >= 1 && v <= 8;
}

std::unique_ptr<TWikiDocumentConverter> NewConverter(TWikiNotation notation) {
    switch (notation) {
    case TWikiNotation::YukiWiki:
        return std::make_unique<TYukiWikiDocumentConverter>();
    case TWikiNotation::PukiWiki:
        return std::make_unique<TPukiWikiDocumentConverter>();
    case TWikiNotation::Hatena:
        return std::make_unique<THatenaDocumentConverter>();
    case TWikiNotation::MediaWiki:
        return std::make_unique<TMediaWikiDocumentConverter>();
    case TWikiNotation::LivedoorWiki:
        return std::make_unique<TLivedoorWikiDocumentConverter>();
    case TWikiNotation::FreeStyleWiki:
        return std::make_unique<TFreeStyleWikiDocumentConverter>();
    case TWikiNotation::Textile:
        return std::make_unique<TTextileDocumentConverter>();
    case TWikiNotation::Markdown:
        return std::make_unique<TMarkdownDocumentConverter>();
    case TWikiNotation::None:
        break;
    }
    return nullptr;
}

} // namespace

std::unique_ptr<TWikiDocumentConverter>
TWikiDocumentConverterMaker::GetWikiDocumentConverter(TWikiNotation Notation,
                                                      const TConverterOptions& Options) {
    if (!InRange(Notation)) throw ERangeError("invalid type at GetWikiDocumentConverter()");
    std::unique_ptr<TWikiDocumentConverter> converter = NewConverter(Notation);
    converter->Options = Options;
    return converter;
}

const char* TWikiDocumentConverterMaker::NotationName(TWikiNotation Notation) {
    return InRange(Notation) ? kNotations[static_cast<int>(Notation) - 1].name : "";
}

std::string TWikiDocumentConverterMaker::NotationCaption(TWikiNotation Notation) {
    return InRange(Notation) ? kNotations[static_cast<int>(Notation) - 1].caption : "";
}

} // namespace tarnel
