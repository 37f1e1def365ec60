// Tests of the Japanese encoding unit: detection, the Shift_JIS / EUC-JP / JIS conversions,
// line breaks and the UTF-8 rule. glibc iconv serves as an independent reference where it
// knows the answer (row/cell mapping, katakana, UTF-8 text).
#include "text/jconvert.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace tarnel {
namespace {

using JE = JapaneseEncoding;

// Converts with glibc iconv; nullopt when iconv rejects any of the input.
std::optional<std::string> Iconv(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    char* dst = out.data();
    std::size_t srcLeft = in.size(), dstLeft = out.size();
    const std::size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (r == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

std::string Sjis(std::string_view utf8) {
    return Iconv("CP932", "UTF-8", utf8).value();
}

const std::string kToJis = "\x1b$B";
const std::string kToRoman = "\x1b(J";

// ---------------------------------------------------------------------------------------
// Detection

struct DetectCase {
    const char* name;
    std::string text;
    JE expected;
};

TEST(JconvertDetect, Table) {
    const DetectCase cases[] = {
        {"empty", "", JE::Ascii},
        {"one byte is never examined", "\x82", JE::Ascii},
        {"one NUL byte", std::string(1, '\0'), JE::Ascii},
        {"last byte NUL is not examined", std::string("AB\0", 3), JE::Ascii},
        {"NUL inside", std::string("A\0B", 3), JE::NotText},
        {"0xFF inside",
         "A\xFF"
         "B",
         JE::NotText},
        {"backspace is text", "A\bB", JE::Ascii},
        {"ESC $ B", "\x1b$B$\"\x1b(B", JE::Jis},
        {"ESC $ @", "\x1b$@$\"", JE::JisOld},
        {"ESC ( B alone", "\x1b(Babc", JE::Ascii},
        {"ESC $ cut at the end", "ab\x1b$", JE::Ascii},
        {"Shift_JIS hiragana a", "\x82\xA0", JE::ShiftJis},
        {"EUC-JP hiragana a", "\xA4\xA2", JE::EucOrShiftJis},
        {"EUC-JP hiragana n", "\xA4\xF3", JE::EucJp},
        {"EUC-JP lead 0xF0 up", "\xF3\xA1x", JE::EucJp},
        {"first decisive byte wins", "\xA4\xA2\x82\xA0\xA4\xF3", JE::ShiftJis},
        {"0x8E then Shift_JIS trail", "\x8E\x40", JE::ShiftJis},
        {"0x8E then kana", "\x8E\xB1", JE::EucOrShiftJis},
        {"0xE0 lead with low trail", "\xE0\x40", JE::ShiftJis},
        {"0xE0 lead with 0xFD", "\xE0\xFD", JE::EucJp},
        {"0xE0 lead with shared trail", "\xE0\xA1", JE::EucOrShiftJis},
        {"0x80 and 0xA0 are no evidence",
         "\x80\xA0"
         "ab",
         JE::Ascii},
        // Kana-range lead + 0xE0..0xEF: the bytes after are searched, with 0x9C as the
        // upper Shift_JIS bound, up to the first byte below 0x40.
        {"inner scan finds 0x9C", "\xB1\xE0\xA1\x9C", JE::ShiftJis},
        {"inner scan ignores 0x9D", "\xB1\xE0\x9D\x9E\x9F", JE::EucOrShiftJis},
        {"inner scan finds 0xFE", "\xB1\xE0\xA1\xFE", JE::EucJp},
        {"outer walk resumes after the stop byte",
         "\xB1\xE0 \x90"
         "x",
         JE::ShiftJis},
        {"top level takes 0x9D as Shift_JIS", "\x9D\x40", JE::ShiftJis},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DetectJapaneseEncoding(c.text), c.expected) << c.name;
}

TEST(JconvertDetect, ControlBytesBeyondThePrescan) {
    std::string ascii(700, 'a');
    ascii[599] = '\0'; // position 600
    EXPECT_EQ(DetectJapaneseEncoding(ascii), JE::NotText);

    std::string sjis = ascii;
    sjis[0] = '\x82';
    sjis[1] = '\xA0';
    EXPECT_EQ(DetectJapaneseEncoding(sjis), JE::ShiftJis) << "walk stopped before the NUL";

    sjis[599] = 'a';
    sjis[300] = '\xFF';
    EXPECT_EQ(DetectJapaneseEncoding(sjis), JE::NotText) << "the pre-scan sees it";
}

// ---------------------------------------------------------------------------------------
// Conversions

// Every JIS X 0208 cell, through all six conversions: each form must match the others and
// glibc's mapping wherever glibc assigns the cell.
TEST(JconvertConvert, EveryJisCellAgreesAcrossEncodings) {
    int checkedAgainstIconv = 0;
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
        for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
            const std::string jis = kToJis + char(j1) + char(j2);
            const std::string euc{char(j1 | 0x80), char(j2 | 0x80)};
            const std::string sjis = EucJpToShiftJis(euc);
            SCOPED_TRACE(testing::Message() << std::hex << j1 << " " << j2);
            ASSERT_EQ(sjis.size(), 2u);
            EXPECT_EQ(ShiftJisToEucJp(sjis), euc);
            EXPECT_EQ(ShiftJisToJis(sjis), jis);
            EXPECT_EQ(EucJpToJis(euc), jis);
            EXPECT_EQ(JisToShiftJis(jis), sjis);
            EXPECT_EQ(JisToEucJp(jis), euc);
            if (auto ref = Iconv("SHIFT_JIS", "EUC-JP", euc)) {
                EXPECT_EQ(*ref, sjis);
                ++checkedAgainstIconv;
            }
        }
    }
    EXPECT_GT(checkedAgainstIconv, 6000);
}

TEST(JconvertConvert, HalfWidthKatakanaBecomeFullWidthInJis) {
    const std::string fullWidth =
        "。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテト"
        "ナニヌネノハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
    std::string allFromSjis;
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const std::string sjis(1, char(b));
        const std::string euc = ShiftJisToEucJp(sjis);
        SCOPED_TRACE(testing::Message() << std::hex << b);
        EXPECT_EQ(euc, std::string("\x8E") + char(b));
        EXPECT_EQ(EucJpToShiftJis(euc), sjis);
        const std::string jis = ShiftJisToJis(sjis);
        EXPECT_EQ(EucJpToJis(euc), jis);
        ASSERT_EQ(jis.size(), 5u);
        EXPECT_EQ(jis.substr(0, 3), kToJis);
        allFromSjis += JisToShiftJis(jis);
    }
    EXPECT_EQ(Iconv("UTF-8", "CP932", allFromSjis).value(), fullWidth);
}

