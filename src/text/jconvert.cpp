// Japanese encodings: detection, Shift_JIS / EUC-JP / ISO-2022-JP conversion by row/cell
// arithmetic, line-break conversion and the UTF-8 rule (through glibc iconv "CP932").
//
// The file is laid out in sections:
//   1. Byte classes and the JIS row/cell arithmetic shared by every conversion.
//   2. The half-width katakana table.
//   3. Detection.
//   4. Conversions between Shift_JIS, EUC-JP and JIS, and their dispatch.
//   5. Line breaks.
//   6. UTF-8 and UTF-16 through code page 932.
//
// Every byte loop writes through a raw pointer into a buffer sized for the worst case (or
// grown in large steps for the JIS encoders, whose escapes make the worst case five times
// the input), so a conversion is one pass with no per-byte call or capacity check.
#include "text/jconvert.h"

#include <iconv.h>

#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnel {

namespace {

using Byte = unsigned char;

constexpr Byte kEsc = 0x1B;

// ---------------------------------------------------------------------------------------
// 1. Byte classes and row/cell arithmetic
// ---------------------------------------------------------------------------------------

constexpr bool InRange(Byte b, Byte lo, Byte hi) {
    return b >= lo && b <= hi;
}

// A byte that makes a text binary: control bytes below backspace and 0xFF.
constexpr bool IsBinaryByte(Byte b) {
    return b < 0x08 || b == 0xFF;
}

constexpr bool IsHalfWidthKatakana(Byte b) {
    return InRange(b, 0xA1, 0xDF);
}

constexpr bool IsJisByte(Byte b) {
    return InRange(b, 0x21, 0x7E);
}

// The number of bytes from 0x80 up among the `n` bytes from `p`.
inline std::size_t HighBytes(const Byte* p, std::size_t n) {
    std::size_t count = 0, i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16)
        count += static_cast<std::size_t>(std::popcount(static_cast<unsigned>(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i))))));
#endif
    for (; i < n; ++i)
        count += p[i] >> 7;
    return count;
}

// The number of bytes from `p` (at most `n`) below 0x80, sixteen at a time: the ASCII runs
// that the converters copy as they are.
inline std::size_t AsciiRun(const Byte* p, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        auto high = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i))));
        if (high != 0) return i + static_cast<std::size_t>(std::countr_zero(high));
    }
#endif
    while (i < n && p[i] < 0x80)
        ++i;
    return i;
}

