#include "text/UPageName.h"

#include "text/BRegExp.h"
#include "text/jconvert.h"

#include <algorithm>
#include <sys/stat.h>

namespace tarnel {

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

std::string EncodePageName(std::string_view pageName, bool useUtf8Names) {
    static const char kDigits[] = "0123456789ABCDEF";
    // ASCII is the same in both stored forms: such a name (most are) needs no conversion.
    const bool ascii = std::all_of(pageName.begin(), pageName.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    std::string converted;
    if (!ascii) converted = useUtf8Names ? ShiftJisToUtf8(pageName) : ShiftJisToEucJp(pageName);
    std::string_view bytes = ascii ? pageName : std::string_view(converted);
    std::string hex(bytes.size() * 2, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        auto c = static_cast<unsigned char>(bytes[i]);
        hex[2 * i] = kDigits[c >> 4];
        hex[2 * i + 1] = kDigits[c & 0x0F];
    }
    return hex;
}

std::string DecodeFileName(std::string_view fileName, bool useUtf8Names) {
    std::size_t slash = fileName.find_last_of('/');
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    std::size_t dot = fileName.rfind('.');
    if (dot != std::string_view::npos) fileName = fileName.substr(0, dot);
    // Hex digits come in pairs: a name of an odd number of them was not made by the codec
    // and cannot be decoded, which gives the empty name.
    if (fileName.size() % 2 != 0) return std::string();
    std::string bytes;
    bytes.reserve(fileName.size() / 2);
    for (std::size_t i = 0; i + 1 < fileName.size(); i += 2) {
        int high = HexValue(fileName[i]);
        int low = HexValue(fileName[i + 1]);
        if (high < 0 || low < 0) return std::string();
        bytes += static_cast<char>(high * 16 + low);
    }
    return useUtf8Names ? Utf8ToShiftJis(bytes) : EucJpToShiftJis(bytes);
}

bool IsPageFileName(std::string_view fileName, std::string_view extension) {
    // The rule is the pattern ^[0-9A-F]+<extension>$ without case, every "." of the
    // extension escaped; the extension's other characters act as pattern characters.
    // An extension of letters, digits and dots is a plain suffix, compared without the
    // matcher (a folder listing asks this for every file).
    auto isHex = [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
    };
    auto plainChar = [](char c) {
        return c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
               (c >= 'a' && c <= 'z');
    };
    if (std::all_of(extension.begin(), extension.end(), plainChar)) {
        if (extension.empty()) return !fileName.empty() && isHex(fileName[0]);
        // "$" also matches before a line feed that ends the name.
        if (fileName.ends_with('\n')) fileName.remove_suffix(1);
        if (fileName.size() <= extension.size()) return false;
        const std::size_t stem = fileName.size() - extension.size();
        for (std::size_t i = 0; i < extension.size(); ++i) {
            char a = fileName[stem + i], b = extension[i];
            if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
            if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
            if (a != b) return false;
        }
        return std::all_of(fileName.begin(), fileName.begin() + static_cast<long>(stem), isHex);
    }
    std::string pattern = "m/^[0-9A-F]+";
    for (char c : extension) {
        if (c == '.')
            pattern += "\\.";
        else
            pattern += c;
    }
    if (!extension.empty()) pattern += '$';
    pattern += "/i";
    return Search(pattern, fileName).Found();
}

bool PageFileExists(const std::string& folder, std::string_view fileName) {
    // Only a regular file is a page (a symbolic link is followed): a folder named like a
    // page is none.
    struct stat st;
    std::string path = folder + std::string(fileName);
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace tarnel