TEST(JconvertConvert, SoundMarksCombineWithTheKanaBefore) {
    // Each half-width pair and the single full-width character it must become.
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"ｶﾞ", "ガ"}, {"ｷﾞ", "ギ"}, {"ｸﾞ", "グ"}, {"ｹﾞ", "ゲ"}, {"ｺﾞ", "ゴ"},
        {"ｻﾞ", "ザ"}, {"ｼﾞ", "ジ"}, {"ｽﾞ", "ズ"}, {"ｾﾞ", "ゼ"}, {"ｿﾞ", "ゾ"},
        {"ﾀﾞ", "ダ"}, {"ﾁﾞ", "ヂ"}, {"ﾂﾞ", "ヅ"}, {"ﾃﾞ", "デ"}, {"ﾄﾞ", "ド"},
        {"ﾊﾞ", "バ"}, {"ﾋﾞ", "ビ"}, {"ﾌﾞ", "ブ"}, {"ﾍﾞ", "ベ"}, {"ﾎﾞ", "ボ"},
        {"ﾊﾟ", "パ"}, {"ﾋﾟ", "ピ"}, {"ﾌﾟ", "プ"}, {"ﾍﾟ", "ペ"}, {"ﾎﾟ", "ポ"},
        {"ｳﾞ", "ヴ"},
        // Marks that do not combine stay as their own full-width characters.
        {"ｱﾞ", "ア゛"}, {"ｶﾟ", "カ゜"}, {"ﾞﾞ", "゛゛"}, {"ﾅﾟ", "ナ゜"},
    };
    // clang-format on
    for (const auto& [half, full] : cases) {
        SCOPED_TRACE(half);
        const std::string sjis = Sjis(half);
        const std::string jis = ShiftJisToJis(Sjis(full));
        EXPECT_EQ(ShiftJisToJis(sjis), jis);
        EXPECT_EQ(EucJpToJis(ShiftJisToEucJp(sjis)), jis);
    }
    // The two examples every reader checks first, byte for byte: no escape at the end.
    EXPECT_EQ(ShiftJisToJis("\xB6\xDE"), kToJis + "\x25\x2C");
    EXPECT_EQ(ShiftJisToJis("\xCA\xDF"), kToJis + "\x25\x51");
}