// JIS X 0208 row/cell (j1, j2) to the Shift_JIS pair. Rows are folded two to one Shift_JIS
// lead byte; odd rows take the lower half of the trail range (skipping 0x7F), even rows
// the upper half.
inline void JisToSjisPair(Byte j1, Byte j2, Byte& s1, Byte& s2) {
    s1 = static_cast<Byte>(((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0));
    if ((j1 & 1) == 0)
        s2 = static_cast<Byte>(j2 + 0x7E);
    else
        s2 = static_cast<Byte>(j2 < 0x60 ? j2 + 0x1F : j2 + 0x20);
}

// The inverse, on bytes (modulo 256), so that any byte pair gives some pair and never
// traps: malformed input is carried through rather than rejected.
inline void SjisToJisPair(Byte s1, Byte s2, Byte& j1, Byte& j2) {
    const bool adjust = s2 < 0x9F;
    const Byte rowBase = static_cast<Byte>(s1 - (s1 < 0xA0 ? 0x70 : 0xB0));
    j1 = static_cast<Byte>(2 * rowBase - (adjust ? 1 : 0));
    j2 = static_cast<Byte>(s2 - (!adjust ? 0x7E : (s2 >= 0x80 ? 0x20 : 0x1F)));
}

// An output buffer written through a raw pointer. `Reserve` guarantees room for the next
// few bytes; encoders whose output bound is tight size it once and never call it.
class ByteSink {
public:
    explicit ByteSink(std::size_t capacity) {
        buf_.resize(capacity < 16 ? 16 : capacity);
        p_ = reinterpret_cast<Byte*>(buf_.data());
        end_ = p_ + buf_.size();
    }
    void Reserve(std::size_t n) {
        if (static_cast<std::size_t>(end_ - p_) < n) Grow(n);
    }
    void Put(Byte b) { *p_++ = b; }
    void Put(const Byte* bytes, std::size_t n) {
        std::memcpy(p_, bytes, n);
        p_ += n;
    }
    void Put(Byte a, Byte b) {
        p_[0] = a;
        p_[1] = b;
        p_ += 2;
    }
    void Put(Byte a, Byte b, Byte c) {
        p_[0] = a;
        p_[1] = b;
        p_[2] = c;
        p_ += 3;
    }
    std::string Finish() {
        buf_.resize(static_cast<std::size_t>(p_ - reinterpret_cast<Byte*>(buf_.data())));
        return std::move(buf_);
    }

private:
    void Grow(std::size_t n) {
        const std::size_t used =
            static_cast<std::size_t>(p_ - reinterpret_cast<Byte*>(buf_.data()));
        buf_.resize(buf_.size() * 2 + n);
        p_ = reinterpret_cast<Byte*>(buf_.data()) + used;
        end_ = reinterpret_cast<Byte*>(buf_.data()) + buf_.size();
    }

    std::string buf_;
    Byte* p_;
    Byte* end_;
};

inline const Byte* Bytes(std::string_view text) {
    return reinterpret_cast<const Byte*>(text.data());
}

// ---------------------------------------------------------------------------------------
// 2. Half-width katakana
// ---------------------------------------------------------------------------------------

// JIS X 0201 katakana 0xA1..0xDF (index = byte - 0xA1) to the JIS X 0208 full-width
// character. Punctuation, the long-vowel mark and the two sound marks live in row 1
// (symbols); the letters live in row 5 (katakana).
constexpr std::array<std::uint16_t, 63> kHalfWidthKatakana = {
    0x2123, 0x2156, 0x2157, 0x2122, 0x2126, // ｡ ｢ ｣ ､ ･
    0x2572,                                 // ｦ
    0x2521, 0x2523, 0x2525, 0x2527, 0x2529, // ｧ ｨ ｩ ｪ ｫ
    0x2563, 0x2565, 0x2567,                 // ｬ ｭ ｮ
    0x2543,                                 // ｯ
    0x213C,                                 // ｰ
    0x2522, 0x2524, 0x2526, 0x2528, 0x252A, // ｱ ｲ ｳ ｴ ｵ
    0x252B, 0x252D, 0x252F, 0x2531, 0x2533, // ｶ ｷ ｸ ｹ ｺ
    0x2535, 0x2537, 0x2539, 0x253B, 0x253D, // ｻ ｼ ｽ ｾ ｿ
    0x253F, 0x2541, 0x2544, 0x2546, 0x2548, // ﾀ ﾁ ﾂ ﾃ ﾄ
    0x254A, 0x254B, 0x254C, 0x254D, 0x254E, // ﾅ ﾆ ﾇ ﾈ ﾉ
    0x254F, 0x2552, 0x2555, 0x2558, 0x255B, // ﾊ ﾋ ﾌ ﾍ ﾎ
    0x255E, 0x255F, 0x2560, 0x2561, 0x2562, // ﾏ ﾐ ﾑ ﾒ ﾓ
    0x2564, 0x2566, 0x2568,                 // ﾔ ﾕ ﾖ
    0x2569, 0x256A, 0x256B, 0x256C, 0x256D, // ﾗ ﾘ ﾙ ﾚ ﾛ
    0x256F, 0x2573,                         // ﾜ ﾝ
    0x212B, 0x212C,                         // ﾞ ﾟ
};

constexpr Byte kVoicedMark = 0xDE;     // ﾞ
constexpr Byte kSemiVoicedMark = 0xDF; // ﾟ

// Writes the full-width JIS pair for half-width katakana `kana` (0xA1..0xDF), combined with
// `mark` (a following ﾞ or ﾟ, or 0 when none follows). Returns true when the mark was
// absorbed: ｳﾞ gives ヴ, ｶ..ﾄ + ﾞ the voiced letter (the next cell), ﾊ..ﾎ + ﾞ the
// voiced and + ﾟ the semi-voiced letter (the next and second-next cells).
inline bool PutFullWidthKatakana(ByteSink& out, Byte kana, Byte mark) {
    const std::uint16_t code = kHalfWidthKatakana[kana - 0xA1];
    Byte row = static_cast<Byte>(code >> 8);
    Byte cell = static_cast<Byte>(code & 0xFF);
    bool absorbed = false;
    if (mark == kVoicedMark) {
        if (kana == 0xB3) { // ｳ
            cell = 0x74;    // ヴ 0x2574
            absorbed = true;
        } else if (InRange(kana, 0xB6, 0xC4) || InRange(kana, 0xCA, 0xCE)) {
            cell = static_cast<Byte>(cell + 1);
            absorbed = true;
        }
    } else if (mark == kSemiVoicedMark && InRange(kana, 0xCA, 0xCE)) {
        cell = static_cast<Byte>(cell + 2);
        absorbed = true;
    }
    out.Put(row, cell);
    return absorbed;
}

} // namespace

// ---------------------------------------------------------------------------------------
// 3. Detection
// ---------------------------------------------------------------------------------------
//
// The scan walks lead bytes from the start and stops at the first byte that decides the
// encoding; later bytes are never examined. It is deliberately asymmetric in places:
//   - the last byte is never taken as a lead byte (and is not pre-scanned), so a one-byte
//     text is always Ascii;
//   - a control byte is only found by the walk if the walk reaches it, so a NUL after a
//     decisive byte (and past the 512-byte pre-scan) goes unnoticed;
//   - after a kana-range lead followed by 0xE0..0xEF the walk reads on through the bytes
//     from 0x40 up for evidence, and there only 0x8F..0x9C count as Shift_JIS, while a lead
//     byte on its own counts from 0x8F to 0x9F.

