#include "storage/UPageFile.h"

#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

namespace tarnel {

namespace {

// How a file is named in messages (display form): its page name when it has one, and its
// path, which the file system gives as UTF-8.
std::string Describe(const std::string& path) {
    const std::string shown = DisplayPath(path);
    std::string name = DecodeFileName(path, false);
    return name.empty() ? shown : "page \"" + name + "\" (" + shown + ")";
}

std::string ReadAll(const std::string& path) {
    try {
        return ReadWholeFile(path, Describe(path));
    } catch (const EFileError& e) {
        throw EPageFileError(e.what());
    }
}

} // namespace

// Every line ending (CR LF, CR or LF) becomes LF and a non-empty text ends with one:
// splitting into lines and joining them with LF, in one pass.
std::string LfLines(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size() + 1);
    // The text between CRs is copied whole; a CR, with the LF after it if any, becomes LF.
    std::size_t from = 0;
    while (from < bytes.size()) {
        std::size_t cr = bytes.find('\r', from);
        if (cr == std::string_view::npos) {
            text.append(bytes.substr(from));
            break;
        }
        text.append(bytes.substr(from, cr - from));
        text += '\n';
        from = cr + 1;
        if (from < bytes.size() && bytes[from] == '\n') ++from;
    }
    if (!text.empty() && text.back() != '\n') text += '\n';
    return text;
}

namespace {

std::string_view BeforeNul(std::string_view bytes) {
    std::size_t nul = bytes.find('\0'); // a NUL ends the text
    return nul == std::string_view::npos ? bytes : bytes.substr(0, nul);
}

std::string FromUtf8(const std::string& text) {
    return ConvertJapaneseEncoding(Utf8ToShiftJis(text), JapaneseEncoding::EucJp);
}

} // namespace

std::string NormalisePageText(std::string_view bytes, const PageReadOptions& options) {
    std::string text = LfLines(BeforeNul(bytes));

    switch (options.encoding) {
    case PageEncoding::Settings:
        break;
    case PageEncoding::Automatic:
        if (IsUtf8WithNonAscii(text)) return FromUtf8(text);
        return ConvertJapaneseEncoding(text, JapaneseEncoding::EucJp);
    case PageEncoding::ShiftJis:
        return ShiftJisToEucJp(text);
    case PageEncoding::EucJp:
        return text;
    case PageEncoding::Jis:
        return JisToEucJp(text);
    case PageEncoding::Utf8:
        return FromUtf8(text);
    }
    if (options.utf8Text) return FromUtf8(text);
    if (options.readCharCode == ReadCharCode::Automatic) {
        if (IsUtf8WithNonAscii(text)) return FromUtf8(text);
        return ConvertJapaneseEncoding(text, JapaneseEncoding::EucJp);
    }
    return text;
}

std::string ReadFileBytes(const std::string& path) {
    return ReadAll(path);
}

std::string ReadPageText(const std::string& path, const PageReadOptions& options) {
    std::string bytes = ReadAll(path);
    static const struct {
        PageEncoding page;
        TextEncoding text;
        const char* name;
    } kChecked[] = {{PageEncoding::ShiftJis, TextEncoding::ShiftJis, "Shift_JIS"},
                    {PageEncoding::EucJp, TextEncoding::EucJp, "EUC-JP"},
                    {PageEncoding::Jis, TextEncoding::Jis, "ISO-2022-JP"},
                    {PageEncoding::Utf8, TextEncoding::Utf8, "UTF-8"}};
    for (const auto& c : kChecked) {
        if (options.encoding != c.page) continue;
        std::size_t bad = FirstInvalidByte(BeforeNul(bytes), c.text);
        if (bad != std::string_view::npos)
            throw EPageFileError(Describe(path) + ": not valid " + c.name + " text at byte " +
                                 std::to_string(bad));
    }
    return NormalisePageText(bytes, options);
}

void WritePageText(const std::string& path, std::string_view displayText) {
    try {
        WriteFileAtomically(path, LfLines(ShiftJisToEucJp(displayText)), true, Describe(path));
    } catch (const EFileError& e) {
        throw EPageFileError(e.what());
    }
}

} // namespace tarnel
