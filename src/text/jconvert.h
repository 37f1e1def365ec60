// Japanese encodings: detection of Shift_JIS, EUC-JP and ISO-2022-JP text, conversion
// between the three by row/cell arithmetic, line-break conversion, and the UTF-8 rule.
//
// Inside Tarnel text has two forms: the display form (Shift_JIS) that converters, lists
// and the editor work with, and the stored form (EUC-JP with LF line ends) that page files
// hold. Every function here is a free function on byte strings, keeps no state and accepts
// any byte sequence: malformed input is carried through by the byte rules and never read
// past its end.
#pragma once

#include <string>
#include <string_view>

namespace tarnel {

// Codes of a detected or wanted encoding. The values are fixed: callers pass them as numbers.
enum class JapaneseEncoding : int {
    Ascii = 0,   // no byte above 0x7F and no JIS escape seen
    NotText = 1, // a byte below 0x08 or equal to 0xFF was seen
    Jis = 2,     // ESC $ B seen
    JisOld = 3,  // ESC $ @ seen
    EucJp = 4,
    ShiftJis = 5,
    EucOrShiftJis = 6, // only bytes valid in both were seen
};

enum class LineBreak : int { None = 0, CrLf = 1, Cr = 2, Lf = 3 };

// Bytes looked at by the control-byte pre-scan of detection.
constexpr std::size_t kControlPrescanLength = 512;

JapaneseEncoding DetectJapaneseEncoding(std::string_view text);

// Converts to Jis, EucJp or ShiftJis; any other target, and text detected as Ascii,
// NotText, EucOrShiftJis or already in the target, is returned unchanged.
std::string ConvertJapaneseEncoding(std::string_view text, JapaneseEncoding target);

std::string ShiftJisToEucJp(std::string_view text);
std::string EucJpToShiftJis(std::string_view text);
std::string JisToEucJp(std::string_view text);
std::string JisToShiftJis(std::string_view text);
std::string EucJpToJis(std::string_view text);
std::string ShiftJisToJis(std::string_view text);

LineBreak DetectLineBreak(std::string_view text);
// Replaces every occurrence of the detected line-break kind by the target's sequence.
std::string ConvertLineBreaks(std::string_view text, LineBreak target);

// Display-form text whose every lead byte has a valid second byte: a lead byte (0x81-0x9F,
// 0xE0-0xFC) not followed by 0x40-0x7E or 0x80-0xFC becomes "?". The pattern matcher steps
// over a lead byte and whatever follows as one character, so a broken pair would swallow a
// line end or a mark.
std::string RepairShiftJis(std::string_view text);
// The same, in place.
void RepairShiftJisInPlace(std::string& text);
// RepairShiftJis(EucJpToShiftJis(text)), in one pass over a well-formed text.
std::string EucJpToRepairedShiftJis(std::string_view text);

// The UTF-8 rule: display form (code page 932) to UTF-8 and back. A character without a
// Shift_JIS form becomes "?"; malformed UTF-8 input yields the empty text.
std::string ShiftJisToUtf8(std::string_view text);
std::string Utf8ToShiftJis(std::string_view text);

// UTF-16 (plug-in strings) to display form and back, through the same code page.
std::string Utf16ToShiftJis(std::u16string_view text);
std::u16string ShiftJisToUtf16(std::string_view text);

// The encodings a text can be checked against.
enum class TextEncoding : int { ShiftJis, EucJp, Jis, Utf8 };

// Offset of the first byte that does not belong to a well-formed character of `encoding`
// (a lone lead byte, a bad trail byte, a byte outside the encoding, a sequence cut by the
// end), or npos when the whole text is well formed. JIS is checked as 7-bit text.
std::size_t FirstInvalidByte(std::string_view text, TextEncoding encoding);
// Whether the text has a byte above 0x7F and is well-formed UTF-8: how automatic reading
// tells UTF-8 from the legacy encodings, none of whose multi-byte runs are likely to form
// valid UTF-8 sequences throughout a text.
bool IsUtf8WithNonAscii(std::string_view text);

} // namespace tarnel
