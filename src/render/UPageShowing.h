// How the window shows a page without stopping: which pages are converted on another thread,
// how much of a big page is shown first, and which of the pages asked for still counts.
//
// A small page is converted where it is asked for; the user does not notice. A big page is
// converted on a worker thread from a copy of what the conversion reads, and the window
// answers meanwhile. A very big one first shows its beginning, converted up to a block
// boundary, so that the top of the page is on the screen long before the whole is. Every
// request the user makes supersedes the ones before it: a result that arrives for a
// superseded request is dropped, never shown over the newer page.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarnel {

enum class TShowWay {
    Direct,              // converted at once, where it was asked for
    Background,          // converted on a worker thread
    BackgroundFirstPart, // the same, with the beginning of the page shown first
};

// Page files from this size on are converted in the background...
constexpr std::uintmax_t kBackgroundPageBytes = 256 * 1024;
// ...and from this size on their beginning is shown first. A page shown again (the same
// page) is not: the page on the screen stays until the new one is drawn, in its place.
constexpr std::uintmax_t kFirstPartPageBytes = 512 * 1024;
// How much text the first part holds at least: a few screens.
constexpr std::size_t kFirstPartTextBytes = 48 * 1024;

TShowWay ShowWayFor(std::uintmax_t fileSize, bool samePage);

// The length of the first part of `text`: the text up to the end of the first empty line at
// or after `atLeast` bytes (a block boundary in every notation); when there is none within
// four times that, up to the end of a line. The whole length when the text is not longer
// than that: a first part would be the whole page.
std::size_t FirstPartLength(std::string_view text, std::size_t atLeast = kFirstPartTextBytes);

// The requests to show a page, each with a ticket; only the newest counts. The tickets may be
// asked about from any thread.
class TShowRequests {
public:
    // A request for a page converted in the background: every earlier one is superseded.
    std::uint64_t Begin();
    // A page shown directly supersedes every request still being converted.
    void Supersede();
    // Whether `ticket` is still the newest request (its result may be shown).
    bool IsCurrent(std::uint64_t ticket) const;
    // The result of `ticket` has been taken (shown or dropped); a newer request stays pending.
    void Finish(std::uint64_t ticket);
    // Whether a request is being converted.
    bool Pending() const { return pending_ != 0; }

private:
    std::atomic<std::uint64_t> newest_{0};
    std::uint64_t pending_ = 0; // the pending ticket, 0 for none (the asking thread's only)
};

} // namespace tarnel
