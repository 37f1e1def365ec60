// The plug-in shelf: every plug-in library of one folder, loaded once and kept loaded.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "plugins/UPlugin.h"

namespace tarnel {

// Owns the loaded plug-ins, kept sorted by name without regard to case (the order of the
// usage window). Names are unique without regard to case, so a case-insensitive lookup is
// never ambiguous. Filled on one thread; looked up from any.
class TPluginShelf {
public:
    TPluginShelf() = default;
    ~TPluginShelf();
    TPluginShelf(const TPluginShelf&) = delete;
    TPluginShelf& operator=(const TPluginShelf&) = delete;

    // Empties the shelf, then loads every "*.so" file directly in Folder (not in its
    // subfolders) in file-name order, so which of two same-named libraries wins does not
    // depend on the directory listing. A missing or unreadable folder leaves the shelf empty.
    void LoadFolder(const std::string& Folder);
    // The same, but the libraries are loaded only when the shelf is first asked for a
    // plug-in or its count (from any thread): a page that calls no plug-in loads none. The
    // command line uses it, where loading every library costs more than converting a page.
    void LoadFolderWhenAsked(const std::string& Folder);

    // Loads one library and adds it under its name. A file that does not load, lacks an
    // export, or reports an empty name is skipped silently; so is a name already on the
    // shelf (the library loaded first keeps it).
    void LoadPlugin(const std::string& Path);

    // The plug-in called Name, or nullptr. Without CaseSensitive, ASCII letters match either
    // case; the bytes of double-byte Shift_JIS characters always match exactly.
    const TPlugin* Find(std::string_view Name, bool CaseSensitive) const;

    // Frees every plug-in, last first, which unloads its library.
    void Clear();

    std::size_t Count() const {
        LoadIfAsked();
        return items_.size();
    }
    // The Index-th plug-in in name order; Index < Count().
    const TPlugin& operator[](std::size_t Index) const {
        LoadIfAsked();
        return *items_.at(Index).Plugin;
    }

private:
    struct Item {
        std::string Key; // PluginNameKey(Plugin->Name), computed once
        std::unique_ptr<TPlugin> Plugin;
    };
    std::vector<Item>::const_iterator LowerBound(const std::string& Key) const;
    // Loads the folder given to LoadFolderWhenAsked, once.
    void LoadIfAsked() const;
    // LoadFolder and Clear without forgetting a folder still to be loaded.
    void Fill(const std::string& Folder);
    void ClearItems();

    std::vector<Item> items_;
    mutable std::atomic<bool> pending_{false};
    mutable std::mutex loading_;
    std::string pendingFolder_;
};

// The key the shelf sorts and compares names by: ASCII letters folded to lower case,
// Shift_JIS double-byte characters copied unchanged (their trail byte may look like a
// letter, and folding it would turn one character into another).
std::string PluginNameKey(std::string_view Name);

} // namespace tarnel
