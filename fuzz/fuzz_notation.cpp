// libFuzzer harness of one notation's converter (TARNEL_FUZZ_NOTATION, 1 to 8): the input
// is a page file's bytes in stored form; the page is converted in browse and export link
// modes, with its contents block. A crash, a sanitizer report or a hang is a finding.
#include "conversion/UWikiDocumentConverter.h"
#include "conversion/UWikiDocumentConverterMaker.h"
#include "plugins/UPluginShelf.h"
#include "text/BRegExp.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace tarnel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static TPluginShelf none;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (TLinkMode mode : {TLinkMode::Browse, TLinkMode::Export}) {
        TConverterOptions options;
        options.Plugins = &none;
        options.LinkMode = mode;
        auto converter = TWikiDocumentConverterMaker::GetWikiDocumentConverter(
            static_cast<TWikiNotation>(TARNEL_FUZZ_NOTATION), options);
        try {
            converter->Convert("/nonexistent/wiki/50616765.txt", text);
            (void)converter->ContentsHtml(mode == TLinkMode::Export);
        } catch (const EBRegExpError&) {
            // A match that runs past the retry limit is refused on purpose.
        }
    }
    return 0;
}
