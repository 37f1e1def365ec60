#include "render/UDesignList.h"

#include <algorithm>
#include <dirent.h>
#include <fstream>
#include <stdexcept>
#include <strings.h>
#include <sys/stat.h>

namespace tarnel {

std::vector<std::string> TDesignList::Designs() const {
    std::vector<std::string> names;
    DIR* d = opendir(folder_.c_str());
    if (!d) return names;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        struct stat st;
        if (stat((folder_ + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) names.push_back(name);
    }
    closedir(d);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        int c = strcasecmp(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

int TDesignList::IndexOf(const std::string& design) const {
    std::vector<std::string> names = Designs();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (strcasecmp(names[i].c_str(), design.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

std::string TDesignList::StyleSheetText(const std::string& design) const {
    std::string path = folder_ + design + "/wiki.css";
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open the style sheet " + path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace tarnel
