#include "storage/UDocumentSearching.h"

#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Reads a whole file into `bytes` (its memory reused from file to file); an unreadable file
// reads as empty (it simply does not match).
void ReadBytesInto(const std::string& path, std::string& bytes) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        bytes.clear();
        return;
    }
    struct stat st;
    std::size_t size = 0;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        size = static_cast<std::size_t>(st.st_size);
    // One byte more than the size, so that the end of the file is seen in the first read.
    // The string is not emptied first: shrinking it, or growing it only by the difference,
    // spares filling the whole buffer with zeros for every file.
    bytes.resize(size + 1);
    std::size_t got = 0;
    for (;;) {
        if (got == bytes.size()) bytes.resize(bytes.size() * 2 + 65536);
        ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    close(fd);
}

// Upper-cases the ASCII letters of Shift_JIS text in place, as UpperSingleByte does.
void UpperInPlace(std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c))
            ++i;
        else if (c >= 'a' && c <= 'z')
            text[i] = static_cast<char>(c - 'a' + 'A');
    }
}

// SearchableText into `text`, reusing its memory.
void SearchableTextInto(std::string_view bytes, std::string& text) {
    std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    text.clear();
    text.reserve(bytes.size() + bytes.size() / 32 + 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            text += "\r\n";
        } else {
            text += c;
        }
    }
    if (!text.empty() && text.back() != '\n') text += "\r\n";

    if (IsUtf8WithNonAscii(text)) {
        text = Utf8ToShiftJis(text);
    } else {
        // What ConvertJapaneseEncoding(text, ShiftJis) does, without detecting again.
        switch (DetectJapaneseEncoding(text)) {
        case JapaneseEncoding::EucOrShiftJis:
        case JapaneseEncoding::EucJp:
            text = EucJpToShiftJis(text);
            break;
        case JapaneseEncoding::Jis:
        case JapaneseEncoding::JisOld:
            text = JisToShiftJis(text);
            break;
        default:
            break;
        }
    }
    UpperInPlace(text);
}

char FoldAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `bytes` holds `term` anywhere, ASCII letters compared without case (`term` is
// upper-cased already).
bool ContainsFolded(std::string_view bytes, std::string_view term) {
    if (term.empty() || term.size() > bytes.size()) return false;
    const std::size_t m = term.size();
    const std::size_t last = bytes.size() - m; // last possible start
    auto matchesAt = [&](std::size_t start) {
        for (std::size_t k = 0; k < m; ++k)
            if (FoldAscii(bytes[start + k]) != term[k]) return false;
        return true;
    };
    // A byte `b` matches the term's byte `c` when (b | fold) == want: for a letter the fold
    // bit 0x20 makes both cases one, for any other byte the comparison is exact.
    auto isLetter = [](char c) { return c >= 'A' && c <= 'Z'; };
    const char foldFirst = isLetter(term[0]) ? 0x20 : 0;
    const char foldLast = isLetter(term[m - 1]) ? 0x20 : 0;
    const char wantFirst = static_cast<char>(term[0] | foldFirst);
    const char wantLast = static_cast<char>(term[m - 1] | foldLast);
    const char* p = bytes.data();
    std::size_t i = 0;
#if defined(__SSE2__)
    // Sixteen starts at a time: a start is a candidate when both the term's first and its
    // last byte match there, and only candidates are compared in full.
    const __m128i f1 = _mm_set1_epi8(foldFirst), w1 = _mm_set1_epi8(wantFirst);
    const __m128i f2 = _mm_set1_epi8(foldLast), w2 = _mm_set1_epi8(wantLast);
    for (; i + 16 <= last + 1; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + m - 1));
        __m128i hits = _mm_and_si128(_mm_cmpeq_epi8(_mm_or_si128(a, f1), w1),
                                     _mm_cmpeq_epi8(_mm_or_si128(b, f2), w2));
        auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
        while (mask != 0) {
            if (matchesAt(i + static_cast<std::size_t>(__builtin_ctz(mask)))) return true;
            mask &= mask - 1;
        }
    }
#endif
    for (; i <= last; ++i)
        if ((p[i] | foldFirst) == wantFirst && (p[i + m - 1] | foldLast) == wantLast &&
            matchesAt(i))
            return true;
    return false;
}

