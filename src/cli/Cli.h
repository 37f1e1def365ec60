// What the commands of tarnel-cli share: argument handling, errors and output.
#pragma once

#include "storage/UPageFile.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {
class TWikiSession;
}

namespace tarnel::cli {

class Arguments;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// A command line that cannot be carried out as written (exit status 2).
struct UsageError {
    std::string message;
};

struct CommonOptions {
    std::string configFile; // --config FILE
    std::string language;   // --lang NAME: a language file of Language/ (without ".txt")
};

// The language the messages of the engine are shown in: --lang, else the locale's
// (LC_ALL, LC_MESSAGES, LANG): Japanese for "ja...", English for anything else.
std::string MessageLanguage(const CommonOptions& common);

// Options that several commands take.
struct CommandOptions {
    std::optional<PageEncoding> read; // --read: how page files are read
};
// "auto", "sjis", "euc", "jis" or "utf8"; UsageError for anything else.
PageEncoding ParseReadEncoding(const std::string& value);
// Takes an option of CommandOptions when it is the next argument.
bool TakeCommonOption(Arguments& args, CommandOptions& options);

// Output encodings of the commands that print page text (--encoding).
enum class OutputEncoding { Utf8, ShiftJis, EucJp };
// "utf8", "sjis" or "euc"; UsageError for anything else.
OutputEncoding ParseOutputEncoding(const std::string& value);
// Text with every line end made LF.
std::string LfLineEnds(std::string_view text);
// Display-form text (any line ends) in the output encoding with LF line ends.
std::string EncodeOutput(std::string_view display, OutputEncoding encoding);
// The same written to stdout piece by piece, so that a large page is never held twice more:
// the bytes are those of EncodeOutput of the whole text.
void WriteEncoded(std::string_view display, OutputEncoding encoding);
// A text in any encoding written as it is but for its line ends, made LF, piece by piece.
void WriteLfLines(std::string_view text);

// The arguments of one command, read front to back.
class Arguments {
public:
    explicit Arguments(std::vector<std::string> args) : args_(std::move(args)) {}
    bool Empty() const { return pos_ >= args_.size(); }
    // Whether the next argument is `option`; consumes it when it is.
    bool Take(std::string_view option);
    // The value after an option just taken; UsageError when there is none.
    std::string Value(std::string_view option);
    std::string Next() { return args_[pos_++]; }
    const std::string& Peek() const { return args_[pos_]; }

private:
    std::vector<std::string> args_;
    std::size_t pos_ = 0;
};

// The session every command works through, as the desktop program does: the user's settings
// (or --config FILE) and the plug-ins, with the wiki in `folder` opened (its Wiki.ini applied
// over the settings, its page list read). Messages that arise go to stderr. Nothing is
// written: the command line leaves settings files and Wiki.ini as they are.
std::unique_ptr<TWikiSession> OpenSession(const std::string& folder, const CommonOptions& common,
                                          const CommandOptions& options = {});

// A design beside the program by name, compared without case; a missing one is an error
// that lists the designs there.
std::string FindDesign(const TWikiSession& session, const std::string& name);

// Progress of a long run on stderr, shown only when stderr is a terminal.
class Progress {
public:
    explicit Progress(std::string label);
    // Always true: the command line has no cancel button (Ctrl+C ends the program).
    bool Show(int done, int total);
    void Done();

private:
    std::string label_;
    bool terminal_;
    int shown_ = -1;
};

// A display-form (Shift_JIS) line written to stdout as UTF-8. On a terminal, control bytes
// and bytes that are not text are shown escaped (\xNN), so an odd page name cannot move the
// cursor or switch the terminal's character set.
void PrintLine(std::string_view displayText);
// The same rule for any text: `text` in UTF-8, `terminal` whether it goes to one.
std::string EscapeForTerminal(std::string_view utf8Text, bool terminal);

// The usage text of each command, for COMMAND --help.
extern const char* const kConvertUsage;
extern const char* const kExportUsage;
extern const char* const kListUsage;
extern const char* const kSearchUsage;
extern const char* const kShowUsage;
// A wiki folder argument, ending in "/".
std::string AsFolder(std::string folder);
// Throws "no such page file: PAGE" unless PAGE is a regular file (a name the file system
// cannot take, too long say, is none): show and convert word this fault alike.
void RequirePageFile(const std::string& page);

int RunList(Arguments& args, const CommonOptions& common);
int RunConvert(Arguments& args, const CommonOptions& common);
int RunSearch(Arguments& args, const CommonOptions& common);
int RunShow(Arguments& args, const CommonOptions& common);
int RunExport(Arguments& args, const CommonOptions& common);

} // namespace tarnel::cli