TEST(JconvertConvert, JisEscapesFollowTheModeChanges) {
    const std::string euc = "a\xA4\xA2\xA4\xA4"
                            "b\n\xA4\xA6\r\n\xA4\xA8";
    const std::string jis = "a" + kToJis + "\x24\x22\x24\x24" + kToRoman + "b\n" + kToJis +
                            "\x24\x26" + kToRoman + "\r\n" + kToJis + "\x24\x28";
    EXPECT_EQ(EucJpToJis(euc), jis);
    EXPECT_EQ(ShiftJisToJis(EucJpToShiftJis(euc)), jis);
    EXPECT_EQ(JisToEucJp(jis), euc);
    EXPECT_EQ(JisToShiftJis(jis), EucJpToShiftJis(euc));

    // ESC $ @ enters double-byte mode too; ESC ( B leaves it; unknown escapes are skipped.
    EXPECT_EQ(JisToEucJp("\x1b$@\x24\x22\x1b(Bx"), "\xA4\xA2"
                                                   "x");
    EXPECT_EQ(JisToEucJp("\x1bKxy"), "y");
    EXPECT_EQ(JisToEucJp("ab\x1b"), "ab");
    EXPECT_EQ(JisToShiftJis("ab\x1b$"), "ab");
}

// A double-byte run with an odd number of bytes must not swallow the return escape, or
// every following ASCII byte would be read as half of a kanji.
TEST(JconvertConvert, JisStrayByteKeepsTheRestOfTheText) {
    const std::string jis = kToJis + "\x24\x22\x24" + kToRoman + "abc\n" + kToJis + "\x24";
    const std::string sjis = JisToShiftJis(jis);
    EXPECT_EQ(sjis, std::string("\x82\xA0\x82\x7E") + "abc\n" + "\x82\x7E");
    // Line breaks and spaces inside a double-byte run are copied, as JisToEucJp does.
    EXPECT_EQ(JisToShiftJis(kToJis + "\x24\x22\n\x24\x22"), "\x82\xA0\n\x82\xA0");
    EXPECT_EQ(JisToEucJp(kToJis + "\x24\x22\n\x24\x22"), "\xA4\xA2\n\xA4\xA2");
}

// Holds a text in a heap block of exactly its length, so that a sanitizer build reports
// any read past its end.
class Exact {
public:
    explicit Exact(std::string_view s) : bytes_(new char[s.size()]), size_(s.size()) {
        std::copy(s.begin(), s.end(), bytes_.get());
    }
    operator std::string_view() const { return {bytes_.get(), size_}; }

private:
    std::unique_ptr<char[]> bytes_;
    std::size_t size_;
};

// A lead byte at the end takes its trail as zero and the conversion never reads past the
// text.
TEST(JconvertConvert, StrayLeadByteAtTheEnd) {
    auto exact = [](const char* s) { return Exact(s); };
    EXPECT_EQ(ShiftJisToEucJp(exact("a\x82")), "a\xA3\xE1");
    EXPECT_EQ(ShiftJisToJis(exact("a\x82")), "a" + kToJis + "\x23\xE1");
    EXPECT_EQ(EucJpToShiftJis(exact("a\xA4")), "a\x82\x7E");
    EXPECT_EQ(EucJpToShiftJis(exact("a\x8E")), "a") << "kana prefix with nothing to keep";
    // A zero trail would write a NUL into the JIS text: only the row byte is kept, and it
    // comes back as the same stray lead byte.
    EXPECT_EQ(EucJpToJis(exact("a\xA4")), "a" + kToJis + "\x24");
    EXPECT_EQ(JisToEucJp(EucJpToJis(exact("a\xA4"))), "a\xA4");
    EXPECT_EQ(EucJpToJis(exact("\x8E")), kToJis + "\x0E");
    EXPECT_EQ(JisToShiftJis(exact("\x1b$B\x24")), "\x82\x7E");
    EXPECT_EQ(JisToEucJp(exact("\x1b$B\x24\x1b")), "\xA4");
    EXPECT_EQ(DetectJapaneseEncoding(exact("\x1b$")), JE::Ascii);
    EXPECT_EQ(DetectJapaneseEncoding(exact("\xB1\xE0\xA1")), JE::EucOrShiftJis);
    // A half-width kana at the end looks for no mark beyond it.
    EXPECT_EQ(ShiftJisToJis(exact("\xB6")), kToJis + "\x25\x2B");
    EXPECT_EQ(EucJpToJis(exact("\x8E\xB6\x8E")), kToJis + "\x25\x2B\x0E");
}