// Whether every byte from 0x80 up is part of a well-formed EUC-JP character (a pair of
// bytes 0xA1-0xFE, or 0x8E and a half-width katakana byte 0xA1-0xDF), and no ESC occurs.
// Such a file reads as its own bytes (ASCII, Shift_JIS or not text) or through the EUC-JP
// conversion, which maps character to character; either way a term it shows in Shift_JIS
// stands in the file in one of the term's two stored forms.
bool PlainOrCleanEucJp(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    auto isEucByte = [](unsigned char c) { return c >= 0xA1 && c <= 0xFE; };
    std::size_t i = 0;
    while (i < n) {
#if defined(__SSE2__)
        // Runs of sixteen ASCII bytes without ESC are passed over at once.
        while (i + 16 <= n) {
            __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            if (_mm_movemask_epi8(_mm_or_si128(v, _mm_cmpeq_epi8(v, _mm_set1_epi8(0x1B)))) != 0)
                break;
            i += 16;
        }
        if (i >= n) break;
#endif
        unsigned char c = p[i];
        if (c < 0x80) {
            if (c == 0x1B) return false;
            ++i;
        } else if (c == 0x8E) {
            if (i + 1 >= n || p[i + 1] < 0xA1 || p[i + 1] > 0xDF) return false;
            i += 2;
        } else if (isEucByte(c)) {
            // A run of bytes 0xA1-0xFE is whole two-byte characters exactly when its length
            // is even: each of its bytes is a lead or a trail, taken in pairs from its start.
            std::size_t j = i + 1;
#if defined(__SSE2__)
            // Sixteen bytes at a time: x - 0xA1 (wrapping) is at most 0x5D exactly for the
            // bytes 0xA1-0xFE.
            while (j + 16 <= n) {
                __m128i x = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + j)),
                                         _mm_set1_epi8(static_cast<char>(0xA1)));
                auto in = static_cast<unsigned>(
                    _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(0x5D)), x)));
                if (in != 0xFFFF) {
                    j += static_cast<std::size_t>(__builtin_ctz(~in));
                    break;
                }
                j += 16;
            }
#endif
            while (j < n && isEucByte(p[j]))
                ++j;
            if ((j - i) % 2 != 0) return false;
            i = j;
        } else {
            return false;
        }
    }
    return true;
}

// A term in the forms it takes in page files, for the first look at a file's bytes.
struct TStoredTerm {
    std::string shiftJis; // upper-cased, as compared
    std::string eucJp;
    // Whether the look can rule a page out: the term holds no line end (line ends are made
    // CR LF before comparing) and its Shift_JIS form is made of whole characters that have
    // an EUC-JP form and come back from it unchanged.
    bool usable = false;
    // Whether the term is ASCII other than '?', the one character a conversion writes for
    // bytes it cannot read.
    bool ascii = false;
};

// Whether the bytes hold no ESC and no byte 0x81-0xA0. In such a file every ASCII byte
// either stays a character of its own whatever the file is read as (Shift_JIS, or EUC-JP,
// where a byte from 0xA1 up takes the next byte as its pair), or becomes the second half of
// a double-byte character; none is dropped or made. So a term of ASCII characters that the
// bytes lack cannot be in the page's text either.
bool NoShiftingBytes(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        // v - 0x81 (wrapping) is at most 0x1F exactly for the bytes 0x81-0xA0.
        __m128i x = _mm_sub_epi8(v, _mm_set1_epi8(static_cast<char>(0x81)));
        __m128i bad = _mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(x, _mm_set1_epi8(0x1F)), x),
                                   _mm_cmpeq_epi8(v, _mm_set1_epi8(0x1B)));
        if (_mm_movemask_epi8(bad) != 0) return false;
    }
#endif
    for (; i < n; ++i)
        if (p[i] == 0x1B || (p[i] >= 0x81 && p[i] <= 0xA0)) return false;
    return true;
}

TStoredTerm StoredTerm(const std::string& upperTerm) {
    TStoredTerm t;
    t.shiftJis = upperTerm;
    t.eucJp = ShiftJisToEucJp(upperTerm);
    t.usable = !upperTerm.empty() && upperTerm.find_first_of("\r\n") == std::string::npos &&
               EucJpToShiftJis(t.eucJp) == upperTerm;
    t.ascii = t.usable && std::all_of(upperTerm.begin(), upperTerm.end(), [](char c) {
                  return static_cast<unsigned char>(c) < 0x80 && c != '?' && c != 0x1B;
              });
    return t;
}

// Whether the page file's bytes show that the page cannot contain every term; false means
// "perhaps", and the page goes through the exact comparison.
bool RuledOut(std::string_view bytes, const std::vector<TStoredTerm>& terms) {
    const TStoredTerm* absent = nullptr;
    for (const TStoredTerm& t : terms) {
        if (!t.usable) continue;
        if (ContainsFolded(bytes, t.shiftJis) ||
            (t.eucJp != t.shiftJis && ContainsFolded(bytes, t.eucJp)))
            continue;
        absent = &t;
        break;
    }
    if (!absent) return false;
    // Valid UTF-8 with non-ASCII characters is read as UTF-8, which is not character for
    // character; neither is JIS (ESC) nor a file with stray high bytes.
    std::size_t nul = bytes.find('\0');
    if (IsUtf8WithNonAscii(bytes.substr(0, nul))) return false;
    return absent->ascii ? NoShiftingBytes(bytes) : PlainOrCleanEucJp(bytes);
}

} // namespace

