#include "text/BRegExp.h"

#include <oniguruma.h>

#include <memory>
#include <mutex>
#include <unordered_map>

namespace tarnel {

// A pattern string compiled by Oniguruma. Flag k selects the Shift_JIS encoding, otherwise
// every byte is one character. The ASCII options keep \w \d \s \b to ASCII as Perl does on
// bytes. Flags i and m are written in front of the pattern as (?i) and (?m): Oniguruma's
// own MULTILINE option means "dot matches newline", which is not what m means here.
class CompiledPattern {
public:
    explicit CompiledPattern(std::string_view source);
    ~CompiledPattern() { onig_free(regex_); }
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

    RegexMatch Search(std::string_view text, std::size_t from) const;
    // Bytes of the character that starts at text[pos] (1 or 2 under Shift_JIS).
    std::size_t CharLength(std::string_view text, std::size_t pos) const;

private:
    regex_t* regex_ = nullptr;
    bool shiftJis_ = false;
};

namespace {

void InitOniguruma() {
    static std::once_flag once;
    std::call_once(once, [] {
        OnigEncoding encodings[] = {ONIG_ENCODING_SJIS, ONIG_ENCODING_ASCII};
        onig_initialize(encodings, 2);
        onig_set_retry_limit_in_match(kRetryLimitInMatch);
    });
}

std::string OnigMessage(int code, OnigErrorInfo* info) {
    OnigUChar buffer[ONIG_MAX_ERROR_MESSAGE_LEN];
    int n =
        info ? onig_error_code_to_str(buffer, code, info) : onig_error_code_to_str(buffer, code);
    return std::string(reinterpret_cast<char*>(buffer), n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool IsShiftJisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Under Shift_JIS, Oniguruma reads "\xFF" in a class as the single code point 0xFF, so a
// class such as [^\x00-\x20\x7F-\xFF] would admit every double-byte character. Our rules
// mean "bytes 0x7F and above", which covers the double-byte characters too: a range that
// ends at \xFF is widened to the last double-byte code point.
std::string WidenHighByteRanges(std::string_view body) {
    std::string out;
    out.reserve(body.size() + 8);
    bool inClass = false;
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (c == '\\' && i + 1 < body.size()) {
            if (inClass && i >= 1 && body[i - 1] == '-' &&
                (body.compare(i, 4, "\\xFF") == 0 || body.compare(i, 4, "\\xff") == 0)) {
                out += "\\x{FCFC}";
                i += 3;
                continue;
            }
            out += c;
            out += body[++i];
            continue;
        }
        if (c == '[' && !inClass) {
            inClass = true;
            out += c;
            // A "]" right after "[" or "[^" is a literal member.
            if (i + 1 < body.size() && body[i + 1] == '^') out += body[++i];
            if (i + 1 < body.size() && body[i + 1] == ']') out += body[++i];
            continue;
        }
        if (c == ']' && inClass) inClass = false;
        out += c;
    }
    return out;
}

} // namespace

CompiledPattern::CompiledPattern(std::string_view source) {
    InitOniguruma();
    std::size_t start = 0;
    if (!source.empty() && source[0] == 'm') start = 1;
    if (start >= source.size()) throw EBRegExpError("invalid pattern: " + std::string(source));
    char delimiter = source[start];
    std::size_t close = source.rfind(delimiter);
    if (close == start) throw EBRegExpError("no terminator: " + std::string(source));
    std::string_view body = source.substr(start + 1, close - start - 1);
    std::string_view flags = source.substr(close + 1);

    std::string prefix;
    for (char f : flags) {
        if (f == 'k')
            shiftJis_ = true;
        else if (f == 'i')
            prefix += 'i';
        else if (f == 'm')
            prefix += 'm';
        else if (f != 'g' && f != 'x' && f != 's' && f != 'o')
            throw EBRegExpError(std::string("unknown flag: ") + f);
    }
    std::string pattern = prefix.empty() ? std::string() : "(?" + prefix + ")";
    pattern += shiftJis_ ? WidenHighByteRanges(body) : std::string(body);

    OnigOptionType options = ONIG_OPTION_WORD_IS_ASCII | ONIG_OPTION_DIGIT_IS_ASCII |
                             ONIG_OPTION_SPACE_IS_ASCII | ONIG_OPTION_POSIX_IS_ASCII;
    OnigErrorInfo info;
    const auto* p = reinterpret_cast<const OnigUChar*>(pattern.data());
    int r = onig_new(&regex_, p, p + pattern.size(), options,
                     shiftJis_ ? ONIG_ENCODING_SJIS : ONIG_ENCODING_ASCII, ONIG_SYNTAX_PERL, &info);
    if (r != ONIG_NORMAL) {
        regex_ = nullptr;
        throw EBRegExpError(OnigMessage(r, &info));
    }
}

RegexMatch CompiledPattern::Search(std::string_view text, std::size_t from) const {
    RegexMatch result;
    if (from > text.size()) return result;
    // One region and one match parameter per thread, reused: a search allocates nothing
    // once warmed up.
    thread_local std::unique_ptr<OnigRegion, void (*)(OnigRegion*)> region(
        onig_region_new(), [](OnigRegion* r) { onig_region_free(r, 1); });
    thread_local std::unique_ptr<OnigMatchParam, void (*)(OnigMatchParam*)> param(
        onig_new_match_param(), [](OnigMatchParam* p) { onig_free_match_param(p); });
    const auto* str = reinterpret_cast<const OnigUChar*>(text.data()) + from;
    const auto* end = reinterpret_cast<const OnigUChar*>(text.data()) + text.size();
    // The retry limit grows with the text: a lazy "(.*?)" before a far mark steps once per
    // character, which is linear work and must not count as a runaway match.
    onig_initialize_match_param(param.get());
    onig_set_retry_limit_in_match_of_match_param(
        param.get(), kRetryLimitInMatch + 8 * static_cast<unsigned long>(text.size() - from));
    int r = onig_search_with_param(regex_, str, end, str, end, region.get(), ONIG_OPTION_NONE,
                                   param.get());
    if (r == ONIG_MISMATCH) return result;
    if (r < 0) throw EBRegExpError(OnigMessage(r, nullptr));
    result.text_ = text;
    result.groups_.reserve(region->num_regs);
    // A text that ends in a lone Shift_JIS lead byte is stepped over as a whole character,
    // so a match can be reported one byte past the end: such ends are held to the text.
    const std::size_t size = text.size();
    auto clamp = [size](std::size_t p) { return p < size ? p : size; };
    for (int i = 0; i < region->num_regs; ++i) {
        if (region->beg[i] < 0)
            result.groups_.emplace_back(std::string_view::npos, std::string_view::npos);
        else
            result.groups_.emplace_back(clamp(from + region->beg[i]), clamp(from + region->end[i]));
    }
    return result;
}

std::size_t CompiledPattern::CharLength(std::string_view text, std::size_t pos) const {
    if (shiftJis_ && IsShiftJisLead(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size())
        return 2;
    return 1;
}

const CompiledPattern& CompilePattern(std::string_view pattern) {
    // Patterns are few (the rules of the notations) and live for the whole run.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const {
            return std::hash<std::string_view>{}(s);
        }
    };
    static std::mutex mutex;
    static std::unordered_map<std::string, std::unique_ptr<CompiledPattern>, Hash, std::equal_to<>>
        cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(pattern);
    if (it != cache.end()) return *it->second;
    auto compiled = std::make_unique<CompiledPattern>(pattern);
    return *cache.emplace(std::string(pattern), std::move(compiled)).first->second;
}

bool RegexMatch::Matched(int i) const {
    return i >= 0 && i < GroupCount() && groups_[i].first != std::string_view::npos;
}

std::string_view RegexMatch::Group(int i) const {
    if (!Matched(i)) return {};
    return text_.substr(groups_[i].first, groups_[i].second - groups_[i].first);
}

RegexMatch Search(std::string_view pattern, std::string_view text, std::size_t from) {
    return CompilePattern(pattern).Search(text, from);
}

std::string ScanReplace(std::string_view pattern, std::string_view text,
                        const ScanReplacer& replace, const ScanPlain& plain) {
    const CompiledPattern& compiled = CompilePattern(pattern);
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    std::size_t pos = 0;
    while (pos <= text.size()) {
        RegexMatch m = compiled.Search(text, pos);
        if (!m.Found()) break;
        if (m.Position() > pos) plain(text.substr(pos, m.Position() - pos), out);
        replace(m, out);
        pos = m.End();
        if (m.Length() == 0) {
            // An empty match must not stop the pass: step over one whole character.
            if (pos >= text.size()) {
                pos = text.size() + 1;
                break;
            }
            std::size_t n = compiled.CharLength(text, pos);
            plain(text.substr(pos, n), out);
            pos += n;
        }
    }
    if (pos < text.size()) plain(text.substr(pos), out);
    return out;
}

std::string ScanReplace(std::string_view pattern, std::string_view text,
                        const ScanReplacer& replace) {
    return ScanReplace(pattern, text, replace,
                       [](std::string_view plain, std::string& out) { out += plain; });
}

} // namespace tarnel
