// Where the program and the data beside it live.
#pragma once

#include <string>

namespace tarnel {

// The folder of the running program's real executable, ending in "/". The templates,
// designs, plug-ins and language files are found there (the build tree has the same shape).
std::string AppFolder();

} // namespace tarnel
