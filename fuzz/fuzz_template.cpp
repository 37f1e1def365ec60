// libFuzzer harness of the template filler: the input is a template; every tag is given
// a replacement naming it, so each tag the tokenizer finds is written out.
#include "render/UTemplateLib.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace tarnel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (bool strip : {true, false}) {
        TPageProducer producer;
        producer.StripParamQuotes = strip;
        producer.OnHTMLTag = [](const THTMLTag& tag, std::string& replace) {
            replace = "[" + tag.TagString;
            for (const std::string& p : tag.TagParams)
                replace += " " + p;
            replace += "]";
        };
        try {
            (void)producer.ContentFromString(text);
        } catch (const ETemplateError&) {
            // A line longer than the limit is refused on purpose.
        }
    }
    return 0;
}
