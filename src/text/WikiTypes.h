// Identifiers that every layer shares: the notation of a wiki and how page text is read.
//
// They sit at the bottom so that the settings can store them and the converters can act on
// them without either layer looking at the other.
#pragma once

#include <cstdint>

namespace tarnel {

// The notation identifier. Settings store a notation as a 0-based index (the order of the
// notation menu): the identifier minus one, and -1 for "no notation chosen".
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

// 0 gives -1, 1 to 8 give 0 to 7, anything else 0.
constexpr int NotationToIndex(TWikiNotation notation) {
    const int id = static_cast<int>(notation);
    if (id == 0) return -1;
    return id >= 1 && id <= 8 ? id - 1 : 0;
}

// -1 gives None, 0 to 7 give 1 to 8, anything else YukiWiki.
constexpr TWikiNotation IndexToNotation(int index) {
    if (index == -1) return TWikiNotation::None;
    if (index >= 0 && index <= 7) return static_cast<TWikiNotation>(index + 1);
    return TWikiNotation::YukiWiki;
}

// How page text is decoded when read.
enum class ReadCharCode : int {
    Automatic = 0, // Shift_JIS and JIS become EUC-JP; EUC-JP, ASCII and undecidable stay
    EucJp = 1,     // bytes are taken as they are
};

} // namespace tarnel
