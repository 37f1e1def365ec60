#include "conversion/UContentsShelf.h"

namespace tarnel {

std::string TContentsShelf::DisplayText(int index) const {
    const TContents& item = Item(index);
    std::string text;
    for (int level = 1; level < item.level; ++level)
        text += "  ";
    return text + item.title;
}

} // namespace tarnel