JapaneseEncoding DetectJapaneseEncoding(std::string_view text) {
    const Byte* t = Bytes(text);
    const std::size_t n = text.size();

    // Pre-scan: positions 1..min(512, len - 1).
    if (n >= 1) {
        const std::size_t limit = n - 1 < kControlPrescanLength ? n - 1 : kControlPrescanLength;
        for (std::size_t k = 0; k < limit; ++k)
            if (IsBinaryByte(t[k])) return JapaneseEncoding::NotText;
    }

    JapaneseEncoding result = JapaneseEncoding::Ascii;
    std::size_t i = 0; // 0-based; the walk takes a lead byte only while i + 1 < n
    while (i + 1 < n &&
           (result == JapaneseEncoding::Ascii || result == JapaneseEncoding::EucOrShiftJis)) {
        // Plain ASCII is by far the commonest case: skip it without the dispatch below.
        while (i + 1 < n && t[i] >= 0x08 && t[i] < 0x80 && t[i] != kEsc)
            ++i;
        if (i + 1 >= n) break;

        const Byte c = t[i];
        if (c == kEsc) {
            ++i;
            if (t[i] == '$') {
                ++i;
                if (i < n) {
                    if (t[i] == 'B')
                        result = JapaneseEncoding::Jis;
                    else if (t[i] == '@')
                        result = JapaneseEncoding::JisOld;
                }
            }
        } else if (IsBinaryByte(c)) {
            result = JapaneseEncoding::NotText;
        } else if (c <= 0x7F) {
            // ASCII: no evidence.
        } else if (InRange(c, 0x81, 0x8D) || InRange(c, 0x8F, 0x9F)) {
            result = JapaneseEncoding::ShiftJis;
        } else if (c == 0x8E) {
            // EUC-JP half-width katakana prefix, or a Shift_JIS lead byte.
            const Byte d = t[++i];
            if (InRange(d, 0x40, 0x7E) || InRange(d, 0x80, 0xA0) || InRange(d, 0xE0, 0xFC))
                result = JapaneseEncoding::ShiftJis;
            else if (IsHalfWidthKatakana(d))
                result = JapaneseEncoding::EucOrShiftJis;
        } else if (IsHalfWidthKatakana(c)) {
            // EUC-JP lead byte, or Shift_JIS half-width katakana.
            const Byte d = t[++i];
            if (InRange(d, 0xF0, 0xFE)) {
                result = JapaneseEncoding::EucJp;
            } else if (IsHalfWidthKatakana(d)) {
                result = JapaneseEncoding::EucOrShiftJis;
            } else if (InRange(d, 0xE0, 0xEF)) {
                // Either an EUC-JP pair or Shift_JIS kana + a lead byte: read on through the
                // high bytes that follow for a byte only one of the two allows.
                result = JapaneseEncoding::EucOrShiftJis;
                while (i < n && t[i] >= 0x40 && result == JapaneseEncoding::EucOrShiftJis) {
                    const Byte b = t[i];
                    if (InRange(b, 0x81, 0x8D) || InRange(b, 0x8F, 0x9C))
                        result = JapaneseEncoding::ShiftJis;
                    else if (b == 0xFD || b == 0xFE)
                        result = JapaneseEncoding::EucJp;
                    ++i;
                }
            } else if (d <= 0x9F) {
                result = JapaneseEncoding::ShiftJis;
            }
        } else if (InRange(c, 0xF0, 0xFE)) {
            result = JapaneseEncoding::EucJp;
        } else if (InRange(c, 0xE0, 0xEF)) {
            // Shift_JIS lead byte, or EUC-JP lead byte.
            const Byte d = t[++i];
            if (InRange(d, 0x40, 0x7E) || InRange(d, 0x80, 0xA0))
                result = JapaneseEncoding::ShiftJis;
            else if (d == 0xFD || d == 0xFE)
                result = JapaneseEncoding::EucJp;
            else if (InRange(d, 0xA1, 0xFC))
                result = JapaneseEncoding::EucOrShiftJis;
        }
        // 0x80 and 0xA0 are no evidence either way.
        ++i;
    }
    return result;
}

// ---------------------------------------------------------------------------------------
// 4. Conversions
// ---------------------------------------------------------------------------------------
//
// A lead byte at the very end of a text has no trail byte; the pair arithmetic then takes
// the trail as zero instead of reading past the text.

namespace {

// The JIS encoders switch to JIS X 0208 with ESC $ B and back with ESC ( J (JIS-Roman).
struct JisModeWriter {
    bool doubleByte = false;

    void ToDouble(ByteSink& out) {
        if (!doubleByte) {
            out.Put(kEsc, '$', 'B');
            doubleByte = true;
        }
    }
    void ToSingle(ByteSink& out) {
        if (doubleByte) {
            out.Put(kEsc, '(', 'J');
            doubleByte = false;
        }
    }
};

// Longest output of one step of a JIS encoder: an escape and a two-byte character.
constexpr std::size_t kJisStepMax = 5;

// First guess at a JIS encoder's output: Japanese text grows by its escapes only.
inline std::size_t JisOutputGuess(std::size_t n) {
    return n + n / 4 + 16;
}

} // namespace

std::string ShiftJisToEucJp(std::string_view text) {
    const Byte* t = Bytes(text);
    const std::size_t n = text.size();
    ByteSink out(2 * n); // kana and a stray final lead byte double; nothing else grows
    std::size_t i = 0;
    while (i < n) {
        const Byte c = t[i];
        if (c < 0x80) {
            out.Put(c);
            ++i;
        } else if (IsHalfWidthKatakana(c)) {
            out.Put(0x8E, c);
            ++i;
        } else {
            const Byte c2 = i + 1 < n ? t[i + 1] : 0;
            Byte j1, j2;
            SjisToJisPair(c, c2, j1, j2);
            out.Put(static_cast<Byte>(j1 | 0x80), static_cast<Byte>(j2 | 0x80));
            i += 2;
        }
    }
    return out.Finish();
}

