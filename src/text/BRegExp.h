// Pattern matching for every notation rule.
//
// Patterns are Perl-style strings "m/pattern/flags" (the leading "m" may be left out).
// Flags: k = Shift_JIS aware (a double-byte character is never split; "." and classes
// step over whole characters), i = ignore case, m = "^" and "$" also match at line ends.
// \w \d \s \b are ASCII only, so a Japanese character counts as a non-word character.
// Each pattern string is compiled once per process and kept for the rest of the run.
#pragma once

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

// One match found by a search: offsets are 0-based byte positions in the searched text.
class RegexMatch {
public:
    bool Found() const { return !groups_.empty(); }
    std::size_t Position() const { return groups_[0].first; }
    std::size_t Length() const { return groups_[0].second - groups_[0].first; }
    std::size_t End() const { return groups_[0].second; }
    // Number of capture groups plus one.
    int GroupCount() const { return static_cast<int>(groups_.size()); }
    // Whether group i took part in the match.
    bool Matched(int i) const;
    // The text of group i (0 = whole match); empty for a group that took no part.
    std::string_view Group(int i) const;

private:
    friend class CompiledPattern;
    std::string_view text_;
    std::vector<std::pair<std::size_t, std::size_t>> groups_; // begin, end; npos = unmatched
};

// Searches text[from..] for pattern, with the subject starting at `from`: "^" and "\A"
// anchor there, as when the text before it had been deleted. Nothing is copied; the
// match refers to `text`, which must outlive it.
RegexMatch Search(std::string_view pattern, std::string_view text, std::size_t from = 0);
// A match into a temporary string would dangle.
template <class T>
requires std::is_same_v<T, std::string> RegexMatch Search(std::string_view pattern, T&& text,
                                                          std::size_t from = 0)
= delete;

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

// Retry limit of one match attempt, plus eight for every byte of the text searched (a lazy
// "(.*?)" before a far mark steps once per character: linear work, not a runaway). Beyond
// it a match raises EBRegExpError rather than freezing the program on a pathological
// pattern and text.
constexpr unsigned long kRetryLimitInMatch = 20'000'000;

} // namespace tarnel