TEST(JconvertConvert, JapaneseTextRoundTrips) {
    const std::string sjis = Sjis("# 見出し\nWikiName と [[ページ名]] のリンク。\r\n表: |セル|値|\n"
                                  "全角記号「」・ー…、数字１２３、ASCII ~\\ の後に漢字。");
    EXPECT_EQ(EucJpToShiftJis(ShiftJisToEucJp(sjis)), sjis);
    EXPECT_EQ(JisToShiftJis(ShiftJisToJis(sjis)), sjis);
    EXPECT_EQ(ShiftJisToEucJp(sjis), Iconv("EUC-JP", "CP932", sjis).value());
    const std::string euc = ShiftJisToEucJp(sjis);
    EXPECT_EQ(JisToEucJp(EucJpToJis(euc)), euc);
    EXPECT_EQ(ShiftJisToJis(sjis), EucJpToJis(euc));
}

TEST(JconvertConvert, DispatchByDetectedEncoding) {
    const std::string sjis = "x\x82\xA0\x82\xF1"; // x あん
    const std::string euc = "x\xA4\xA2\xA4\xF3";
    const std::string jis = "x" + kToJis + "\x24\x22\x24\x73";
    const std::string jisOld = "x\x1b$@\x24\x22\x24\x73";
    const std::string undecided = "\xA4\xA2\xA4\xA4";
    const struct {
        std::string text;
        JE target;
        std::string expected;
    } cases[] = {
        {sjis, JE::EucJp, euc},
        {sjis, JE::Jis, jis},
        {sjis, JE::ShiftJis, sjis},
        {euc, JE::ShiftJis, sjis},
        {euc, JE::Jis, jis},
        {euc, JE::EucJp, euc},
        {jis, JE::EucJp, euc},
        {jis, JE::ShiftJis, sjis},
        {jis, JE::Jis, jis},
        {jisOld, JE::EucJp, euc},
        {jisOld, JE::Jis, jisOld},
        {undecided, JE::ShiftJis, undecided},
        {undecided, JE::EucJp, undecided},
        {"plain", JE::Jis, "plain"},
        {std::string("\x82\xA0\0\x82", 4), JE::EucJp, std::string("\x82\xA0\0\x82", 4)},
        {sjis, JE::Ascii, sjis},
        {sjis, JE::JisOld, sjis},
        {sjis, JE::EucOrShiftJis, sjis},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConvertJapaneseEncoding(c.text, c.target), c.expected)
            << "target " << int(c.target) << " of " << testing::PrintToString(c.text);
}

// ---------------------------------------------------------------------------------------
// Line breaks

TEST(JconvertLineBreak, DetectFindsTheFirstBreak) {
    EXPECT_EQ(DetectLineBreak(""), LineBreak::None);
    EXPECT_EQ(DetectLineBreak("abc"), LineBreak::None);
    EXPECT_EQ(DetectLineBreak("a\r\nb\n"), LineBreak::CrLf);
    EXPECT_EQ(DetectLineBreak("a\nb\r\n"), LineBreak::Lf);
    EXPECT_EQ(DetectLineBreak("a\rb\r\n"), LineBreak::Cr);
    EXPECT_EQ(DetectLineBreak("a\r"), LineBreak::Cr);
}