namespace {

// EucJpToShiftJis; `wellFormed` tells whether every pair and every half-width katakana
// was well formed, so that the result holds no broken Shift_JIS pair.
std::string ConvertEucJpToShiftJis(std::string_view text, bool& wellFormed) {
    const Byte* t = Bytes(text);
    const std::size_t n = text.size();
    ByteSink out(n + 1); // only a stray final lead byte grows (one byte to two)
    bool good = true;
    std::size_t i = 0;
    while (i < n) {
        if (std::size_t run = AsciiRun(t + i, n - i); run > 0) {
            out.Put(t + i, run);
            i += run;
            continue;
        }
        const Byte c = t[i];
        if (c <= 0x80 || c == 0xFF) {
            out.Put(c);
            ++i;
        } else if (c == 0x8E) {
            // Half-width katakana stay half-width: drop the prefix, keep the byte. A prefix
            // at the very end has nothing to keep and is dropped.
            if (i + 1 < n) out.Put(t[i + 1]);
            good = good && i + 1 < n && InRange(t[i + 1], 0xA1, 0xDF);
            i += 2;
        } else {
            // Every other byte leads a pair, 0x8F (JIS X 0212) included. Rows and cells
            // 0x21-0x7E give a Shift_JIS lead byte and a valid second byte.
            const Byte c2 = i + 1 < n ? t[i + 1] : 0;
            Byte s1, s2;
            JisToSjisPair(static_cast<Byte>(c & 0x7F), static_cast<Byte>(c2 & 0x7F), s1, s2);
            out.Put(s1, s2);
            good = good && c >= 0xA1 && InRange(c2, 0xA1, 0xFE);
            i += 2;
        }
    }
    wellFormed = good;
    return out.Finish();
}

} // namespace

std::string EucJpToShiftJis(std::string_view text) {
    bool wellFormed;
    return ConvertEucJpToShiftJis(text, wellFormed);
}

std::string EucJpToRepairedShiftJis(std::string_view text) {
    bool wellFormed;
    std::string out = ConvertEucJpToShiftJis(text, wellFormed);
    if (!wellFormed) RepairShiftJisInPlace(out);
    return out;
}

// The JIS decoders. ESC and the next byte choose the mode ($ double-byte, ( single-byte,
// anything else keeps it); the escape's three bytes are skipped, however it ends.

std::string JisToEucJp(std::string_view text) {
    const Byte* t = Bytes(text);
    const std::size_t n = text.size();
    ByteSink out(n);
    bool doubleByte = false;
    std::size_t i = 0;
    while (i < n) {
        const Byte c = t[i];
        if (c == kEsc) {
            if (i + 1 < n) {
                if (t[i + 1] == '$')
                    doubleByte = true;
                else if (t[i + 1] == '(')
                    doubleByte = false;
            }
            i += 3;
            continue;
        }
        out.Put(doubleByte && IsJisByte(c) ? static_cast<Byte>(c | 0x80) : c);
        ++i;
    }
    return out.Finish();
}

// In double-byte mode a JIS byte pairs with the byte after it only when that byte is a JIS
// byte too. A lead followed by ESC, a line break or any other non-JIS byte (or by nothing)
// is a stray: its trail is taken as zero and the following byte is left to the loop. Taking
// that byte as the trail regardless would swallow the ESC of the return escape and turn all
// the rest of the text into double-byte garbage. Non-JIS bytes in double-byte mode are copied,
// as JisToEucJp does.
std::string JisToShiftJis(std::string_view text) {
    const Byte* t = Bytes(text);
    const std::size_t n = text.size();
    ByteSink out(2 * n); // a stray lead byte is the only growth (one byte to two)
    bool doubleByte = false;
    std::size_t i = 0;
    while (i < n) {
        const Byte c = t[i];
        if (c == kEsc) {
            if (i + 1 < n) {
                if (t[i + 1] == '$')
                    doubleByte = true;
                else if (t[i + 1] == '(')
                    doubleByte = false;
            }
            i += 3;
            continue;
        }
        if (!doubleByte || !IsJisByte(c)) {
            out.Put(c);
            ++i;
            continue;
        }
        Byte j2 = 0;
        if (i + 1 < n && IsJisByte(t[i + 1])) {
            j2 = t[i + 1];
            i += 2;
        } else {
            ++i;
        }
        Byte s1, s2;
        JisToSjisPair(c, j2, s1, s2);
        out.Put(s1, s2);
    }
    return out.Finish();
}

// The JIS encoders. Line breaks and ASCII return to single-byte mode first (ESC ( J), so
// every line starts in a known mode; a high byte enters double-byte mode (ESC $ B). Nothing
// is written at the end, so text ending in double-byte characters has no return escape.

