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

std::unique_ptr<TWikiDocumentConverter> TWikiDocumentConverterMaker::GetWikiDocumentConverter(
    TWikiNotation Notation, TPluginShelf* Plugins, const std::string& TemplateFolder, int LinkMode,
    const std::string& Extension, bool Utf8FileNames, bool KeepLineBreaks) {
    if (!InRange(Notation)) throw ERangeError("invalid type at GetWikiDocumentConverter()");
    std::unique_ptr<TWikiDocumentConverter> converter = NewConverter(Notation);
    converter->Plugins = Plugins;
    converter->TemplateFolder = TemplateFolder;
    converter->LinkMode = LinkMode;
    converter->Extension = Extension;
    converter->Utf8FileNames = Utf8FileNames;
    converter->KeepLineBreaks = KeepLineBreaks;
    return converter;
}

int TWikiDocumentConverterMaker::NotationToIndex(TWikiNotation Notation) {
    if (Notation == TWikiNotation::None) return -1;
    if (InRange(Notation)) return static_cast<int>(Notation) - 1;
    return 0;
}

TWikiNotation TWikiDocumentConverterMaker::IndexToNotation(int Index) {
    if (Index == -1) return TWikiNotation::None;
    if (Index >= 0 && Index <= 7) return static_cast<TWikiNotation>(Index + 1);
    return TWikiNotation::YukiWiki;
}

const char* TWikiDocumentConverterMaker::NotationName(TWikiNotation Notation) {
    return InRange(Notation) ? kNotations[static_cast<int>(Notation) - 1].name : "";
}

std::string TWikiDocumentConverterMaker::NotationCaption(TWikiNotation Notation) {
    return InRange(Notation) ? kNotations[static_cast<int>(Notation) - 1].caption : "";
}

} // namespace tarnel