TEST(JconvertLineBreak, ConvertReplacesOnlyTheDetectedKind) {
    EXPECT_EQ(ConvertLineBreaks("a\r\nb\r\n", LineBreak::Lf), "a\nb\n");
    EXPECT_EQ(ConvertLineBreaks("a\r\nb\r\n", LineBreak::CrLf), "a\r\nb\r\n");
    EXPECT_EQ(ConvertLineBreaks("a\nb\n\n", LineBreak::CrLf), "a\r\nb\r\n\r\n");
    EXPECT_EQ(ConvertLineBreaks("\r\r", LineBreak::Lf), "\n\n");
    EXPECT_EQ(ConvertLineBreaks("abc", LineBreak::Lf), "abc");
    EXPECT_EQ(ConvertLineBreaks("a\nb\r\nc", LineBreak::CrLf), "a\r\nb\r\r\nc");
    EXPECT_EQ(ConvertLineBreaks("a\r\nb\nc", LineBreak::Cr), "a\rb\nc");
    EXPECT_EQ(ConvertLineBreaks("a\r\nb", LineBreak::None), "a\r\nb") << "nothing to write";
}

// ---------------------------------------------------------------------------------------
// UTF-8 and UTF-16

TEST(JconvertUtf8, JapaneseRoundTrip) {
    const std::string utf8 = "ページ名「日本語」とｶﾀｶﾅ、ASCII abc ~\\ ①㈱髙 end";
    const std::string sjis = Utf8ToShiftJis(utf8);
    EXPECT_EQ(sjis, Sjis(utf8));
    EXPECT_EQ(ShiftJisToUtf8(sjis), utf8);
    EXPECT_EQ(Utf16ToShiftJis(ShiftJisToUtf16(sjis)), sjis);
    EXPECT_EQ(ShiftJisToUtf16(sjis).substr(0, 3), u"ページ");
    EXPECT_EQ(ShiftJisToUtf8(""), "");
    EXPECT_EQ(Utf8ToShiftJis(""), "");
}

TEST(JconvertUtf8, MalformedUtf8GivesEmptyText) {
    const char* cases[] = {
        "ab\xE3\x81",       // lead byte without all its continuation bytes
        "\xE3\x41\x82",     // continuation byte without the 10xxxxxx pattern
        "a\x81z",           // continuation byte with no lead
        "\xC0\xAF",         // overlong '/'
        "\xE0\x80\xAF",     // overlong, three bytes
        "\xED\xA0\x80",     // surrogate
        "\xF4\x90\x80\x80", // past U+10FFFF
        "\xFF",
    };
    for (const char* c : cases)
        EXPECT_EQ(Utf8ToShiftJis(c), "") << testing::PrintToString(c);
}

TEST(JconvertUtf8, UnmappableCharactersBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToShiftJis("a\xF0\x9F\x98\x80"
                             "b\xC3\xA9"
                             "c"),
              "a?b?c"); // 😀 é
    EXPECT_EQ(Utf16ToShiftJis(u"a\U0001F600b"), "a?b");
    EXPECT_EQ(Utf16ToShiftJis(std::u16string{u'a', char16_t(0xD800), u'b'}), "a?b");
    EXPECT_EQ(Utf16ToShiftJis(std::u16string{u'a', char16_t(0xDC00)}), "a?");
}

// Shift_JIS bytes that code page 932 does not decode become "?" and the text after them
// survives: one "?" for an unassigned lead/trail pair, one per byte otherwise.
TEST(JconvertUtf8, UndecodableShiftJisKeepsTheRest) {
    EXPECT_EQ(ShiftJisToUtf8("a\x80"
                             "b"),
              "a?b");
    EXPECT_EQ(ShiftJisToUtf8("a\xA0\xFD\xFF"
                             "b"),
              "a???b");
    EXPECT_EQ(ShiftJisToUtf8("\x85\x40"
                             "x\x82\xA0"),
              "?xあ");
    EXPECT_EQ(ShiftJisToUtf8("\x82 x"), "? x");
    EXPECT_EQ(ShiftJisToUtf8(Exact("x\x82")), "x?");
    EXPECT_EQ(ShiftJisToUtf16("\x80\x82\xA0"), u"?あ");
    EXPECT_EQ(ShiftJisToUtf16(Exact("\x82\xA0\x82")), u"あ?");
}