std::string EucJpToJis(std::string_view text) {
    const Byte* t = Bytes(text);
    const std::size_t n = text.size();
    ByteSink out(JisOutputGuess(n));
    JisModeWriter mode;
    std::size_t i = 0;
    while (i < n) {
        out.Reserve(kJisStepMax);
        const Byte c = t[i];
        if (c < 0x80) {
            mode.ToSingle(out);
            out.Put(c);
            ++i;
            continue;
        }
        mode.ToDouble(out);
        if (c == 0x8E && i + 1 < n && IsHalfWidthKatakana(t[i + 1])) {
            const Byte kana = t[i + 1];
            i += 2;
            const Byte mark = (i + 1 < n && t[i] == 0x8E) ? t[i + 1] : 0;
            if (PutFullWidthKatakana(out, kana, mark)) i += 2;
        } else if (i + 1 < n) {
            out.Put(static_cast<Byte>(c & 0x7F), static_cast<Byte>(t[i + 1] & 0x7F));
            i += 2;
        } else {
            // A lead byte at the end: a zero trail would put a NUL into the text, so only
            // the row byte is written. JisToEucJp turns it back into the same lead byte.
            out.Put(static_cast<Byte>(c & 0x7F));
            ++i;
        }
    }
    return out.Finish();
}

std::string ShiftJisToJis(std::string_view text) {
    const Byte* t = Bytes(text);
    const std::size_t n = text.size();
    ByteSink out(JisOutputGuess(n));
    JisModeWriter mode;
    std::size_t i = 0;
    while (i < n) {
        out.Reserve(kJisStepMax);
        const Byte c = t[i];
        if (c < 0x80) {
            mode.ToSingle(out);
            out.Put(c);
            ++i;
            continue;
        }
        mode.ToDouble(out);
        if (IsHalfWidthKatakana(c)) {
            const Byte mark = i + 1 < n ? t[i + 1] : 0;
            i += PutFullWidthKatakana(out, c, mark) ? 2 : 1;
        } else {
            const Byte c2 = i + 1 < n ? t[i + 1] : 0;
            Byte j1, j2;
            SjisToJisPair(c, c2, j1, j2);
            out.Put(j1, j2);
            i += 2;
        }
    }
    return out.Finish();
}

// Undecided text (EucOrShiftJis) is never converted here: callers that need a decision
// make it themselves.
std::string ConvertJapaneseEncoding(std::string_view text, JapaneseEncoding target) {
    if (target != JapaneseEncoding::Jis && target != JapaneseEncoding::EucJp &&
        target != JapaneseEncoding::ShiftJis)
        return std::string(text);

    const JapaneseEncoding detected = DetectJapaneseEncoding(text);
    if (detected == JapaneseEncoding::Ascii || detected == JapaneseEncoding::NotText ||
        detected == JapaneseEncoding::EucOrShiftJis || detected == target)
        return std::string(text);

    const bool fromJis = detected == JapaneseEncoding::Jis || detected == JapaneseEncoding::JisOld;
    switch (target) {
    case JapaneseEncoding::Jis:
        if (detected == JapaneseEncoding::EucJp) return EucJpToJis(text);
        if (detected == JapaneseEncoding::ShiftJis) return ShiftJisToJis(text);
        break;
    case JapaneseEncoding::EucJp:
        if (fromJis) return JisToEucJp(text);
        if (detected == JapaneseEncoding::ShiftJis) return ShiftJisToEucJp(text);
        break;
    case JapaneseEncoding::ShiftJis:
        if (fromJis) return JisToShiftJis(text);
        if (detected == JapaneseEncoding::EucJp) return EucJpToShiftJis(text);
        break;
    default:
        break;
    }
    return std::string(text);
}

// ---------------------------------------------------------------------------------------
// 5. Line breaks
// ---------------------------------------------------------------------------------------

namespace {

std::string_view LineBreakSequence(LineBreak kind) {
    switch (kind) {
    case LineBreak::CrLf:
        return "\r\n";
    case LineBreak::Cr:
        return "\r";
    case LineBreak::Lf:
        return "\n";
    default:
        return {};
    }
}

} // namespace

LineBreak DetectLineBreak(std::string_view text) {
    const std::size_t at = text.find_first_of("\r\n");
    if (at == std::string_view::npos) return LineBreak::None;
    if (text[at] == '\n') return LineBreak::Lf;
    if (at + 1 < text.size() && text[at + 1] == '\n') return LineBreak::CrLf;
    return LineBreak::Cr;
}

// Only the kind found first is replaced: in a text that mixes kinds the others stay. A
// target of None (or any unknown code) has no sequence to write, so the text is returned
// unchanged rather than having its line breaks removed.
std::string ConvertLineBreaks(std::string_view text, LineBreak target) {
    const std::string_view to = LineBreakSequence(target);
    const LineBreak detected = DetectLineBreak(text);
    if (to.empty() || detected == LineBreak::None || detected == target) return std::string(text);
    const std::string_view from = LineBreakSequence(detected);

    std::string out;
    out.reserve(to.size() > from.size() ? text.size() + text.size() / 8 + 16 : text.size());
    std::size_t pos = 0;
    for (std::size_t hit; (hit = text.find(from, pos)) != std::string_view::npos;
         pos = hit + from.size()) {
        out.append(text.substr(pos, hit - pos));
        out.append(to);
    }
    out.append(text.substr(pos));
    return out;
}

