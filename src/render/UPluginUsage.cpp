#include "render/UPluginUsage.h"

namespace tarnel {

std::vector<TPluginUsageRow> PluginUsageRows(const TPluginShelf& shelf) {
    std::vector<TPluginUsageRow> rows;
    rows.reserve(shelf.Count());
    for (std::size_t i = 0; i < shelf.Count(); ++i) {
        const TPlugin& plugin = shelf[i];
        TPluginUsageRow row;
        row.Name = plugin.Name;
        row.Version = plugin.Version;
        row.Type = std::to_string(plugin.PluginType);
        std::size_t slash = plugin.FileName.find_last_of('/');
        row.FileName =
            slash == std::string::npos ? plugin.FileName : plugin.FileName.substr(slash + 1);
        row.Author = plugin.Author;
        row.Path = plugin.FileName;
        row.Syntax = plugin.Syntax;
        row.Description = plugin.Description;
        row.Example = plugin.Example;
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace tarnel
