#include "render/UPageShowing.h"

namespace tarnel {

TShowWay ShowWayFor(std::uintmax_t fileSize, bool samePage) {
    if (fileSize < kBackgroundPageBytes) return TShowWay::Direct;
    if (samePage || fileSize < kFirstPartPageBytes) return TShowWay::Background;
    return TShowWay::BackgroundFirstPart;
}

std::size_t FirstPartLength(std::string_view text, std::size_t atLeast) {
    if (text.size() <= atLeast) return text.size();
    // LF is never part of a double-byte character, so every cut below falls between
    // characters. A blank line right at `atLeast` counts: look from the line end before it.
    std::size_t from = atLeast - (atLeast > 0 ? 1 : 0);
    std::size_t limit = atLeast * 4;
    std::size_t blank = text.find("\n\n", from);
    if (blank != std::string_view::npos && blank < limit) return blank + 2;
    std::size_t line = text.find('\n', atLeast);
    if (line == std::string_view::npos) return text.size();
    return line + 1;
}

std::uint64_t TShowRequests::Begin() {
    pending_ = newest_.fetch_add(1) + 1;
    return pending_;
}

void TShowRequests::Supersede() {
    newest_.fetch_add(1);
    pending_ = 0;
}

bool TShowRequests::IsCurrent(std::uint64_t ticket) const {
    return ticket != 0 && newest_.load() == ticket;
}

void TShowRequests::Finish(std::uint64_t ticket) {
    if (pending_ == ticket) pending_ = 0;
}

} // namespace tarnel