// ---------------------------------------------------------------------------------------
// 6. UTF-8 and UTF-16 through code page 932
// ---------------------------------------------------------------------------------------
//
// glibc's "CP932" stands for the Windows code page. Its descriptors are opened once per
// thread and reset before each use: an open and close costs about 160 ns, more than twice
// the whole conversion of a page name, and page names are converted for every file of a
// folder listing.
//
// iconv stops at a sequence it cannot convert. The program never fails on such input:
//   - Shift_JIS -> Unicode: a byte sequence CP932 does not decode becomes "?". A lead byte
//     with a valid trail byte (an unassigned code point) counts as one character, two bytes;
//     any other offending byte (0x80, 0xA0, 0xFD..0xFF, a lead byte before a byte that cannot
//     trail, a lead byte at the end) is one byte. The text after it is converted as usual.
//   - Unicode -> Shift_JIS: a character without a CP932 form becomes "?", as the Windows
//     code page's default character does. A lone UTF-16 surrogate is such a character.
//   - UTF-8 input is validated first; malformed input (bad or missing continuation bytes,
//     overlong forms, surrogates, code points past U+10FFFF) yields the empty text.

namespace {

class IconvHandle {
public:
    IconvHandle(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error(std::string("iconv cannot convert from ") + from + " to " +
                                     to + " in jconvert");
    }
    ~IconvHandle() { iconv_close(cd_); }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

// Native-endian UTF-16, so char16_t strings are passed to iconv as they are in memory.
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

enum class Conv { SjisToUtf8, Utf8ToSjis, SjisToUtf16, Utf16ToSjis };

iconv_t Descriptor(Conv which) {
    switch (which) {
    case Conv::SjisToUtf8: {
        thread_local IconvHandle h("UTF-8", "CP932");
        return h.Get();
    }
    case Conv::Utf8ToSjis: {
        thread_local IconvHandle h("CP932", "UTF-8");
        return h.Get();
    }
    case Conv::SjisToUtf16: {
        thread_local IconvHandle h(kUtf16, "CP932");
        return h.Get();
    }
    case Conv::Utf16ToSjis: {
        thread_local IconvHandle h("CP932", kUtf16);
        return h.Get();
    }
    }
    return reinterpret_cast<iconv_t>(-1);
}

constexpr bool IsSjisLead(Byte b) {
    return InRange(b, 0x81, 0x9F) || InRange(b, 0xE0, 0xFC);
}
constexpr bool IsSjisTrail(Byte b) {
    return InRange(b, 0x40, 0x7E) || InRange(b, 0x80, 0xFC);
}

// Length of the input sequence iconv rejected at `p` (with `left` bytes remaining).
std::size_t SkipSjis(const Byte* p, std::size_t left) {
    return (left >= 2 && IsSjisLead(p[0]) && IsSjisTrail(p[1])) ? 2 : 1;
}

std::size_t SkipUtf8(const Byte* p, std::size_t left) {
    // The input is valid UTF-8, so the lead byte gives the length.
    const std::size_t len = p[0] < 0xE0 ? 2 : p[0] < 0xF0 ? 3 : 4;
    return len < left ? len : left;
}

std::size_t SkipUtf16(const Byte* p, std::size_t left) {
    char16_t first, second;
    std::memcpy(&first, p, 2);
    if (left >= 4 && first >= 0xD800 && first <= 0xDBFF) {
        std::memcpy(&second, p + 2, 2);
        if (second >= 0xDC00 && second <= 0xDFFF) return 4;
    }
    return 2;
}

// Runs `cd` over the input, writing `replacement` for each sequence it cannot convert and
// skipping that sequence (its length from `skip`). Returns the output bytes.
std::string RunIconv(iconv_t cd, const Byte* in, std::size_t inLen, std::size_t outGuess,
                     std::string_view replacement, std::size_t (*skip)(const Byte*, std::size_t)) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out(outGuess < 16 ? 16 : outGuess, '\0');
    char* src = const_cast<char*>(reinterpret_cast<const char*>(in));
    std::size_t srcLeft = inLen;
    std::size_t used = 0;
    while (srcLeft > 0) {
        char* dst = out.data() + used;
        std::size_t dstLeft = out.size() - used;
        const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (r != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ (cannot convert) or EINVAL (incomplete sequence at the end).
        if (out.size() - used < replacement.size()) out.resize(out.size() * 2);
        std::memcpy(out.data() + used, replacement.data(), replacement.size());
        used += replacement.size();
        const std::size_t n =
            errno == EINVAL ? srcLeft : skip(reinterpret_cast<const Byte*>(src), srcLeft);
        src += n;
        srcLeft -= n;
    }
    out.resize(used);
    return out;
}

bool IsAscii(std::string_view text) {
    return AsciiRun(Bytes(text), text.size()) == text.size();
}

bool IsValidUtf8(std::string_view text) {
    const Byte* t = Bytes(text);
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const Byte c = t[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len;
        Byte lo = 0x80, hi = 0xBF; // allowed range of the second byte
        if (InRange(c, 0xC2, 0xDF)) {
            len = 2;
        } else if (InRange(c, 0xE0, 0xEF)) {
            len = 3;
            if (c == 0xE0) lo = 0xA0; // overlong
            if (c == 0xED) hi = 0x9F; // surrogates
        } else if (InRange(c, 0xF0, 0xF4)) {
            len = 4;
            if (c == 0xF0) lo = 0x90; // overlong
            if (c == 0xF4) hi = 0x8F; // past U+10FFFF
        } else {
            return false; // continuation byte as lead, overlong 0xC0/0xC1, or 0xF5..0xFF
        }
        if (n - i < len) return false;
        if (!InRange(t[i + 1], lo, hi)) return false;
        for (std::size_t k = 2; k < len; ++k)
            if ((t[i + k] & 0xC0) != 0x80) return false;
        i += len;
    }
    return true;
}

std::string IconvShiftJisToUtf8(std::string_view text) {
    // A double-byte character gives at most three UTF-8 bytes, a half-width kana three.
    return RunIconv(Descriptor(Conv::SjisToUtf8), Bytes(text), text.size(),
                    text.size() + text.size() / 2 + 16, "?", SkipSjis);
}

// The UTF-8 of every Shift_JIS character, each taken from iconv once. Decoding code page
// 932 looks at one character at a time (a lead byte and a valid trail byte, or one byte),
// so a text converted character by character through the table is what iconv makes of the
// whole text; the table only saves iconv's cost per character on large texts.
class TShiftJisUtf8Table {
public:
    TShiftJisUtf8Table() {
        for (int b = 0; b < 256; ++b)
            Set(single_[b], std::string(1, static_cast<char>(b)));
        for (int lead = 0; lead < 256; ++lead) {
            if (!IsSjisLead(static_cast<Byte>(lead))) continue;
            for (int trail = 0; trail < 256; ++trail) {
                if (!IsSjisTrail(static_cast<Byte>(trail))) continue;
                const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                Set(pairs_[PairIndex(static_cast<Byte>(lead), static_cast<Byte>(trail))],
                    std::string_view(pair, 2));
            }
        }
    }