std::vector<std::string> SplitSearchQuery(std::string_view query) {
    // Full-width spaces become ASCII spaces, stepping over whole characters so that the
    // pair 0x81 0x40 is only taken where it is a character of its own.
    std::string text;
    text.reserve(query.size());
    for (std::size_t i = 0; i < query.size(); ++i) {
        auto c = static_cast<unsigned char>(query[i]);
        if (IsLeadByte(c) && i + 1 < query.size()) {
            if (c == 0x81 && static_cast<unsigned char>(query[i + 1]) == 0x40)
                text += ' ';
            else
                text.append(query.substr(i, 2));
            ++i;
        } else {
            text += static_cast<char>(c);
        }
    }

    std::vector<std::string> terms;
    std::size_t i = 0;
    auto separator = [&](std::size_t k) { return static_cast<unsigned char>(text[k]) <= ' '; };
    while (i < text.size()) {
        while (i < text.size() && separator(i))
            ++i;
        if (i >= text.size()) break;
        std::string term;
        if (text[i] == '"') {
            // A quoted term runs to the closing quote; "" inside stands for one quote.
            ++i;
            while (i < text.size()) {
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        term += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                term += text[i++];
            }
        } else {
            while (i < text.size() && !separator(i))
                term += text[i++];
        }
        terms.push_back(std::move(term));
    }
    return terms;
}

std::string UpperSingleByte(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        auto c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte(c))
            ++i; // leave the trail byte alone
        else if (c >= 'a' && c <= 'z')
            out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

bool ContainsOnBoundary(std::string_view text, std::string_view term) {
    if (term.empty()) return false; // an empty term is contained in no text
    // Candidates come from a plain byte search; a cursor that only moves forward tells
    // whether a candidate starts on a character boundary, so the whole test stays linear.
    std::size_t boundary = 0;
    std::size_t from = 0;
    while (from + term.size() <= text.size()) {
        std::size_t p = text.find(term, from);
        if (p == std::string_view::npos) return false;
        while (boundary < p)
            boundary += IsLeadByte(static_cast<unsigned char>(text[boundary])) ? 2 : 1;
        if (boundary == p) return true;
        from = p + 1;
    }
    return false;
}

std::string SearchableText(std::string_view bytes) {
    // Lines joined with CR LF, as when a page is read; a NUL ends the text.
    std::string text;
    SearchableTextInto(bytes, text);
    return text;
}

bool RunSearch(std::string_view query, const std::string& folder, const std::string& extension,
               TWikiFileList& results, const SearchOptions& options, const SearchProgress& progress,
               PageEncoding encoding) {
    TWikiFileList pages;
    pages.folder = folder;
    pages.extension = extension;
    pages.useUtf8Names = results.useUtf8Names;
    pages.Update();
    results.folder = folder;
    results.Clear();
    results.skipped = pages.skipped;

    std::vector<std::string> terms = SplitSearchQuery(query);
    for (std::string& term : terms)
        term = UpperSingleByte(term);
    auto containsAll = [&](std::string_view upperText) {
        for (const std::string& term : terms)
            if (!ContainsOnBoundary(upperText, term)) return false;
        return true;
    };

    const bool fixed = encoding != PageEncoding::Settings && encoding != PageEncoding::Automatic;
    std::vector<TStoredTerm> stored;
    for (const std::string& term : terms)
        stored.push_back(StoredTerm(term));
    // Each file is read once into `bytes` and, when its bytes do not rule it out, made into
    // `text`; both keep their memory from page to page.
    std::string bytes, text;
    auto bodyMatches = [&](const std::string& path) {
        ReadBytesInto(path, bytes);
        if (RuledOut(bytes, stored)) return false;
        SearchableTextInto(bytes, text);
        return containsAll(text);
    };
    // A page's text in the form the terms are compared with.
    auto searchable = [&](const std::string& path) {
        // Stored form (EUC-JP, LF lines) to display form with CR LF lines, as SearchableText
        // gives it, without guessing the encoding again.
        std::string display =
            EucJpToShiftJis(ReadPageText(path, {false, ReadCharCode::EucJp, encoding}));
        std::string text;
        text.reserve(display.size() + display.size() / 32);
        for (char c : display) {
            if (c == '\n') text += '\r';
            text += c;
        }
        return UpperSingleByte(text);
    };
    const int total = pages.Count();
    for (int i = 0; i < total; ++i) {
        if (progress && !progress(i, total)) return false;
        if (options.searchTitle && containsAll(UpperSingleByte(pages.PageName(i)))) {
            results.Add(pages.FileName(i));
            continue;
        }
        // A query without terms matches every page without reading it.
        if (options.searchBody &&
            (terms.empty() ||
             (fixed ? containsAll(searchable(pages.FilePath(i))) : bodyMatches(pages.FilePath(i)))))
            results.Add(pages.FileName(i));
    }
    if (progress) progress(total, total);
    return true;
}

} // namespace tarnel
