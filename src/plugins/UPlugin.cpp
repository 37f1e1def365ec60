#include "plugins/UPlugin.h"

#include <cstdlib>
#include <dlfcn.h>
#include <memory>
#include <mutex>
#include <string_view>

#include "text/jconvert.h"

namespace tarnel {

TPlugin::~TPlugin() {
    if (Handle != nullptr) dlclose(Handle);
}

std::string TakePluginString(char16_t* text) {
    if (text == nullptr) return std::string();
    // Freed on every way out, also when the conversion throws.
    std::unique_ptr<char16_t, decltype(&std::free)> owned(text, &std::free);
    return Utf16ToShiftJis(std::u16string_view(text));
}

std::unique_lock<std::mutex> LockPluginCalls() {
    static std::mutex calls;
    return std::unique_lock<std::mutex>(calls);
}

std::string CallPluginInline(const TPlugin& plugin, const PluginCallArgs& args) {
    if (plugin.InlineFunc == nullptr) return std::string();
    // Pages are converted on more than one thread, plug-ins one call at a time.
    auto lock = LockPluginCalls();
    // The strings must stay alive until the plug-in returns; args owns them.
    return TakePluginString(plugin.InlineFunc(args.EscapedArguments.c_str(), args.Arguments.c_str(),
                                              args.PageName.c_str(), args.PageFileName.c_str(),
                                              args.PageFolder.c_str(), args.TemplateFolder.c_str(),
                                              args.Reserved.c_str()));
}

} // namespace tarnel
