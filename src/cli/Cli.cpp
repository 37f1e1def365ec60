#include "cli/Cli.h"

#include "text/jconvert.h"

#include <cstdio>

namespace tarnel::cli {

bool Arguments::Take(std::string_view option)
{
    if (Empty() || args_[pos_] != option) return false;
    ++pos_;
    return true;
}

std::string Arguments::Value(std::string_view option)
{
    if (Empty()) throw UsageError{std::string(option) + " needs a value"};
    return Next();
}

void PrintLine(std::string_view displayText)
{
    std::string line = ShiftJisToUtf8(displayText);
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
}

std::string AsFolder(std::string folder)
{
    if (folder.empty()) return "./";
    if (folder.back() != '/') folder += '/';
    return folder;
}

} // namespace tarnel::cli
