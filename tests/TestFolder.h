// A temporary folder for a test, removed with everything in it when the test ends.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace tarnel::testing {

class TestFolder {
public:
    TestFolder() {
        std::string templ =
            (std::filesystem::temp_directory_path() / "tarnel-test-XXXXXX").string();
        path_ = mkdtemp(templ.data());
        path_ += '/';
    }
    ~TestFolder() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    // The folder, ending in "/".
    const std::string& Path() const { return path_; }
    // Writes a file, creating the folders of `name` that are missing.
    std::string Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::create_directories(std::filesystem::path(path_ + name).parent_path());
        std::ofstream(path_ + name, std::ios::binary) << bytes;
        return path_ + name;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(path_ + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string path_;
};

} // namespace tarnel::testing
