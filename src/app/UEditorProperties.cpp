#include "UEditorProperties.h"

#include <algorithm>
#include <charconv>

namespace tarnel {

namespace {

bool ParseInt(std::string_view text, int low, int high, int& out) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return false;
    out = value;
    return true;
}

bool ParseBool(std::string_view text, bool& out) {
    if (text != "0" && text != "1") return false;
    out = text == "1";
    return true;
}

bool IsAlnum(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Characters an address may hold after its scheme (RFC 3986's unreserved, reserved and "%"),
// less the brackets and quotes that usually surround an address in running text.
bool IsUrlChar(unsigned char c) {
    if (IsAlnum(c)) return true;
    switch (c) {
    case '-':
    case '.':
    case '_':
    case '~':
    case ':':
    case '/':
    case '?':
    case '#':
    case '@':
    case '!':
    case '$':
    case '&':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
    case '%':
        return true;
    default:
        return false;
    }
}

bool IsMailLocalChar(unsigned char c) {
    return IsAlnum(c) || c == '.' || c == '_' || c == '%' || c == '+' || c == '-';
}

bool IsHostChar(unsigned char c) {
    return IsAlnum(c) || c == '-' || c == '.';
}

// Punctuation that ends a sentence rather than an address.
std::size_t TrimTrailing(std::string_view text, std::size_t start, std::size_t end) {
    while (end > start && (text[end - 1] == '.' || text[end - 1] == ',' || text[end - 1] == ';' ||
                           text[end - 1] == ':' || text[end - 1] == '!' || text[end - 1] == '?'))
        --end;
    return end;
}

constexpr std::string_view kSchemes[] = {"https://", "http://", "ftp://", "file://", "mailto:"};

} // namespace

TEditorProperties TEditorProperties::Parse(std::string_view text) {
    TEditorProperties p;
    while (!text.empty()) {
        std::size_t semi = text.find(';');
        std::string_view pair = text.substr(0, semi);
        text = semi == std::string_view::npos ? std::string_view() : text.substr(semi + 1);
        std::size_t eq = pair.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view name = pair.substr(0, eq), value = pair.substr(eq + 1);
        if (name == "FontFamily" && !value.empty())
            p.FontFamily = std::string(value);
        else if (name == "FontSize")
            ParseInt(value, 4, 72, p.FontSize);
        else if (name == "TabWidth")
            ParseInt(value, 1, 32, p.TabWidth);
        else if (name == "WrapColumn")
            ParseInt(value, 1, 1000, p.WrapColumn);
        else if (name == "LineNumbers")
            ParseBool(value, p.LineNumbers);
        else if (name == "LineEnds")
            ParseBool(value, p.LineEnds);
        else if (name == "EndMark")
            ParseBool(value, p.EndMark);
        else if (name == "Addresses")
            ParseBool(value, p.Addresses);
        else if (name == "Brackets")
            ParseBool(value, p.Brackets);
    }
    return p;
}

std::string TEditorProperties::Text() const {
    auto b = [](bool v) { return v ? "1" : "0"; };
    std::string family = FontFamily;
    std::replace(family.begin(), family.end(), ';', ' ');
    return "FontFamily=" + family + ";FontSize=" + std::to_string(FontSize) +
           ";TabWidth=" + std::to_string(TabWidth) + ";WrapColumn=" + std::to_string(WrapColumn) +
           ";LineNumbers=" + b(LineNumbers) + ";LineEnds=" + b(LineEnds) +
           ";EndMark=" + b(EndMark) + ";Addresses=" + b(Addresses) + ";Brackets=" + b(Brackets);
}

std::vector<TAddressRange> FindAddresses(std::string_view text) {
    std::vector<TAddressRange> found;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        // A web address starts at a scheme that does not continue a word.
        bool web = false;
        if ((text[i] == 'h' || text[i] == 'f' || text[i] == 'm') &&
            (i == 0 || !IsAlnum(static_cast<unsigned char>(text[i - 1])))) {
            for (std::string_view scheme : kSchemes) {
                if (text.compare(i, scheme.size(), scheme) != 0) continue;
                std::size_t end = i + scheme.size();
                while (end < n && IsUrlChar(static_cast<unsigned char>(text[end])))
                    ++end;
                end = TrimTrailing(text, i + scheme.size(), end);
                if (end > i + scheme.size()) {
                    found.push_back({i, end - i});
                    i = end;
                    web = true;
                }
                break;
            }
        }
        if (web) continue;
        if (text[i] != '@') {
            ++i;
            continue;
        }
        // A mail address: the local part before "@", a host with at least one dot after it.
        std::size_t start = i;
        std::size_t floor = found.empty() ? 0 : found.back().Start + found.back().Length;
        while (start > floor && IsMailLocalChar(static_cast<unsigned char>(text[start - 1])))
            --start;
        std::size_t end = i + 1;
        while (end < n && IsHostChar(static_cast<unsigned char>(text[end])))
            ++end;
        end = TrimTrailing(text, i + 1, end);
        std::string_view host = text.substr(i + 1, end - i - 1);
        std::size_t dot = host.find('.');
        if (start < i && dot != std::string_view::npos && dot > 0 && dot + 1 < host.size() &&
            text[start] != '.') {
            found.push_back({start, end - start});
            i = end;
        } else {
            ++i;
        }
    }
    return found;
}

} // namespace tarnel
