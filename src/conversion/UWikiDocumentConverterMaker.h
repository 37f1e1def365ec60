// Making a converter for a notation, and the notation identifiers.
//
// Settings store a notation as a 0-based index (the order of the notation menu); the
// identifier is that index plus one, and 0 / -1 mean "no notation chosen".
#pragma once

#include "conversion/UWikiDocumentConverter.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace tarnel {

enum class TWikiNotation : std::uint8_t {
    None = 0,
    YukiWiki = 1,
    PukiWiki = 2,
    Hatena = 3,
    MediaWiki = 4,
    LivedoorWiki = 5,
    FreeStyleWiki = 6,
    Textile = 7,
    Markdown = 8,
};

// An identifier outside the notations.
class ERangeError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

class TWikiDocumentConverterMaker {
public:
    // A new converter of Notation configured with the owner's options; the caller owns it.
    // Raises ERangeError "invalid type at GetWikiDocumentConverter()" outside 1 to 8.
    static std::unique_ptr<TWikiDocumentConverter>
    GetWikiDocumentConverter(TWikiNotation Notation, TPluginShelf* Plugins,
                             const std::string& TemplateFolder, int LinkMode,
                             const std::string& Extension, bool Utf8FileNames, bool KeepLineBreaks);

    // 0 gives -1, 1 to 8 give 0 to 7, anything else 0.
    static int NotationToIndex(TWikiNotation Notation);
    // -1 gives None, 0 to 7 give 1 to 8, anything else YukiWiki.
    static TWikiNotation IndexToNotation(int Index);

    // The notation's name for menus and the command line ("YukiWiki", "PukiWiki", ...).
    static const char* NotationName(TWikiNotation Notation);
    // The menu caption of a notation ("YukiWiki風", ...), display form.
    static std::string NotationCaption(TWikiNotation Notation);
};

} // namespace tarnel
