#include "storage/UEditorText.h"

#include "text/jconvert.h"

#include <cctype>
#include <ctime>

namespace tarnel {

// --- Date and time ------------------------------------------------------------------------

int TDateTime::Weekday() const {
    // Sakamoto's method on the proleptic Gregorian calendar.
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = Month < 3 ? Year - 1 : Year;
    int m = Month < 1 || Month > 12 ? 1 : Month;
    int w = (y + y / 4 - y / 100 + y / 400 + offsets[m - 1] + Day) % 7;
    return w < 0 ? w + 7 : w;
}

TDateTime TDateTime::Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    localtime_r(&now.tv_sec, &local);
    TDateTime t;
    t.Year = local.tm_year + 1900;
    t.Month = local.tm_mon + 1;
    t.Day = local.tm_mday;
    t.Hour = local.tm_hour;
    t.Minute = local.tm_min;
    t.Second = local.tm_sec;
    t.Millisecond = static_cast<int>(now.tv_nsec / 1000000);
    return t;
}

namespace {

const char* const kShortDays[] = {"日", "月", "火", "水", "木", "金", "土"};

std::string Digits(int value, int width) {
    std::string s = std::to_string(value < 0 ? -value : value);
    while (static_cast<int>(s.size()) < width)
        s.insert(s.begin(), '0');
    return s;
}

bool IsSjisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool StartsWithNoCase(std::string_view text, std::size_t at, std::string_view what) {
    if (text.size() - at < what.size()) return false;
    for (std::size_t k = 0; k < what.size(); ++k)
        if (Lower(text[at + k]) != what[k]) return false;
    return true;
}

// Whether the format has an am/pm marker anywhere outside quotes: then hours count 1..12.
bool HasTwelveHourMarker(std::string_view format) {
    char quote = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (IsSjisLead(static_cast<unsigned char>(c))) {
            ++i;
        } else if (StartsWithNoCase(format, i, "am/pm") || StartsWithNoCase(format, i, "a/p")) {
            return true;
        }
    }
    return false;
}

} // namespace

