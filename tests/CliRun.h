// tarnel-cli run as a user runs it, for the tests: its output and exit status.
#pragma once

#include "TestFolder.h"

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

namespace tarnel::testing {

struct CliRun {
    int status = -1;
    std::string out;
};

// Runs tarnel-cli with the arguments (already quoted for the shell); stderr joins stdout
// when `withErrors`.
inline CliRun Cli(const std::string& arguments, bool withErrors = false) {
    // A settings file of the tests' own: the user's settings must not change the results.
    static const TestFolder settings;
    // stderr is redirected before the arguments, so that an argument redirecting stdout
    // (">/dev/full") leaves the messages in the pipe.
    std::string command = "TARNEL_CONFIG=" + settings.Path() + "settings.ini " +
                          std::string(TARNEL_APP_DIR) + "tarnel-cli" +
                          (withErrors ? " 2>&1 " : " 2>/dev/null ") + arguments;
    CliRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace tarnel::testing