    std::string Convert(std::string_view text) const {
        std::string out;
        out.reserve(text.size() + text.size() / 2 + 16);
        const Byte* t = Bytes(text);
        const std::size_t n = text.size();
        std::size_t i = 0;
        while (i < n) {
            // A run of ASCII is copied as it is.
            std::size_t start = i;
            i += AsciiRun(t + i, n - i);
            out.append(text.substr(start, i - start));
            if (i >= n) break;
            const Byte c = t[i];
            if (IsSjisLead(c) && i + 1 < n && IsSjisTrail(t[i + 1])) {
                Append(out, pairs_[PairIndex(c, t[i + 1])]);
                i += 2;
            } else {
                // A lone lead byte (before a byte that cannot trail, or at the end) is one
                // unconvertible byte, as are 0x80, 0xA0 and 0xFD to 0xFF.
                Append(out, IsSjisLead(c) ? kQuestion : single_[c]);
                ++i;
            }
        }
        return out;
    }

private:
    struct TEntry {
        char bytes[4] = {};
        std::uint8_t length = 0;
    };
    static constexpr TEntry kQuestion{{'?'}, 1};

    static std::size_t PairIndex(Byte lead, Byte trail) {
        // Leads 0x81-0x9F and 0xE0-0xFC, 60 rows of 256.
        const std::size_t row = lead <= 0x9F ? lead - 0x81u : lead - 0xE0u + 31u;
        return row * 256u + trail;
    }
    static void Set(TEntry& entry, std::string_view sjis) {
        std::string utf8 = IconvShiftJisToUtf8(sjis);
        if (utf8.size() > sizeof entry.bytes) utf8 = "?"; // not reached: one character
        std::memcpy(entry.bytes, utf8.data(), utf8.size());
        entry.length = static_cast<std::uint8_t>(utf8.size());
    }
    static void Append(std::string& out, const TEntry& entry) {
        out.append(entry.bytes, entry.length);
    }

