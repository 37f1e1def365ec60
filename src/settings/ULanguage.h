// Language files: the texts of the user interface.
//
// Every text that Tarnel shows (captions, menu items, hints, dialog titles, messages) has a
// dotted key ("Main.Menu.File", "Dialog.New.Caption", "HtmlExport.Title") and a built-in
// Japanese text. A language file in the folder Language/ beside the program maps keys to
// texts, one "key=text" per line:
//   - the key is everything before the first "=", the text everything after it, blanks
//     included (nothing is trimmed);
//   - keys compare without regard to ASCII letter case; the first line of a key wins;
//   - lines without "=" are ignored; there are no sections and no comments;
//   - keys ending in ".Format" hold a "%s" where the program inserts a name; hints (keys
//     ending in ".Hint") are "short|long": the tool tip, then the status-bar text.
// Two keys name files instead of texts: File.Help and File.NotationHelp, paths of the help
// documents relative to the program folder.
//
// A language file is Shift_JIS. A file that starts with a UTF-8 byte-order mark, or whose
// bytes are all valid UTF-8, is read as UTF-8 (plain ASCII reads the same either way).
// Texts are held and returned in display form (Shift_JIS).
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarnel {

// A language file that cannot be read. The message names the file.
class ELanguageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One key of the user interface and its built-in Japanese text (UTF-8 in the program text).
struct TLanguageKey {
    const char* key;
    const char* japanese;
};

// Every key of the user interface with its built-in Japanese text, grouped by window.
const std::vector<TLanguageKey>& LanguageKeys();

// The built-in Japanese text of a key (display form; key case ignored), or the empty text
// for a key that Tarnel does not use.
const std::string& BuiltInText(std::string_view key);

class TLanguage {
public:
    // Language files of the program in `appFolder` (ending in "/"): the program's own folder
    // by default (settings/AppFolder.h).
    TLanguage();
    explicit TLanguage(std::string appFolder);

    // appFolder + "Language/".
    std::string LanguageFolder() const;

    // The file names (with ".txt", matched without regard to case) of the language folder,
    // sorted without regard to ASCII case. A missing folder gives an empty list.
    std::vector<std::string> ListLanguages() const;

    // The language name of a file name: the name without its last four characters (".txt").
    static std::string LanguageName(const std::string& fileName);

    // The language to use at start: the listed language named exactly `wanted` (the setting
    // File/Language), else the first listed one, else the empty text (no language file at
    // all: the caller shows "Language file not found." and keeps the built-in texts).
    std::string ChooseLanguage(const std::string& wanted) const;

    // Replaces the entries by those of the language folder's file `fileName` (with its
    // ".txt"; found in another letter case too). A file that cannot be read raises
    // ELanguageError and the previous entries stay.
    void LoadLanguage(const std::string& fileName);
    // Reads entries from the bytes of a language file (Shift_JIS or UTF-8, as above).
    void LoadFromBytes(std::string_view bytes);

    // The text of a key (display form), or the empty text when the file lacks the key.
    std::string Lookup(std::string_view key) const;

    // The number of distinct keys loaded.
    std::size_t Count() const { return texts_.size(); }

private:
    std::string appFolder_;
    std::unordered_map<std::string, std::string> texts_; // key in lower case -> text (display form)
};

// The text of a key for the user interface: the language's text, or `defaultText` when the
// language has none or an empty one. Windows pass the element's current text as the default,
// so a key missing from a newly chosen language leaves the element as it was.
std::string LangText(const TLanguage& language, std::string_view key, std::string_view defaultText);
// The same with the key's built-in Japanese text as the default: for messages and the like.
std::string LangText(const TLanguage& language, std::string_view key);

// A ".Format" text with its first "%s" replaced by `value`; a text without "%s" as it is.
std::string FormatText(std::string_view format, std::string_view value);

// The language a user's locale asks for, from the locale variables in their order of
// precedence (LC_ALL, then LC_MESSAGES, then LANG; the first one set and not empty decides):
// "日本語" for a Japanese locale ("ja", "ja_JP.UTF-8"), "English" for any other, C and POSIX
// included. A null pointer is a variable that is not set.
std::string LocaleLanguage(const char* lcAll, const char* lcMessages, const char* lang);
// The same from the program's environment.
std::string LocaleLanguage();

} // namespace tarnel
