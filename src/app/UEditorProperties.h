// The editing control's display properties and the addresses it colours, without Qt.
//
// The properties are stored as one settings value (Editor/Property) in a text form of their
// own: "Name=value" pairs joined by ";" (the font family may hold blanks but no ";"). A
// missing, unknown or malformed pair leaves that property at its default, so a value written
// by an older or newer Tarnel still loads.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

struct TEditorProperties {
    std::string FontFamily = "Noto Sans Mono CJK JP";
    int FontSize = 11;       // points, 4..72
    int TabWidth = 8;        // columns, 1..32
    int WrapColumn = 80;     // the column of word-wrap mode 2, 1..1000
    bool LineNumbers = true; // the line-number bar
    bool LineEnds = true;    // a mark at every line end
    bool EndMark = true;     // "[EOF]" after the last line
    bool Addresses = true;   // web and mail addresses coloured
    bool Brackets = true;    // the bracket at the caret and its partner highlighted

    static TEditorProperties Parse(std::string_view text);
    std::string Text() const;
    bool operator==(const TEditorProperties&) const = default;
};

// A web address ("http://", "https://", "ftp://", "file://", "mailto:") or a mail address
// ("name@host.domain") found in a text.
struct TAddressRange {
    std::size_t Start = 0;
    std::size_t Length = 0;
};

// The addresses of `text` (UTF-8; a visible part of the editor's text), in text order. Only
// ASCII counts as address characters, so an address ends before a Japanese character.
std::vector<TAddressRange> FindAddresses(std::string_view text);

} // namespace tarnel
