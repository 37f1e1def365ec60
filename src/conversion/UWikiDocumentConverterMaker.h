// Making a converter for a notation, and the notation identifiers.
//
// Settings store a notation as a 0-based index (the order of the notation menu); the
// identifier is that index plus one, and 0 / -1 mean "no notation chosen".
#pragma once

#include "conversion/UWikiDocumentConverter.h"
#include "text/WikiTypes.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace tarnel {

// An identifier outside the notations.
class ERangeError : public std::out_of_range {
public:
    using std::out_of_range::out_of_range;
};

class TWikiDocumentConverterMaker {
public:
    // A new converter of Notation with the owner's options; the caller owns it.
    // Raises ERangeError "invalid type at GetWikiDocumentConverter()" outside 1 to 8.
    static std::unique_ptr<TWikiDocumentConverter>
    GetWikiDocumentConverter(TWikiNotation Notation, const TConverterOptions& Options);

    // The stored index of a notation and back (see text/WikiTypes.h).
    static int NotationToIndex(TWikiNotation Notation) { return tarnel::NotationToIndex(Notation); }
    static TWikiNotation IndexToNotation(int Index) { return tarnel::IndexToNotation(Index); }

    // The notation's name for menus and the command line ("YukiWiki", "PukiWiki", ...).
    static const char* NotationName(TWikiNotation Notation);
    // The menu caption of a notation ("YukiWiki風", ...), display form.
    static std::string NotationCaption(TWikiNotation Notation);
};

} // namespace tarnel
