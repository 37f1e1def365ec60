#include "storage/UDocumentSearching.h"

#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Reads a whole file; an unreadable file reads as empty (it simply does not match).
std::string ReadBytesOrEmpty(const std::string& path) {
    std::string bytes;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return bytes;
    struct stat st;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        bytes.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    return bytes;
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
    std::size_t nul = bytes.find('\0');
    if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
    std::string text;
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

    if (IsUtf8WithNonAscii(text))
        text = Utf8ToShiftJis(text);
    else if (DetectJapaneseEncoding(text) == JapaneseEncoding::EucOrShiftJis)
        text = EucJpToShiftJis(text);
    else
        text = ConvertJapaneseEncoding(text, JapaneseEncoding::ShiftJis);
    return UpperSingleByte(text);
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
    // A page's text in the form the terms are compared with.
    auto searchable = [&](const std::string& path) {
        if (!fixed) return SearchableText(ReadBytesOrEmpty(path));
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
        if (options.searchBody && (terms.empty() || containsAll(searchable(pages.FilePath(i)))))
            results.Add(pages.FileName(i));
    }
    if (progress) progress(total, total);
    return true;
}

} // namespace tarnel
