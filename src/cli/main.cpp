// tarnel-cli: the Tarnel engine without windows, for batch work on a wiki folder.
//
// Exit status: 0 done, 1 failed (one message on stderr, nothing half written), 2 usage.
#include "storage/UWikiFileList.h"
#include "text/jconvert.h"

#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char* const kUsageText =
    "usage: tarnel-cli COMMAND [options] ARGUMENTS\n"
    "\n"
    "commands:\n"
    "  list WIKIDIR            the page names of a wiki folder, one a line, in list order\n"
    "\n"
    "common options:\n"
    "  --config FILE           the settings file to use\n"
    "  --help                  show this help\n"
    "  --version               show the version\n";

// A command line that cannot be carried out as written.
struct UsageError {
    std::string message;
};

struct CommonOptions {
    std::string configFile;
};

// Text for the terminal: display form (Shift_JIS) to UTF-8.
void PrintLine(std::string_view displayText)
{
    std::string line = tarnel::ShiftJisToUtf8(displayText);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

std::string AsFolder(std::string folder)
{
    if (folder.empty()) folder = ".";
    if (folder.back() != '/') folder += '/';
    return folder;
}

int RunList(const std::vector<std::string>& args, const CommonOptions&)
{
    if (args.size() != 1) throw UsageError{"list takes one argument: WIKIDIR"};
    tarnel::TWikiFileList list;
    list.folder = AsFolder(args[0]);
    list.Update();
    for (int i = 0; i < list.Count(); ++i) PrintLine(list.PageName(i));
    return kDone;
}

int Run(int argc, char** argv)
{
    std::vector<std::string> args;
    CommonOptions common;
    for (int i = 1; i < argc; ++i) {
        std::string_view a = argv[i];
        if (a == "--help" || a == "-h") {
            std::fputs(kUsageText, stdout);
            return kDone;
        }
        if (a == "--version") {
            std::printf("tarnel-cli %s\n", TARNEL_VERSION);
            return kDone;
        }
        if (a == "--config") {
            if (i + 1 >= argc) throw UsageError{"--config needs a FILE"};
            common.configFile = argv[++i];
            continue;
        }
        args.emplace_back(a);
    }
    if (args.empty()) throw UsageError{"no command given"};
    std::string command = args.front();
    args.erase(args.begin());
    if (command == "list") return RunList(args, common);
    throw UsageError{"unknown command: " + command};
}

} // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "tarnel-cli: %s\n\n%s", e.message.c_str(), kUsageText);
        return kUsage;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tarnel-cli: %s\n", tarnel::ShiftJisToUtf8(e.what()).c_str());
        return kFailed;
    }
}
