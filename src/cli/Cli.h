// What the commands of tarnel-cli share: argument handling, errors and output.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarnel {
class TWikiSession;
}

namespace tarnel::cli {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

// A command line that cannot be carried out as written (exit status 2).
struct UsageError {
    std::string message;
};

struct CommonOptions {
    std::string configFile; // --config FILE
};

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
std::unique_ptr<TWikiSession> OpenSession(const std::string& folder, const CommonOptions& common);

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

// A display-form (Shift_JIS) line written to stdout as UTF-8.
void PrintLine(std::string_view displayText);
// A wiki folder argument, ending in "/".
std::string AsFolder(std::string folder);

int RunList(Arguments& args, const CommonOptions& common);
int RunConvert(Arguments& args, const CommonOptions& common);
int RunSearch(Arguments& args, const CommonOptions& common);
int RunShow(Arguments& args, const CommonOptions& common);
int RunExport(Arguments& args, const CommonOptions& common);

} // namespace tarnel::cli
