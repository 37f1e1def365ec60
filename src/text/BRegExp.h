// Pattern matching for every notation rule.
//
// Patterns are Perl-style strings "m/pattern/flags" (the leading "m" may be left out).
// Flags: k = Shift_JIS aware (a double-byte character is never split; "." and classes
// step over whole characters), i = ignore case, m = "^" and "$" also match at line ends.
// \w \d \s \b are ASCII only, so a Japanese character counts as a non-word character.
// Each pattern string is compiled once per process and kept for the rest of the run.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace tarnel {

// A pattern that does not compile, or a runaway match.
class EBRegExpError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CompiledPattern;

// Returns the compiled form of a pattern string, compiling it on first use.
// Throws EBRegExpError when the pattern does not compile.
const CompiledPattern& CompilePattern(std::string_view pattern);

// A rule's pattern kept by the code that uses it: compiled on first use, then used without
// looking the pattern text up again. Meant for constants (namespace scope or static).
class TPattern {
public:
    constexpr explicit TPattern(std::string_view source) : source_(source) {}
    std::string_view Source() const { return source_; }
    const CompiledPattern& Compiled() const {
        const CompiledPattern* p = compiled_.load(std::memory_order_acquire);
        if (!p) {
            p = &CompilePattern(source_);
            compiled_.store(p, std::memory_order_release);
        }
        return *p;
    }

private:
    std::string_view source_;
    mutable std::atomic<const CompiledPattern*> compiled_{nullptr};
};

// One match found by a search: offsets are 0-based byte positions in the searched text.
class RegexMatch {
public:
    bool Found() const { return count_ != 0; }
    std::size_t Position() const { return Span(0).first; }
    std::size_t Length() const { return Span(0).second - Span(0).first; }
    std::size_t End() const { return Span(0).second; }
    // Number of capture groups plus one.
    int GroupCount() const { return count_; }
    // Whether group i took part in the match.
    bool Matched(int i) const;
    // The text of group i (0 = whole match); empty for a group that took no part.
    std::string_view Group(int i) const;

private:
    friend class CompiledPattern;
    using TSpan = std::pair<std::size_t, std::size_t>; // begin, end; npos = unmatched
    // The groups of the rules fit in place, so a match allocates nothing; a pattern with
    // more groups keeps the rest in `more_`.
    static constexpr int kInPlace = 16;
    const TSpan& Span(int i) const { return i < kInPlace ? inPlace_[i] : more_[i - kInPlace]; }
    void Add(TSpan span) {
        if (count_ < kInPlace)
            inPlace_[count_] = span;
        else
            more_.push_back(span);
        ++count_;
    }
    std::string_view text_;
    int count_ = 0;
    std::array<TSpan, kInPlace> inPlace_;
    std::vector<TSpan> more_;
};

// Searches text[from..] for pattern, with the subject starting at `from`: "^" and "\A"
// anchor there, as when the text before it had been deleted. Nothing is copied; the
// match refers to `text`, which must outlive it.
RegexMatch Search(std::string_view pattern, std::string_view text, std::size_t from = 0);
RegexMatch Search(const TPattern& pattern, std::string_view text, std::size_t from = 0);
// A match into a temporary string would dangle.
template <class T>
requires std::is_same_v<T, std::string> RegexMatch Search(std::string_view pattern, T&& text,
                                                          std::size_t from = 0)
= delete;
template <class T>
requires std::is_same_v<T, std::string> RegexMatch Search(const TPattern& pattern, T&& text,
                                                          std::size_t from = 0)
= delete;

// The match that starts exactly at text[at], the subject starting at `from` (at >= from):
// what a search from `from` finds when no match starts before `at`. A caller that knows
// where matches can begin tries only those places instead of every byte.
RegexMatch MatchAt(const TPattern& pattern, std::string_view text, std::size_t from,
                   std::size_t at);

// The scan loop through which every inline rule runs: one left-to-right pass that copies
// the text before each match, lets `replace` write the replacement, and resumes after the
// match (so "^" anchors where the previous match ended). An empty match writes its
// replacement and then copies one whole character so the pass always advances.
// `replace` receives the match and the output to append to.
using ScanReplacer = std::function<void(const RegexMatch& match, std::string& out)>;
std::string ScanReplace(std::string_view pattern, std::string_view text,
                        const ScanReplacer& replace);

// As above, but the text between matches (and after the last) goes through `plain`
// instead of being copied unchanged.
using ScanPlain = std::function<void(std::string_view plain, std::string& out)>;
std::string ScanReplace(std::string_view pattern, std::string_view text,
                        const ScanReplacer& replace, const ScanPlain& plain);
std::string ScanReplace(const TPattern& pattern, std::string_view text,
                        const ScanReplacer& replace);
std::string ScanReplace(const TPattern& pattern, std::string_view text, const ScanReplacer& replace,
                        const ScanPlain& plain);

// Retry limit of one match attempt, plus eight for every byte of the text searched (a lazy
// "(.*?)" before a far mark steps once per character: linear work, not a runaway). Beyond
// it a match raises EBRegExpError rather than freezing the program on a pathological
// pattern and text.
constexpr unsigned long kRetryLimitInMatch = 20'000'000;

} // namespace tarnel
