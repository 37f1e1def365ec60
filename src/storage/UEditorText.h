// Text services of the internal editor that need no window: the date and time inserted by
// the Insert commands, and find and replace on the editor's text.
//
// The editor's text is UTF-8 (see storage/UEditedPage.h); positions are byte offsets into
// it and always fall on character boundaries. Date formats are display form (Shift_JIS), as
// the settings hold them, and so is the formatted result.
#pragma once

#include "settings/ULanguage.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarnel {

// --- Date and time ------------------------------------------------------------------------

// A local date and time. The weekday follows from the date.
struct TDateTime {
    int Year = 2000, Month = 1, Day = 1; // Month 1..12, Day 1..31
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;

    // 0 Sunday .. 6 Saturday.
    int Weekday() const;
    // The current local date and time of the machine.
    static TDateTime Now();
};

// Formats `t` by a date format of the Insert commands (Format/Date, Format/Time, Format/Now).
// Letters, in either case:
//   yyyy year, yy two-digit year; m, mm month; mmm, mmmm month name ("1月");
//   d, dd day; ddd weekday ("日"), dddd long weekday ("日曜日"); ddddd the short date
//   (yyyy/mm/dd), dddddd the long date (yyyy年m月d日);
//   h, hh hour; n, nn minute; s, ss second; z, zzz millisecond;
//   m and mm right after an hour (h, hh, with only blanks and separators between) are minutes;
//   am/pm and a/p: the hour counts 1..12 and the marker is written in the letter case given.
// Text in double or single quotes is copied without the quotes; an unclosed quote runs to
// the end. Every other character, double-byte characters whole, is copied as it is.
// Weekday and month names are Japanese, the language of the program's texts.
std::string FormatDateTime(std::string_view format, const TDateTime& t);

// --- Find and replace ---------------------------------------------------------------------

struct TSearchOptions {
    bool Forward = true;    // down from the position; false: up, the last match before it
    bool MatchCase = false; // false: ASCII and full-width Latin letters match either case
    bool WholeWord = false; // the match neither starts nor ends inside a word of ASCII
                            // letters, digits and "_" (Japanese text has no word spaces, so
                            // a Japanese character always counts as a boundary)
};

struct TFound {
    std::size_t Start = 0;
    std::size_t Length = 0;
};

// The next match of `what` in `text`: forward, the first one starting at `from` or later;
// backward, the last one ending at `from` or earlier. Nothing for an empty `what`.
std::optional<TFound> FindText(std::string_view text, std::string_view what, std::size_t from,
                               const TSearchOptions& options);

struct TReplaceAllResult {
    std::string Text;
    int Count = 0; // 0: nothing was found, the text is unchanged
};

// Replace All: from the start of the text forward, every match is replaced and the search
// goes on after the replaced text, so a replacement that contains the search text is never
// searched again and the run always ends. The direction option is not used.
TReplaceAllResult ReplaceAll(std::string_view text, std::string_view what, std::string_view with,
                             const TSearchOptions& options);

// The message box of a search that found nothing: its title and its text (display form).
struct TNotFoundMessage {
    std::string Title;
    std::string Text;
};
TNotFoundMessage SearchNotFoundMessage(const TLanguage& language);  // Find, Find Next
TNotFoundMessage ReplaceNotFoundMessage(const TLanguage& language); // Replace

} // namespace tarnel
