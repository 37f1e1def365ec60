// libFuzzer harness of the INI reader: any bytes parse, every value read back, and the
// text written from the parsed file parses to the same values.
#include "settings/UIniFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tarnel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TIniFile ini(std::string_view(reinterpret_cast<const char*>(data), size));
    TIniFile again(ini.Bytes());
    for (const std::string& section : ini.SectionNames()) {
        for (const std::string& name : ini.ValueNames(section)) {
            if (ini.Value(section, name) != again.Value(section, name)) std::abort();
            (void)ini.ReadInteger(section, name, 0);
            (void)ini.ReadBool(section, name, false);
        }
    }
    ini.WriteString("Fuzz", "Name", "value");
    ini.WriteInteger("Fuzz", "Number", 42);
    if (ini.ReadInteger("Fuzz", "Number", 0) != 42) std::abort();
    return 0;
}
