// libFuzzer harness of the Wiki.ini reader: the input is the file's bytes, read as a
// wiki folder's settings and written back.
#include "storage/UDocumentSettings.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace tarnel;

namespace {

// A folder of this process for the one Wiki.ini, made once.
const std::string& Folder() {
    static const std::string folder = [] {
        std::string templ =
            (std::filesystem::temp_directory_path() / "tarnel-fuzz-XXXXXX").string();
        if (!mkdtemp(templ.data())) std::abort();
        return templ + "/";
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::ofstream file(Folder() + "Wiki.ini", std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TDocumentSettings settings;
    settings.Load(Folder());
    settings.Save();
    TDocumentSettings again;
    again.Load(Folder());
    if (again.extension != settings.extension || again.topPage != settings.topPage ||
        again.notation != settings.notation)
        std::abort();
    return 0;
}
