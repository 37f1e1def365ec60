#include "text/BRegExp.h"

#include <oniguruma.h>

#include <array>
#include <cctype>
#include <cstdint>
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
    RegexMatch MatchAt(std::string_view text, std::size_t from, std::size_t at) const;
    // Bytes of the character that starts at text[pos] (1 or 2 under Shift_JIS).
    std::size_t CharLength(std::string_view text, std::size_t pos) const;

private:
    // The search (at == npos) or the match at one place, into a fresh result.
    RegexMatch Run(std::string_view text, std::size_t from, std::size_t at) const;

    regex_t* regex_ = nullptr;
    bool shiftJis_ = false;
    // Bytes that every match contains (see RequiredLiteral); a text without them is
    // answered without starting the matcher.
    std::string required_;
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

// The longest run of literal characters that stands in the pattern at the top level (in no
// group, class or repeat), when the pattern has no top-level alternative: every match holds
// those bytes, so a text without them cannot match. Empty when there is no such run or the
// case of letters is ignored. Conservative: any construct it does not know ends a run.
std::string RequiredLiteral(std::string_view body) {
    std::string best, run;
    int depth = 0;
    bool inClass = false;
    auto endRun = [&] {
        if (run.size() > best.size()) best = run;
        run.clear();
    };
    for (std::size_t i = 0; i < body.size(); ++i) {
        char c = body[i];
        if (inClass) {
            if (c == '\\')
                ++i;
            else if (c == ']')
                inClass = false;
            continue;
        }
        char literal = 0;
        if (c == '\\' && i + 1 < body.size()) {
            char e = body[++i];
            if (std::string_view("()[]{}*+?.|^$/\\-\"%&#,:;").find(e) != std::string_view::npos) {
                literal = e;
            } else {
                // Any other escape (\x41, \x{FCFC}, \d, \1, \p{...}) may take letters,
                // digits and braces after it: none of them counts as a literal.
                while (i + 1 < body.size() &&
                       (std::isalnum(static_cast<unsigned char>(body[i + 1])) ||
                        std::string_view("{}<>,_^").find(body[i + 1]) != std::string_view::npos))
                    ++i;
            }
        } else if (c == '[') {
            inClass = true;
            if (i + 1 < body.size() && body[i + 1] == '^') ++i;
            if (i + 1 < body.size() && body[i + 1] == ']') ++i;
        } else if (c == '(') {
            // An option group such as "(?i)" may change what the letters after it match.
            if (i + 2 < body.size() && body[i + 1] == '?' &&
                (std::isalpha(static_cast<unsigned char>(body[i + 2])) || body[i + 2] == '-'))
                return {};
            ++depth;
        } else if (c == ')') {
            --depth;
        } else if (c == '{') {
            // A bounded repeat "{n,m}": its digits are no characters of the text.
            std::size_t close = body.find('}', i);
            if (close != std::string_view::npos) i = close;
        } else if (c == '|') {
            if (depth == 0) return {}; // a top-level alternative: nothing is required
        } else if (std::string_view(".^$*+?}").find(c) == std::string_view::npos &&
                   static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F) {
            literal = c;
        }
        if (literal && depth == 0) {
            // A repeat that allows zero takes the character out of the run; "+" keeps it
            // but ends the run.
            char next = i + 1 < body.size() ? body[i + 1] : 0;
            if (next == '*' || next == '?' || next == '{') {
                endRun();
            } else {
                run += literal;
                if (next == '+') endRun();
            }
        } else {
            endRun();
        }
    }
    endRun();
    return depth == 0 ? best : std::string();
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
    if (prefix.find('i') == std::string::npos) required_ = RequiredLiteral(body);
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
    return Run(text, from, std::string_view::npos);
}

RegexMatch CompiledPattern::MatchAt(std::string_view text, std::size_t from, std::size_t at) const {
    return Run(text, from, at);
}

