// Small helpers on Shift_JIS (display-form) byte strings, shared by the notation units.
//
// Characters are read as the pattern matcher reads Shift_JIS: a lead byte (0x81-0x9F,
// 0xE0-0xFC) takes the byte after it, whatever that is; a lead byte at the very end stands
// alone. ASCII marks such as "]" or "|" can be the second byte of a character, so a search
// for a mark that must be a character of its own walks character by character.
#pragma once

#include "text/BRegExp.h"

#include <string>
#include <string_view>

namespace tarnel {

inline bool IsShiftJisLeadByte(char c) {
    auto b = static_cast<unsigned char>(c);
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Bytes of the character at text[i].
inline std::size_t CharLength(std::string_view text, std::size_t i) {
    return IsShiftJisLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
}

inline bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.starts_with(prefix);
}

// Without blanks and control bytes at either end. Such bytes are never the second byte of a
// double-byte character, so a byte-wise trim is safe.
inline std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

// Where the last occurrence of the ASCII mark `what` that starts on a character boundary
// ends; npos when there is none.
inline std::size_t EndOfLast(std::string_view text, std::string_view what) {
    if (what.empty() || text.find(what) == std::string_view::npos) return std::string_view::npos;
    std::size_t end = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i))
        if (text[i] == what[0] && text.compare(i, what.size(), what) == 0) end = i + what.size();
    return end;
}

// The scan loop of a rule whose every match ends at or before `bound` (the end of the last
// closing mark, or npos when there is none). The matcher sees the text only up to there:
// otherwise each opening mark without a closing one after it would walk to the end of the
// text again, and a long line of them would take quadratic time. The text after the last
// match goes to `plain` in one piece, exactly as the scan over the whole text hands it on.
template <class TPatternOrText>
std::string ScanUpTo(
    const TPatternOrText& pattern, std::string_view text, std::size_t bound,
    const ScanReplacer& replace,
    const ScanPlain& plain = [](std::string_view p, std::string& o) { o += p; }) {
    if (bound == std::string_view::npos) bound = 0;
    std::size_t rest = bound;
    std::string out = ScanReplace(
        pattern, text.substr(0, bound), replace, [&](std::string_view piece, std::string& o) {
            auto at = static_cast<std::size_t>(piece.data() - text.data());
            if (at + piece.size() == bound)
                rest = at;
            else
                plain(piece, o);
        });
    if (rest < text.size()) plain(text.substr(rest), out);
    return out;
}

} // namespace tarnel
