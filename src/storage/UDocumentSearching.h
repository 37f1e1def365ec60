// Full-text search over the pages of a wiki folder: page names and page texts.
//
// A query is split into terms; a page matches when its name contains every term, or else
// when its text contains every term. Letters compare without case only when they are
// single-byte; a match never starts on the second byte of a double-byte character.
#pragma once

#include "storage/UPageFile.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

class TWikiFileList;

// The terms of a query (display form). Full-width spaces separate terms like ASCII ones;
// a term in double quotes may hold spaces, and "" inside quotes stands for one quote.
std::vector<std::string> SplitSearchQuery(std::string_view query);

// Shift_JIS text with ASCII letters upper-cased; the bytes of double-byte characters are
// left as they are (a trail byte may look like a letter).
std::string UpperSingleByte(std::string_view text);

// Whether `upperText` contains `upperTerm` starting on a character boundary. Both must
// have gone through UpperSingleByte.
bool ContainsOnBoundary(std::string_view upperText, std::string_view upperTerm);

// A page file's text prepared for searching: lines joined with CR LF, in Shift_JIS whatever
// the file's encoding (well-formed UTF-8 is taken as UTF-8, text undecidable between EUC-JP and
// Shift_JIS is taken as EUC-JP), letters upper-cased as above.
std::string SearchableText(std::string_view fileBytes);

struct SearchOptions {
    bool searchTitle = true;
    bool searchBody = true;
};

// Called before page `done` of `total` is searched, and once more with done == total at
// the end; returning false cancels the search (the matches so far stay).
using SearchProgress = std::function<bool(int done, int total)>;

// Searches the pages of `folder` with `extension` and fills `results` (emptied first; its
// folder becomes `folder`; it keeps its own sorted order). Each page file is read at most
// once, whatever the number of terms. Returns false when cancelled.
// With a fixed `encoding` (not Settings or Automatic) page texts are read in it, and a page
// that is not valid in it raises EPageFileError naming the file and the first bad byte.
bool RunSearch(std::string_view query, const std::string& folder, const std::string& extension,
               TWikiFileList& results, const SearchOptions& options,
               const SearchProgress& progress = {}, PageEncoding encoding = PageEncoding::Settings);

} // namespace tarnel
