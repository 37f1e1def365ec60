// The rows of the plug-in usage window: what it shows of each plug-in on the shelf.
#pragma once

#include "plugins/UPluginShelf.h"

#include <string>
#include <vector>

namespace tarnel {

// One plug-in as the window lists it; texts in display form, paths as the file system has
// them.
struct TPluginUsageRow {
    std::string Name;
    std::string Version;  // GetVersion, or GetPluginVersion when that is all it has
    std::string Type;     // the plug-in type as a decimal number
    std::string FileName; // the library's file name without its folder
    std::string Author;
    std::string Path;   // the library's full path (the "file name" box)
    std::string Syntax; // the four boxes below the list
    std::string Description;
    std::string Example;
};

// One row per plug-in, in shelf order (by name).
std::vector<TPluginUsageRow> PluginUsageRows(const TPluginShelf& shelf);

} // namespace tarnel