std::string FormatDateTime(std::string_view format, const TDateTime& t) {
    const bool twelve = HasTwelveHourMarker(format);
    const int hour = twelve ? (t.Hour % 12 == 0 ? 12 : t.Hour % 12) : t.Hour;
    std::string out; // UTF-8 for the Japanese names, display form for the copied text
    std::string result;
    auto flushUtf8 = [&] {
        result += Utf8ToShiftJis(out);
        out.clear();
    };
    // After an hour, m and mm stand for minutes until another letter comes.
    bool afterHour = false;
    std::size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        const unsigned char uc = static_cast<unsigned char>(c);
        if (c == '"' || c == '\'') {
            std::size_t end = format.find(c, i + 1);
            if (end == std::string_view::npos) end = format.size();
            flushUtf8();
            result.append(format.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (IsSjisLead(uc)) {
            flushUtf8();
            result.append(format.substr(i, i + 1 < format.size() ? 2 : 1));
            i += 2;
            continue;
        }
        if (StartsWithNoCase(format, i, "am/pm")) {
            out += std::isupper(uc) ? (t.Hour < 12 ? "AM" : "PM") : (t.Hour < 12 ? "am" : "pm");
            i += 5;
            continue;
        }
        if (StartsWithNoCase(format, i, "a/p")) {
            out += std::isupper(uc) ? (t.Hour < 12 ? "A" : "P") : (t.Hour < 12 ? "a" : "p");
            i += 3;
            continue;
        }
        const char letter = Lower(c);
        std::size_t run = 1;
        if (std::string_view("ymdhnsz").find(letter) != std::string_view::npos)
            while (i + run < format.size() && Lower(format[i + run]) == letter)
                ++run;
        switch (letter) {
        case 'y':
            out += run <= 2 ? Digits(t.Year % 100, 2) : Digits(t.Year, 4);
            break;
        case 'm':
            if (afterHour && run <= 2)
                out += Digits(t.Minute, static_cast<int>(run));
            else if (run <= 2)
                out += Digits(t.Month, static_cast<int>(run));
            else
                out += std::to_string(t.Month) + "月";
            break;
        case 'd':
            if (run <= 2)
                out += Digits(t.Day, static_cast<int>(run));
            else if (run == 3)
                out += kShortDays[t.Weekday()];
            else if (run == 4)
                out += std::string(kShortDays[t.Weekday()]) + "曜日";
            else if (run == 5)
                out += Digits(t.Year, 4) + "/" + Digits(t.Month, 2) + "/" + Digits(t.Day, 2);
            else
                out += Digits(t.Year, 4) + "年" + std::to_string(t.Month) + "月" +
                       std::to_string(t.Day) + "日";
            break;
        case 'h':
            out += Digits(hour, run >= 2 ? 2 : 1);
            break;
        case 'n':
            out += Digits(t.Minute, run >= 2 ? 2 : 1);
            break;
        case 's':
            out += Digits(t.Second, run >= 2 ? 2 : 1);
            break;
        case 'z':
            out += Digits(t.Millisecond, run >= 3 ? 3 : 1);
            break;
        default:
            out += c;
            break;
        }
        // Blanks and separators between an hour and its minutes keep the hour in force.
        if (letter == 'h')
            afterHour = true;
        else if (std::isalpha(uc))
            afterHour = false;
        i += run;
    }
    flushUtf8();
    return result;
}

// --- Find and replace ---------------------------------------------------------------------

namespace {

// The text with letters folded to lower case, byte for byte the same length: ASCII A-Z, and
// the full-width Latin capitals U+FF21..U+FF3A (EF BC A1..BA) to U+FF41..U+FF5A (EF BD 81..9A).
std::string FoldCase(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (c >= 'A' && c <= 'Z') {
            out[i] = static_cast<char>(c + 32);
        } else if (c == 0xEF && i + 2 < out.size() &&
                   static_cast<unsigned char>(out[i + 1]) == 0xBC) {
            unsigned char c3 = static_cast<unsigned char>(out[i + 2]);
            if (c3 >= 0xA1 && c3 <= 0xBA) {
                out[i + 1] = static_cast<char>(0xBD);
                out[i + 2] = static_cast<char>(c3 - 0xA1 + 0x81);
            }
            i += 2;
        }
    }
    return out;
}

bool IsWordByte(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u < 0x80 && (std::isalnum(u) || c == '_');
}

bool IsWholeWord(std::string_view text, std::size_t start, std::size_t length) {
    if (length == 0) return false;
    if (start > 0 && IsWordByte(text[start - 1]) && IsWordByte(text[start])) return false;
    std::size_t end = start + length;
    if (end < text.size() && IsWordByte(text[end]) && IsWordByte(text[end - 1])) return false;
    return true;
}

// The search on texts already in their compared form (folded when case does not matter).
std::optional<TFound> FindFolded(std::string_view text, std::string_view what, std::size_t from,
                                 const TSearchOptions& options) {
    if (what.empty()) return std::nullopt;
    if (from > text.size()) from = text.size();
    // A match in valid UTF-8 always starts on a character boundary: the pattern starts with
    // a lead byte or an ASCII byte, which never equals a continuation byte.
    if (options.Forward) {
        for (std::size_t at = text.find(what, from); at != std::string_view::npos;
             at = text.find(what, at + 1))
            if (!options.WholeWord || IsWholeWord(text, at, what.size()))
                return TFound{at, what.size()};
    } else {
        if (from < what.size()) return std::nullopt;
        for (std::size_t at = text.rfind(what, from - what.size()); at != std::string_view::npos;
             at = at == 0 ? std::string_view::npos : text.rfind(what, at - 1))
            if (!options.WholeWord || IsWholeWord(text, at, what.size()))
                return TFound{at, what.size()};
    }
    return std::nullopt;
}

} // namespace

std::optional<TFound> FindText(std::string_view text, std::string_view what, std::size_t from,
                               const TSearchOptions& options) {
    if (options.MatchCase) return FindFolded(text, what, from, options);
    return FindFolded(FoldCase(text), FoldCase(what), from, options);
}

TReplaceAllResult ReplaceAll(std::string_view text, std::string_view what, std::string_view with,
                             const TSearchOptions& options) {
    TReplaceAllResult result;
    TSearchOptions forward = options;
    forward.Forward = true;
    const std::string foldedText = options.MatchCase ? std::string() : FoldCase(text);
    const std::string foldedWhat = options.MatchCase ? std::string() : FoldCase(what);
    const std::string_view subject = options.MatchCase ? text : std::string_view(foldedText);
    const std::string_view pattern = options.MatchCase ? what : std::string_view(foldedWhat);
    // Only the original text is searched, always after the last match, so the run makes one
    // pass however the replacement reads.
    std::size_t copied = 0;
    while (auto found = FindFolded(subject, pattern, copied, forward)) {
        result.Text.append(text.substr(copied, found->Start - copied));
        result.Text.append(with);
        copied = found->Start + found->Length;
        ++result.Count;
    }
    result.Text.append(text.substr(copied));
    return result;
}

TNotFoundMessage SearchNotFoundMessage(const TLanguage& language) {
    return {LangText(language, "Editor.Search.NotFound.Title"),
            LangText(language, "Editor.Search.NotFound.Message")};
}

TNotFoundMessage ReplaceNotFoundMessage(const TLanguage& language) {
    return {LangText(language, "Editor.Replace.NotFound.Title"),
            LangText(language, "Editor.Replace.NotFound.Message")};
}

} // namespace tarnel
