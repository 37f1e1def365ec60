#include "plugins/UPluginShelf.h"

#include <algorithm>
#include <dlfcn.h>
#include <filesystem>
#include <link.h>
#include <system_error>

namespace tarnel {

namespace {

bool IsShiftJisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// The address of export `name` of the library `handle`, or nullptr when the library itself
// does not define it. dlsym also searches the libraries a plug-in depends on; a same-named
// function there (GetVersion is a common name) has another signature and must not be
// mistaken for the plug-in's own.
void* OwnExport(void* handle, const char* name) {
    void* symbol = dlsym(handle, name);
    if (symbol == nullptr) return nullptr;
    link_map* own = nullptr;
    link_map* found = nullptr;
    Dl_info info;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &own) != 0 ||
        dladdr1(symbol, &info, reinterpret_cast<void**>(&found), RTLD_DL_LINKMAP) == 0 ||
        own != found)
        return nullptr;
    return symbol;
}

template <class Func> Func ExportAs(void* handle, const char* name) {
    return reinterpret_cast<Func>(OwnExport(handle, name));
}

// Looks up and calls one string export; false when the library lacks it.
bool CallStringExport(void* handle, const char* name, std::string& result) {
    auto func = ExportAs<TarnelGetStringFunc>(handle, name);
    if (func == nullptr) return false;
    auto lock = LockPluginCalls();
    result = TakePluginString(func());
    return true;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return "./" + name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

} // namespace

std::string PluginNameKey(std::string_view Name) {
    std::string key(Name);
    for (std::size_t i = 0; i < key.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(key[i]);
        if (IsShiftJisLeadByte(c))
            ++i; // skip the trail byte
        else if (c >= 'A' && c <= 'Z')
            key[i] = static_cast<char>(c - 'A' + 'a');
    }
    return key;
}

TPluginShelf::~TPluginShelf() {
    Clear();
}

void TPluginShelf::LoadFolderWhenAsked(const std::string& Folder) {
    Clear();
    pendingFolder_ = Folder;
    pending_ = true;
}

void TPluginShelf::LoadIfAsked() const {
    if (!pending_.load(std::memory_order_acquire)) return;
    std::lock_guard<std::mutex> guard(loading_);
    if (!pending_.load(std::memory_order_relaxed)) return;
    // Loading fills the shelf it was asked of; to the caller the shelf was full all along.
    // Other threads wait at the lock until the shelf is whole.
    auto* self = const_cast<TPluginShelf*>(this);
    self->Fill(pendingFolder_);
    pending_.store(false, std::memory_order_release);
}

void TPluginShelf::LoadFolder(const std::string& Folder) {
    pending_ = false;
    Fill(Folder);
}

void TPluginShelf::Fill(const std::string& Folder) {
    ClearItems();
    const std::filesystem::path folder(Folder.empty() ? "." : Folder);
    std::vector<std::string> names;
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        if (name.size() <= 3 || !name.ends_with(".so")) continue;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue; // follows links; skips folders
        names.push_back(std::move(name));
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names)
        LoadPlugin(JoinPath(Folder, name));
}

void TPluginShelf::LoadPlugin(const std::string& Path) {
    // Without a "/" dlopen would search the system's library folders instead.
    const std::string path = Path.find('/') == std::string::npos ? "./" + Path : Path;
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        dlerror(); // not a loadable library: skipped without a word
        return;
    }
    auto plugin = std::make_unique<TPlugin>();
    plugin->Handle = handle; // from here on, dropping the record releases the library
    plugin->FileName = Path;

    // The exports are looked up and called in this order; the first one missing ends the
    // load.
    auto getType = ExportAs<TarnelGetPluginTypeFunc>(handle, "GetPluginType");
    if (getType == nullptr) return;
    plugin->PluginType = [&] {
        auto lock = LockPluginCalls();
        return getType();
    }();
    if (!CallStringExport(handle, "GetName", plugin->Name)) return;
    if (!CallStringExport(handle, "GetVersion", plugin->Version) &&
        !CallStringExport(handle, "GetPluginVersion", plugin->Version))
        return;
    if (!CallStringExport(handle, "GetAuthor", plugin->Author) ||
        !CallStringExport(handle, "GetSyntax", plugin->Syntax) ||
        !CallStringExport(handle, "GetDescription", plugin->Description) ||
        !CallStringExport(handle, "GetExample", plugin->Example))
        return;
    plugin->InlineFunc = ExportAs<PluginInlineFunc>(handle, "PluginInline");
    if (plugin->InlineFunc == nullptr) return;

    // No page can call a plug-in without a name.
    if (plugin->Name.empty()) return;
    std::string key = PluginNameKey(plugin->Name);
    auto at = LowerBound(key);
    if (at != items_.end() && at->Key == key) return; // the first one loaded keeps the name
    // The one optional export: only a library that is kept learns of the host table.
    auto setHost = ExportAs<TarnelSetHostFunc>(handle, "SetTarnelHost");
    if (setHost != nullptr) setHost(&PluginHostTable());
    items_.insert(at, Item{std::move(key), std::move(plugin)});
}

std::vector<TPluginShelf::Item>::const_iterator
TPluginShelf::LowerBound(const std::string& Key) const {
    return std::lower_bound(
        items_.begin(), items_.end(), Key,
        [](const Item& item, const std::string& key) { return item.Key < key; });
}

const TPlugin* TPluginShelf::Find(std::string_view Name, bool CaseSensitive) const {
    LoadIfAsked();
    const std::string key = PluginNameKey(Name);
    auto at = LowerBound(key);
    if (at == items_.end() || at->Key != key) return nullptr;
    if (CaseSensitive && at->Plugin->Name != Name) return nullptr;
    return at->Plugin.get();
}

void TPluginShelf::Clear() {
    pending_ = false;
    ClearItems();
}

void TPluginShelf::ClearItems() {
    while (!items_.empty())
        items_.pop_back();
}

} // namespace tarnel