    TEntry single_[256];
    TEntry pairs_[60 * 256];
};

} // namespace

std::string ShiftJisToUtf8(std::string_view text) {
    if (IsAscii(text)) return std::string(text); // CP932 leaves 0x00..0x7F as they are
    // The table costs about as much to make as iconv takes for this many bytes of
    // double-byte text; with fewer the text goes through iconv, a stretch at a time.
    constexpr std::size_t kTableFrom = 256 << 10;
    if (text.size() >= kTableFrom && HighBytes(Bytes(text), text.size()) >= kTableFrom) {
        static const TShiftJisUtf8Table table;
        return table.Convert(text);
    }
    // Runs of ASCII are copied; only the stretches of other characters between them go
    // through iconv. The conversion is character by character (the table above is made that
    // way and gives iconv's result), so cutting the text where an ASCII byte stands as a
    // character of its own changes nothing.
    const Byte* t = Bytes(text);
    const std::size_t n = text.size();
    std::string out;
    out.reserve(n + n / 2 + 16);
    std::size_t i = 0;
    while (i < n) {
        std::size_t start = i;
        i += AsciiRun(t + i, n - i);
        out.append(text.substr(start, i - start));
        start = i;
        while (i < n && t[i] >= 0x80)
            i += (IsSjisLead(t[i]) && i + 1 < n && IsSjisTrail(t[i + 1])) ? 2 : 1;
        if (i > start) out += IconvShiftJisToUtf8(text.substr(start, i - start));
    }
    return out;
}

std::string Utf8ToShiftJis(std::string_view text) {
    if (IsAscii(text)) return std::string(text);
    if (!IsValidUtf8(text)) return std::string();
    // Every character shrinks or keeps its length.
    return RunIconv(Descriptor(Conv::Utf8ToSjis), Bytes(text), text.size(), text.size(), "?",
                    SkipUtf8);
}

std::string Utf16ToShiftJis(std::u16string_view text) {
    const std::size_t bytes = text.size() * sizeof(char16_t);
    return RunIconv(Descriptor(Conv::Utf16ToSjis), reinterpret_cast<const Byte*>(text.data()),
                    bytes, bytes, "?", SkipUtf16);
}

std::u16string ShiftJisToUtf16(std::string_view text) {
    static constexpr char16_t kQuestion = u'?';
    const std::string_view replacement(reinterpret_cast<const char*>(&kQuestion), sizeof kQuestion);
    const std::string raw = RunIconv(Descriptor(Conv::SjisToUtf16), Bytes(text), text.size(),
                                     text.size() * sizeof(char16_t), replacement, SkipSjis);
    std::u16string out(raw.size() / sizeof(char16_t), u'\0');
    std::memcpy(out.data(), raw.data(), out.size() * sizeof(char16_t));
    return out;
}

std::string RepairShiftJis(std::string_view text) {
    std::string out(text);
    RepairShiftJisInPlace(out);
    return out;
}

void RepairShiftJisInPlace(std::string& out) {
    const auto* bytes = reinterpret_cast<const Byte*>(out.data());
    for (std::size_t i = 0; i < out.size(); ++i) {
        i += AsciiRun(bytes + i, out.size() - i);
        if (i >= out.size()) break;
        auto c = static_cast<unsigned char>(out[i]);
        if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC))) continue;
        auto next = i + 1 < out.size() ? static_cast<unsigned char>(out[i + 1]) : 0;
        if ((next >= 0x40 && next <= 0x7E) || (next >= 0x80 && next <= 0xFC))
            ++i;
        else
            out[i] = '?';
    }
}

} // namespace tarnel

// ---------------------------------------------------------------------------------------
// 7. Validity of a text in one encoding
// ---------------------------------------------------------------------------------------

namespace tarnel {

namespace {

// Length of the UTF-8 sequence at `i`, 0 when it is malformed (no overlong forms, no
// surrogates, nothing above U+10FFFF).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i) {
    auto at = [&](std::size_t k) { return static_cast<Byte>(text[k]); };
    Byte b = at(i);
    if (b < 0x80) return 1;
    std::size_t length;
    Byte lo = 0x80, hi = 0xBF; // the allowed range of the second byte
    if (InRange(b, 0xC2, 0xDF))
        length = 2;
    else if (InRange(b, 0xE0, 0xEF)) {
        length = 3;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (InRange(b, 0xF0, 0xF4)) {
        length = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else
        return 0;
    if (i + length > text.size()) return 0;
    if (!InRange(at(i + 1), lo, hi)) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!InRange(at(i + k), 0x80, 0xBF)) return 0;
    return length;
}

} // namespace

std::size_t FirstInvalidByte(std::string_view text, TextEncoding encoding) {
    auto at = [&](std::size_t k) { return static_cast<Byte>(text[k]); };
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        Byte b = at(i);
        std::size_t length = 0;
        switch (encoding) {
        case TextEncoding::Utf8:
            length = Utf8SequenceAt(text, i);
            break;
        case TextEncoding::Jis:
            length = b < 0x80 ? 1 : 0;
            break;
        case TextEncoding::ShiftJis:
            if (b < 0x80 || InRange(b, 0xA1, 0xDF))
                length = 1;
            else if ((InRange(b, 0x81, 0x9F) || InRange(b, 0xE0, 0xFC)) && i + 1 < n &&
                     (InRange(at(i + 1), 0x40, 0x7E) || InRange(at(i + 1), 0x80, 0xFC)))
                length = 2;
            break;
        case TextEncoding::EucJp:
            if (b < 0x80)
                length = 1;
            else if (b == 0x8E && i + 1 < n && InRange(at(i + 1), 0xA1, 0xDF))
                length = 2;
            else if (b == 0x8F && i + 2 < n && InRange(at(i + 1), 0xA1, 0xFE) &&
                     InRange(at(i + 2), 0xA1, 0xFE))
                length = 3;
            else if (InRange(b, 0xA1, 0xFE) && i + 1 < n && InRange(at(i + 1), 0xA1, 0xFE))
                length = 2;
            break;
        }
        if (length == 0) return i;
        i += length;
    }
    return std::string_view::npos;
}

bool IsUtf8WithNonAscii(std::string_view text) {
    bool nonAscii = false;
    for (char c : text)
        if (static_cast<Byte>(c) >= 0x80) {
            nonAscii = true;
            break;
        }
    return nonAscii && FirstInvalidByte(text, TextEncoding::Utf8) == std::string_view::npos;
}

} // namespace tarnel
