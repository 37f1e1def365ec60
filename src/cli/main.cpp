// tarnel-cli: the Tarnel engine without windows, for batch work on a wiki folder.
//
// Exit status: 0 done, 1 failed (one message on stderr, nothing half written), 2 usage.
#include "cli/Cli.h"
#include "text/jconvert.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

namespace {

using namespace tarnel::cli;

const char* const kCommonText = "common options:\n"
                                "  --config FILE   the settings file to use (default "
                                "~/.config/Orvel/Tarnel.ini)\n"
                                "  --lang NAME     the language of messages (a file of Language/;\n"
                                "                  default: English, Japanese under a ja locale)\n"
                                "  --help          show the help of the command\n";

const char* const kUsageText =
    "usage: tarnel-cli COMMAND [options] ARGUMENTS\n"
    "\n"
    "commands:\n"
    "  convert PAGEFILE       print the converter's HTML fragment of the page\n"
    "  show PAGEFILE          the whole page as the view shows it (main template filled)\n"
    "  export WIKIDIR OUTDIR  write the wiki (or chosen pages) as HTML files\n"
    "  list WIKIDIR           the page names of a wiki folder, one a line\n"
    "  search WIKIDIR QUERY   the pages whose name or text holds every word of QUERY\n"
    "\n"
    "'tarnel-cli COMMAND --help' shows the options of a command.\n"
    "Options not given come from the settings file and the wiki's Wiki.ini. Nothing is\n"
    "written to either. Exit status: 0 done, 1 failed, 2 usage error.\n"
    "  --version       show the version\n";

struct Command {
    const char* name;
    int (*run)(Arguments&, const CommonOptions&);
    const char* usage;
};

const Command kCommands[] = {
    {"convert", RunConvert, kConvertUsage}, {"export", RunExport, kExportUsage},
    {"list", RunList, kListUsage},          {"search", RunSearch, kSearchUsage},
    {"show", RunShow, kShowUsage},
};

// The command a usage error is about, for the hint to its help.
std::string gCommand;

int Run(int argc, char** argv) {
    std::vector<std::string> rest;
    CommonOptions common;
    bool help = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            help = true;
            continue;
        }
        if (a == "--version") {
            std::printf("tarnel-cli %s\n", TARNEL_VERSION);
            return kDone;
        }
        if (a == "--lang") {
            if (i + 1 >= argc) throw UsageError{"--lang needs a NAME"};
            common.language = argv[++i];
            continue;
        }
        if (a == "--config") {
            if (i + 1 >= argc) throw UsageError{"--config needs a FILE"};
            common.configFile = argv[++i];
            continue;
        }
        rest.push_back(a);
    }
    if (rest.empty()) {
        if (help) {
            std::fputs(kUsageText, stdout);
            std::fputs(kCommonText, stdout);
            return kDone;
        }
        throw UsageError{"no command given"};
    }
    std::string name = rest.front();
    rest.erase(rest.begin());
    Arguments args(std::move(rest));
    for (const Command& c : kCommands) {
        if (name != c.name) continue;
        gCommand = name;
        if (help) {
            std::fputs(c.usage, stdout);
            std::fputs(kCommonText, stdout);
            return kDone;
        }
        return c.run(args, common);
    }
    throw UsageError{"unknown command: " + name};
}

// Output that did not reach its file (a full disk) is a failure, not a success: stdout is
// flushed and checked before the exit status is decided.
int CheckedExit(int status) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        int error = errno;
        std::fprintf(stderr, "tarnel-cli: cannot write the standard output: %s\n",
                     error ? std::strerror(error) : "write error");
        return kFailed;
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    try {
        return CheckedExit(Run(argc, argv));
    } catch (const UsageError& e) {
        std::string hint =
            gCommand.empty() ? "tarnel-cli --help" : "tarnel-cli " + gCommand + " --help";
        std::fprintf(stderr, "tarnel-cli: %s (see '%s')\n", e.message.c_str(), hint.c_str());
        return kUsage;
    } catch (const std::exception& e) {
        std::string message = tarnel::ShiftJisToUtf8(e.what());
        if (message.empty()) message = e.what();
        std::fprintf(stderr, "tarnel-cli: %s\n", message.c_str());
        CheckedExit(kFailed);
        return kFailed;
    }
}
