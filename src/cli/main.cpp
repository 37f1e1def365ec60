// tarnel-cli: the Tarnel engine without windows, for batch work on a wiki folder.
//
// Exit status: 0 done, 1 failed (one message on stderr, nothing half written), 2 usage.
#include "cli/Cli.h"
#include "text/jconvert.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

using namespace tarnel::cli;

const char* const kUsageText =
    "usage: tarnel-cli COMMAND [options] ARGUMENTS\n"
    "\n"
    "commands:\n"
    "  convert [options] PAGEFILE   print the converter's HTML fragment of the page\n"
    "      --notation yukiwiki|pukiwiki|hatena|mediawiki|livedoor|freestyle|textile|markdown|1..8\n"
    "      --link-mode 2|3|4  --loose-wikiname  --keep-line-breaks  --menubar\n"
    "      --utf8-names  --extension EXT  --read auto|euc|utf8\n"
    "      --toc       print the contents block instead\n"
    "      --title     print the page title instead\n"
    "      --encoding utf8|sjis|euc   output encoding (default utf8)\n"
    "  export WIKIDIR OUTDIR [--encoding sjis|euc|utf8] [--names standard|title]\n"
    "         [--index|--no-index] [--page NAME]... [--copy-folders] [--force]\n"
    "                               write the wiki (or the named pages) as HTML files;\n"
    "                               --force writes pages whose HTML is up to date too\n"
    "  show PAGEFILE                the whole page as the view shows it (main template filled)\n"
    "  list WIKIDIR                 the page names of a wiki folder, one a line\n"
    "  search WIKIDIR [--title-only|--body-only] QUERY\n"
    "                               the pages whose name or text holds every word of QUERY\n"
    "\n"
    "common options:\n"
    "  --config FILE   the settings file to use (default ~/.config/Orvel/Tarnel.ini)\n"
    "\n"
    "Options not given come from the settings file and the wiki's Wiki.ini. Nothing is\n"
    "written to either. Exit status: 0 done, 1 failed, 2 usage error.\n"
    "  --help          show this help\n"
    "  --version       show the version\n";

struct Command {
    const char* name;
    int (*run)(Arguments&, const CommonOptions&);
};

const Command kCommands[] = {
    {"convert", RunConvert}, {"export", RunExport}, {"list", RunList},
    {"search", RunSearch},   {"show", RunShow},
};

int Run(int argc, char** argv) {
    std::vector<std::string> rest;
    CommonOptions common;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
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
        rest.push_back(a);
    }
    if (rest.empty()) throw UsageError{"no command given"};
    std::string name = rest.front();
    rest.erase(rest.begin());
    Arguments args(std::move(rest));
    for (const Command& c : kCommands)
        if (name == c.name) return c.run(args, common);
    throw UsageError{"unknown command: " + name};
}

} // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "tarnel-cli: %s\n\n%s", e.message.c_str(), kUsageText);
        return kUsage;
    } catch (const std::exception& e) {
        std::string message = tarnel::ShiftJisToUtf8(e.what());
        if (message.empty()) message = e.what();
        std::fprintf(stderr, "tarnel-cli: %s\n", message.c_str());
        return kFailed;
    }
}
