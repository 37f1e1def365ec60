// &source(page name): the text of another page of the same wiki, as written, in a <pre>
// block. The text is not converted, so a page showing itself cannot loop.
//
// The page file lies in the folder of the page being shown (argument 5). Its name is the
// page name's EUC-JP bytes in uppercase hexadecimal plus the extension of the page being
// shown (".txt" when it has none); a wiki whose file names hold UTF-8 bytes instead is
// tried second. Page files are EUC-JP; ISO-2022-JP, UTF-8 and Shift_JIS files are read too.
#include "TarnelPlugin.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

using namespace tarnel::plugin;

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Shift_JIS to EUC-JP by row and cell arithmetic, the way Tarnel names page files, so that
// vendor characters such as circled digits (row 13) get the same bytes as in the file name.
std::string ShiftJisToEucJp(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0xA1 && c <= 0xDF) { // half-width katakana: single shift 2
            out += '\x8E';
            out += static_cast<char>(c);
            continue;
        }
        if (IsLeadByte(c) && i + 1 < text.size()) {
            unsigned char t = static_cast<unsigned char>(text[i + 1]);
            if (t >= 0x40 && t <= 0xFC && t != 0x7F) {
                // Each lead byte covers two JIS rows; trail bytes from 0x9F are the second.
                int row = (c <= 0x9F ? c - 0x81 : c - 0xC1) * 2 + 0x21;
                int cell;
                if (t >= 0x9F) {
                    ++row;
                    cell = t - 0x9F + 0x21;
                } else {
                    cell = t - 0x40 + 0x21 - (t >= 0x80 ? 1 : 0); // 0x7F is not a trail byte
                }
                if (row <= 0x7E) { // leads from 0xF0 (user area) have no EUC-JP row
                    out += static_cast<char>(row | 0x80);
                    out += static_cast<char>(cell | 0x80);
                    ++i;
                    continue;
                }
            }
        }
        out += static_cast<char>(c);
    }
    return out;
}

std::string Hex(std::string_view bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (char b : bytes) {
        unsigned char c = static_cast<unsigned char>(b);
        out += kDigits[c >> 4];
        out += kDigits[c & 0x0F];
    }
    return out;
}

std::optional<std::string> ReadFile(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool HasHighBytes(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

// The page's text, or nothing when no file of that name is there.
std::optional<std::string> ReadPage(std::string_view name, std::string_view pageFile,
                                    std::string_view folder) {
    std::size_t dot = pageFile.rfind('.');
    std::string extension =
        dot == std::string_view::npos ? ".txt" : std::string(pageFile.substr(dot));
    std::vector<std::string> files{Hex(ShiftJisToEucJp(name)) + extension};
    if (HasHighBytes(name)) files.push_back(Hex(ShiftJisToUtf8(name)) + extension);
    // The folder arrives in display form; the file system's names are UTF-8.
    std::vector<std::string> folders{std::string(folder)};
    if (HasHighBytes(folder)) folders.push_back(ShiftJisToUtf8(folder));
    for (const std::string& f : folders)
        for (const std::string& file : files)
            if (auto text = ReadFile(f + file)) return text;
    return std::nullopt;
}

std::u16string DecodePage(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") return Utf8ToUtf16(text.substr(3));
    if (text.find("\x1B$") != std::string_view::npos) return ToUtf16(text, "ISO-2022-JP");
    bool clean = false;
    for (const char* encoding : {"EUC-JP-MS", "EUC-JP", "UTF-8"}) {
        std::u16string decoded = ToUtf16(text, encoding, &clean);
        if (clean) return decoded;
    }
    return ToUtf16(text, "CP932"); // last resort: bad bytes become U+FFFD
}

std::u16string Message(std::u16string_view text) {
    return u"<span class=\"plugin-error\">" + std::u16string(text) + u"</span>";
}

} // namespace

int32_t GetPluginType(void) {
    return TARNEL_PLUGIN_TYPE_INLINE;
}
char16_t* GetName(void) {
    return NewString(u"source");
}
char16_t* GetVersion(void) {
    return NewString(u"1.0");
}
char16_t* GetAuthor(void) {
    return NewString(u"Tarnel");
}
char16_t* GetSyntax(void) {
    return NewString(u"&source(ページ名)");
}
char16_t* GetDescription(void) {
    return NewString(u"同じ Wiki の別のページの本文を、書かれたままの文字で整形済みテキストとして"
                     u"表示します。記法は変換されません。ページがなければその旨を表示します。");
}
char16_t* GetExample(void) {
    return NewString(u"&source(FrontPage)");
}

char16_t* PluginInline(const char*, const char* raw_arguments, const char*, const char* page_file,
                       const char* page_folder, const char*, const char*) {
    return Guard([&] {
        // The name as written: escaping would change names holding & < > ".
        std::string_view name = Trim(raw_arguments);
        if (name.empty()) return NewString(Message(u"source: ページ名がありません。"));
        auto text = ReadPage(name, page_file, page_folder);
        if (!text)
            return NewString(
                Message(u"ページ「" + ShiftJisToUtf16(EscapeHtml(name)) + u"」はありません。"));
        std::u16string decoded = DecodePage(*text);
        std::u16string lines;
        lines.reserve(decoded.size());
        for (std::size_t i = 0; i < decoded.size(); ++i)
            if (!(decoded[i] == u'\r' && i + 1 < decoded.size() && decoded[i + 1] == u'\n'))
                lines += decoded[i];
        return NewString(u"<pre>" + EscapeHtml(lines) + u"</pre>");
    });
}
