#include "settings/UIniFile.h"

#include "text/UFileIO.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}

// A value as it must be written so that reading gives it back (see WriteString).
std::string EncodeValue(std::string_view value) {
    std::string v(value);
    for (char& c : v)
        if (c == '\r' || c == '\n') c = ' ';
    bool needsQuotes =
        !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()) ||
                       (v.size() >= 2 && IsQuote(v.front()) && v.front() == v.back()));
    return needsQuotes ? "\"" + v + "\"" : v;
}

} // namespace

std::optional<std::string> ReadFileIfExists(const std::string& path) {
    try {
        return ReadWholeFileIfExists(path);
    } catch (const EFileError& e) {
        throw EIniFileError(e.what());
    }
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

std::optional<int> ParseDecimal(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    long long n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
        if (n > static_cast<long long>(INT_MAX) + 1) return std::nullopt; // stops before overflow
    }
    if (negative) n = -n;
    if (n < INT_MIN || n > INT_MAX) return std::nullopt;
    return static_cast<int>(n);
}

std::string FindFileIgnoringCase(const std::string& folder, const std::string& name) {
    std::string exact = folder + name;
    struct stat st;
    if (lstat(exact.c_str(), &st) == 0) return exact;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (SameTextAscii(entry, name)) return folder + entry;
    }
    return exact;
}

// ---------------------------------------------------------------------------------------
// Parsing and writing

TIniFile::Line TIniFile::ParseLine(std::string text) {
    Line line;
    std::string_view s = Trim(text);
    if (s.empty() || s.front() == ';' || s.front() == '#') {
        // blank line or comment
    } else if (s.front() == '[') {
        std::size_t close = s.find(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.key = Trim(s.substr(1, close - 1));
        }
    } else if (std::size_t eq = s.find('='); eq != std::string_view::npos) {
        std::string_view name = Trim(s.substr(0, eq));
        if (!name.empty()) {
            std::string_view value = Trim(s.substr(eq + 1));
            if (value.size() >= 2 && IsQuote(value.front()) && value.front() == value.back())
                value = value.substr(1, value.size() - 2);
            line.kind = LineKind::Value;
            line.key = name;
            line.value = value;
        }
    }
    line.text = std::move(text);
    return line;
}

TIniFile::TIniFile(std::string_view bytes) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        byteOrderMark_ = true;
        bytes.remove_prefix(kByteOrderMark.size());
    }
    bool firstBreak = true;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c != '\r' && c != '\n') continue;
        lines_.push_back(ParseLine(std::string(bytes.substr(start, i - start))));
        bool crlf = c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n';
        if (firstBreak) lineBreak_ = crlf ? "\r\n" : "\n";
        firstBreak = false;
        if (crlf) ++i;
        start = i + 1;
    }
    if (start < bytes.size()) lines_.push_back(ParseLine(std::string(bytes.substr(start))));
}

TIniFile TIniFile::ReadFile(const std::string& path) {
    return TIniFile(ReadFileIfExists(path).value_or(std::string()));
}

void TIniFile::WriteFile(const std::string& path) const {
    std::string target = path;
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
        if (!ec) target = resolved.string();
    }
    try {
        WriteFileAtomically(target, Bytes());
    } catch (const EFileError& e) {
        throw EIniFileError(e.what());
    }
}

std::string TIniFile::Bytes() const {
    std::string out;
    if (byteOrderMark_) out += kByteOrderMark;
    for (const Line& line : lines_) {
        out += line.text;
        out += lineBreak_;
    }
    return out;
}

// ---------------------------------------------------------------------------------------
// Lookups

std::size_t TIniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == LineKind::Section && SameTextAscii(lines_[i].key, section)) return i;
    return std::string::npos;
}

std::size_t TIniFile::FindValue(std::size_t sectionLine, std::string_view name) const {
    for (std::size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        if (lines_[i].kind == LineKind::Section) break;
        if (lines_[i].kind == LineKind::Value && SameTextAscii(lines_[i].key, name)) return i;
    }
    return std::string::npos;
}

std::optional<std::string> TIniFile::Value(std::string_view section, std::string_view name) const {
    std::size_t s = FindSection(section);
    if (s == std::string::npos) return std::nullopt;
    std::size_t v = FindValue(s, name);
    if (v == std::string::npos) return std::nullopt;
    return lines_[v].value;
}

bool TIniFile::SectionExists(std::string_view section) const {
    return FindSection(section) != std::string::npos;
}

std::vector<std::string> TIniFile::SectionNames() const {
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (line.kind != LineKind::Section) continue;
        bool seen = false;
        for (const std::string& n : names)
            seen = seen || SameTextAscii(n, line.key);
        if (!seen) names.push_back(line.key);
    }
    return names;
}

std::vector<std::string> TIniFile::ValueNames(std::string_view section) const {
    std::vector<std::string> names;
    std::size_t s = FindSection(section);
    if (s == std::string::npos) return names;
    for (std::size_t i = s + 1; i < lines_.size() && lines_[i].kind != LineKind::Section; ++i)
        if (lines_[i].kind == LineKind::Value) names.push_back(lines_[i].key);
    return names;
}

std::string TIniFile::ReadString(std::string_view section, std::string_view name,
                                 std::string_view defaultValue) const {
    std::optional<std::string> v = Value(section, name);
    return v ? *v : std::string(defaultValue);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view name, int defaultValue) const {
    std::optional<std::string> v = Value(section, name);
    if (!v) return defaultValue;
    return ParseDecimal(*v).value_or(defaultValue);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view name, bool defaultValue) const {
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

// ---------------------------------------------------------------------------------------
// Writing values

void TIniFile::WriteString(std::string_view section, std::string_view name,
                           std::string_view value) {
    std::string encoded = EncodeValue(value);
    std::size_t s = FindSection(section);
    if (s == std::string::npos) {
        if (!lines_.empty() && !Trim(lines_.back().text).empty()) lines_.push_back(Line{});
        lines_.push_back(ParseLine("[" + std::string(section) + "]"));
        lines_.push_back(ParseLine(std::string(name) + "=" + encoded));
        return;
    }
    std::size_t v = FindValue(s, name);
    if (v != std::string::npos) {
        lines_[v] = ParseLine(lines_[v].key + "=" + encoded);
        return;
    }
    std::size_t after = s; // the section line, or its last value line
    for (std::size_t i = s + 1; i < lines_.size() && lines_[i].kind != LineKind::Section; ++i)
        if (lines_[i].kind == LineKind::Value) after = i;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after + 1),
                  ParseLine(std::string(name) + "=" + encoded));
}

void TIniFile::WriteInteger(std::string_view section, std::string_view name, int value) {
    WriteString(section, name, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view name, bool value) {
    WriteString(section, name, value ? "1" : "0");
}

} // namespace tarnel