RegexMatch CompiledPattern::Run(std::string_view text, std::size_t from, std::size_t at) const {
    RegexMatch result;
    if (from > text.size() || (at != std::string_view::npos && (at < from || at > text.size())))
        return result;
    if (!required_.empty() &&
        text.find(required_, at == std::string_view::npos ? from : at) == std::string_view::npos)
        return result;
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
    int r;
    if (at == std::string_view::npos) {
        r = onig_search_with_param(regex_, str, end, str, end, region.get(), ONIG_OPTION_NONE,
                                   param.get());
    } else {
        const auto* start = reinterpret_cast<const OnigUChar*>(text.data()) + at;
        r = onig_match_with_param(regex_, str, end, start, region.get(), ONIG_OPTION_NONE,
                                  param.get());
    }
    if (r == ONIG_MISMATCH) return result;
    if (r < 0) throw EBRegExpError(OnigMessage(r, nullptr));
    result.text_ = text;
    // A text that ends in a lone Shift_JIS lead byte is stepped over as a whole character,
    // so a match can be reported one byte past the end: such ends are held to the text.
    const std::size_t size = text.size();
    auto clamp = [size](std::size_t p) { return p < size ? p : size; };
    for (int i = 0; i < region->num_regs; ++i) {
        if (region->beg[i] < 0)
            result.Add({std::string_view::npos, std::string_view::npos});
        else
            result.Add({clamp(from + region->beg[i]), clamp(from + region->end[i])});
    }
    return result;
}

std::size_t CompiledPattern::CharLength(std::string_view text, std::size_t pos) const {
    if (shiftJis_ && IsShiftJisLead(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size())
        return 2;
    return 1;
}

namespace {

const CompiledPattern& CompileShared(std::string_view pattern) {
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

} // namespace

const CompiledPattern& CompilePattern(std::string_view pattern) {
    // Most patterns are string constants, passed again and again from the same address: a
    // small cache per thread, keyed by that address and checked against the pattern text,
    // answers them without hashing the whole pattern or taking the lock.
    struct Slot {
        const char* data = nullptr;
        std::string text;
        const CompiledPattern* compiled = nullptr;
    };
    constexpr std::size_t kSlots = 64;
    thread_local std::array<Slot, kSlots> slots;
    auto key = reinterpret_cast<std::uintptr_t>(pattern.data());
    Slot& slot = slots[((key >> 3) ^ (key >> 9) ^ pattern.size()) % kSlots];
    if (slot.compiled && slot.data == pattern.data() && slot.text == pattern) return *slot.compiled;
    const CompiledPattern& compiled = CompileShared(pattern);
    slot.data = pattern.data();
    slot.text.assign(pattern);
    slot.compiled = &compiled;
    return compiled;
}

bool RegexMatch::Matched(int i) const {
    return i >= 0 && i < GroupCount() && Span(i).first != std::string_view::npos;
}

std::string_view RegexMatch::Group(int i) const {
    if (!Matched(i)) return {};
    return text_.substr(Span(i).first, Span(i).second - Span(i).first);
}

RegexMatch Search(std::string_view pattern, std::string_view text, std::size_t from) {
    return CompilePattern(pattern).Search(text, from);
}

RegexMatch Search(const TPattern& pattern, std::string_view text, std::size_t from) {
    return pattern.Compiled().Search(text, from);
}

RegexMatch MatchAt(const TPattern& pattern, std::string_view text, std::size_t from,
                   std::size_t at) {
    return pattern.Compiled().MatchAt(text, from, at);
}

namespace {

std::string ScanCompiled(const CompiledPattern& compiled, std::string_view text,
                         const ScanReplacer& replace, const ScanPlain& plain) {
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

void CopyPlain(std::string_view plain, std::string& out) {
    out += plain;
}

} // namespace

std::string ScanReplace(std::string_view pattern, std::string_view text,
                        const ScanReplacer& replace, const ScanPlain& plain) {
    return ScanCompiled(CompilePattern(pattern), text, replace, plain);
}

std::string ScanReplace(std::string_view pattern, std::string_view text,
                        const ScanReplacer& replace) {
    return ScanCompiled(CompilePattern(pattern), text, replace, CopyPlain);
}

std::string ScanReplace(const TPattern& pattern, std::string_view text, const ScanReplacer& replace,
                        const ScanPlain& plain) {
    return ScanCompiled(pattern.Compiled(), text, replace, plain);
}

std::string ScanReplace(const TPattern& pattern, std::string_view text,
                        const ScanReplacer& replace) {
    return ScanCompiled(pattern.Compiled(), text, replace, CopyPlain);
}

} // namespace tarnel