TEST(JconvertUtf8, WorksOnAnyThread) {
    std::string fromThread;
    std::thread worker([&] { fromThread = ShiftJisToUtf8("\x82\xA0"); });
    worker.join();
    EXPECT_EQ(fromThread, "あ");
    EXPECT_EQ(ShiftJisToUtf8("\x82\xA0"), "あ");
}

} // namespace
} // namespace tarnel

namespace tarnel {
namespace {

// The first byte that breaks an encoding: what --read reports, and what automatic reading
// uses to tell UTF-8 from the legacy encodings.
TEST(TextValidity, FirstInvalidByte) {
    constexpr std::size_t ok = std::string_view::npos;
    const struct {
        const char* name;
        std::string text;
        TextEncoding encoding;
        std::size_t bad;
    } cases[] = {
        {"ascii is UTF-8", "plain", TextEncoding::Utf8, ok},
        {"UTF-8 Japanese", "a\xE6\x97\xA5\xE6\x9C\xAC", TextEncoding::Utf8, ok},
        {"UTF-8 cut at the end", "ab\xE6\x97", TextEncoding::Utf8, 2},
        {"UTF-8 overlong", "\xC0\xAF", TextEncoding::Utf8, 0},
        {"UTF-8 surrogate", "x\xED\xA0\x80", TextEncoding::Utf8, 1},
        {"EUC-JP as UTF-8", "\xC6\xFC\xCB\xDC", TextEncoding::Utf8, 0},
        {"EUC-JP Japanese", "a\xC6\xFC\xCB\xDC", TextEncoding::EucJp, ok},
        {"EUC-JP half-width kana and JIS X 0212", "\x8E\xB1\x8F\xB0\xA1", TextEncoding::EucJp, ok},
        {"Shift_JIS in EUC-JP", "ab\x93\xFA", TextEncoding::EucJp, 2},
        {"EUC-JP lead at the end", "abc\xC6", TextEncoding::EucJp, 3},
        {"Shift_JIS Japanese and kana", "\x93\xFA\x96\x7B\xB1", TextEncoding::ShiftJis, ok},
        {"Shift_JIS bad trail", "\x93\x0A", TextEncoding::ShiftJis, 0},
        {"Shift_JIS 0xFD", "x\xFD", TextEncoding::ShiftJis, 1},
        {"JIS escapes", "\x1B$BF|\x1B(B", TextEncoding::Jis, ok},
        {"8-bit byte in JIS", "ab\xA4", TextEncoding::Jis, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FirstInvalidByte(c.text, c.encoding), c.bad) << c.name;
    EXPECT_TRUE(IsUtf8WithNonAscii("\xE6\x97\xA5"));
    EXPECT_FALSE(IsUtf8WithNonAscii("ascii only"));
    EXPECT_FALSE(IsUtf8WithNonAscii("\x93\xFA\x96\x7B")); // Shift_JIS
}

} // namespace
} // namespace tarnel

TEST(JconvertConvert, RepairedDisplayFormIsTheConversionRepaired) {
    // Well-formed text, and each way EUC-JP can be broken: a lead byte before ASCII or at
    // the end, a half-width prefix before a lead byte or at the end, JIS X 0212, bytes
    // 0x81-0xA0 that lead nothing in EUC-JP.
    std::vector<std::string> texts = {
        "",
        "plain ASCII\n",
        "\xC6\xFC\xCB\xDC\xB8\xEC and \x8E\xB1\x8E\xDF",
        "\xC6"
        "a line\n",
        "end \xC6",
        "\x8E\x81"
        "A \x8E",
        "\x8F\xB0\xA1 x",
        "\x81\x40 \xA0\xA1 \xFF\x80",
        "\xA1\x7F\xFE\xFE",
    };
    std::uint32_t seed = 12345;
    for (int n = 0; n < 2000; ++n) {
        std::string random;
        for (int k = 0; k < 12; ++k) {
            seed = seed * 1103515245u + 12345u;
            random += static_cast<char>(seed >> 24);
        }
        texts.push_back(random);
    }
    for (const std::string& text : texts)
        EXPECT_EQ(tarnel::EucJpToRepairedShiftJis(text),
                  tarnel::RepairShiftJis(tarnel::EucJpToShiftJis(text)))
            << "text of " << text.size() << " bytes";
}
