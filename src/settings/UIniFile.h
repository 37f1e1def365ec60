// INI files: the per-user settings file and each wiki's Wiki.ini.
//
// An INI file is a list of lines: section lines ("[Name]") and value lines ("Name=value"),
// and whatever else people or other programs put there (blank lines, ";" comments, stray
// text). TIniFile keeps every line in its order and changes only the lines it is asked to
// change, so sections and names that Tarnel does not know, their order and the comments
// between them survive a rewrite.
//
// Lookups follow the Windows profile functions that Wiki.ini files were first written by:
//   - section and value names compare without regard to ASCII letter case;
//   - blanks around section names, value names and values are not part of them;
//   - a value enclosed in a matching pair of double or single quotes loses the quotes;
//   - the first section of a name and the first value of a name in it are the ones used.
// Lines may end in LF, CR LF or CR. A rewritten file uses the line break that the file used
// (CR LF when its first line ended so), LF for a new file.
//
// The class works on bytes and knows nothing of encodings: the settings file is UTF-8, a
// Wiki.ini is Shift_JIS, and the callers convert values at that edge.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {

// An INI file that cannot be read or written. The message names the file.
class EIniFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TIniFile {
public:
    TIniFile() = default;
    // Parses the bytes of a file. Never fails: lines that are neither sections nor values
    // are kept as they are. A UTF-8 byte-order mark at the start is kept aside and written
    // back.
    explicit TIniFile(std::string_view bytes);

    // Reads a file. A file that does not exist gives an empty INI; one that exists but cannot
    // be read (no permission, a folder in its place) raises EIniFileError.
    static TIniFile ReadFile(const std::string& path);
    // Replaces the file by the text of this INI in one step (a new file in the same folder is
    // written and renamed over the old one), so a failure or a crash never leaves a truncated
    // file: on failure the old file is untouched and EIniFileError is raised. A symbolic link
    // is followed, so the file it points to is replaced and the link stays.
    void WriteFile(const std::string& path) const;

    // The whole text, as it would be written.
    std::string Bytes() const;

    // The value of a name, or nothing when the section or the name is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view name) const;
    bool SectionExists(std::string_view section) const;
    // The section names in file order (each name once, as first written) and the value names
    // of a section in file order.
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> ValueNames(std::string_view section) const;

    // Typed reads. Integers are decimal text, optionally signed; text that is not a decimal
    // integer in the range of int, and a missing value, give the default. Booleans are
    // integers: any non-zero integer is true.
    std::string ReadString(std::string_view section, std::string_view name,
                           std::string_view defaultValue) const;
    int ReadInteger(std::string_view section, std::string_view name, int defaultValue) const;
    bool ReadBool(std::string_view section, std::string_view name, bool defaultValue) const;

    // Sets a value: the first line of the name is rewritten in place (keeping the name as it
    // was spelled there); a new name goes after the last value of its section; a new section
    // is added at the end. Values that would not read back as written (blanks at either end,
    // enclosing quotes) are written in double quotes. An INI file holds one line per value,
    // so line breaks inside a value are written as blanks.
    void WriteString(std::string_view section, std::string_view name, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view name, int value);
    void WriteBool(std::string_view section, std::string_view name, bool value);

private:
    enum class LineKind { Section, Value, Other };
    struct Line {
        LineKind kind = LineKind::Other;
        std::string text;  // the line as read or written, without its line break
        std::string key;   // section name or value name, blanks removed
        std::string value; // a value line's value, blanks and quotes removed
    };

    static Line ParseLine(std::string text);
    // Index of the first section line of the name, or npos.
    std::size_t FindSection(std::string_view section) const;
    // Index of the value line of the name in the section starting at `sectionLine`, or npos.
    std::size_t FindValue(std::size_t sectionLine, std::string_view name) const;

    std::vector<Line> lines_;
    std::string lineBreak_ = "\n";
    bool byteOrderMark_ = false;
};

// The bytes of a file, or nothing when it does not exist. A file that exists but cannot be
// read (no permission, a folder in its place) raises EIniFileError naming it.
std::optional<std::string> ReadFileIfExists(const std::string& path);

// Parses decimal text as the settings files hold integers: optional blanks, an optional
// sign, digits, optional blanks. Nothing when the text is not such a number or does not fit
// in an int.
std::optional<int> ParseDecimal(std::string_view text);

// ASCII case-insensitive equality, the comparison of names in INI and language files.
bool SameTextAscii(std::string_view a, std::string_view b);

// The path of the file `name` in `folder` (ending in "/"): the exact name when it exists,
// else the first entry of the folder whose name equals `name` without regard to ASCII case
// (folders made on Windows may hold WIKI.INI or english.TXT), else the exact name.
std::string FindFileIgnoringCase(const std::string& folder, const std::string& name);

} // namespace tarnel
