// Not a plug-in: a library that the "borrowed" test plug-in depends on and that defines an
// export name of the plug-in interface. The loader must not take it for the plug-in's own.
#include "TarnelPlugin.h"

char16_t* GetExample(void) {
    return tarnel::plugin::NewString(u"not mine");
}

extern "C" TARNEL_PLUGIN_EXPORT char16_t* BorrowedExports(void) {
    return nullptr;
}
