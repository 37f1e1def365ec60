// libFuzzer harness of the page-name codec: any bytes as a file name and as a page name.
// A name made by EncodePageName is a page file name, and decoding it never fails.
#include "text/UPageName.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

using namespace tarnel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    for (bool utf8 : {false, true}) {
        (void)DecodeFileName(bytes, utf8);
        (void)IsPageFileName(bytes, ".txt");
        (void)IsPageFileName(bytes, "");
        std::string hex = EncodePageName(bytes, utf8);
        if (!hex.empty() && !IsPageFileName(hex + ".txt", ".txt")) std::abort();
        (void)DecodeFileName(hex + ".txt", utf8);
    }
    return 0;
}
