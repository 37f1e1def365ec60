#include "storage/UFileChangeNotification.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnel {

namespace {

// The modification time of a file in nanoseconds, 0 when it cannot be found.
long long ModificationTime(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0) return 0;
    return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

std::string FolderPart(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

} // namespace

TFileChangeNotification::TFileChangeNotification(Callback callback)
    : callback_(std::move(callback)) {
    inotify_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (inotify_ < 0) lastError_ = errno;
}

TFileChangeNotification::~TFileChangeNotification() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (inotify_ >= 0) close(inotify_);
}

bool TFileChangeNotification::Watch(const std::string& fileName) {
    if (inotify_ < 0) return false;
    // Everything that can change a file's contents or bring a new file under its name.
    const uint32_t mask =
        IN_CLOSE_WRITE | IN_MODIFY | IN_MOVED_TO | IN_CREATE | IN_ATTRIB | IN_DELETE | IN_ONLYDIR;
    std::lock_guard<std::mutex> lock(mutex_);
    int watch = inotify_add_watch(inotify_, FolderPart(fileName).c_str(), mask);
    if (watch < 0) {
        lastError_ = errno;
        return false;
    }
    // The same folder gives the same watch back; another folder's watch is given up.
    if (watch_ >= 0 && watch_ != watch) inotify_rm_watch(inotify_, watch_);
    watch_ = watch;
    fileName_ = fileName;
    lastTime_ = ModificationTime(fileName);
    return true;
}

void TFileChangeNotification::Resume() {
    if (thread_.joinable() || inotify_ < 0) return;
    thread_ = std::thread([this] { Run(); });
}

std::string TFileChangeNotification::LastErrorText() const {
    return std::strerror(lastError_);
}

void TFileChangeNotification::Run() {
    alignas(inotify_event) char buffer[16 * 1024];
    while (!stop_) {
        pollfd fds{inotify_, POLLIN, 0};
        int ready = poll(&fds, 1, 100);
        if (ready <= 0) continue; // time-out (or a signal): look at stop_ again

        // Take every pending event; only those of the folder watched now count.
        bool changed = false;
        for (;;) {
            ssize_t got = read(inotify_, buffer, sizeof buffer);
            if (got <= 0) break;
            std::lock_guard<std::mutex> lock(mutex_);
            for (char* p = buffer; p < buffer + got;) {
                auto* event = reinterpret_cast<inotify_event*>(p);
                if (event->wd == watch_) changed = true;
                p += sizeof(inotify_event) + event->len;
            }
        }
        if (!changed) continue;

        std::string fileName;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            long long now = ModificationTime(fileName_);
            if (now <= lastTime_) continue;
            lastTime_ = now;
            fileName = fileName_;
        }
        // Let the writer finish before the page is read again.
        for (int waited = 0; waited < 100 && !stop_; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (stop_) break;
        {
            // A Watch of another file meanwhile makes this report stale.
            std::lock_guard<std::mutex> lock(mutex_);
            if (fileName != fileName_) continue;
            // Writes that came in during the wait belong to this report.
            lastTime_ = std::max(lastTime_, ModificationTime(fileName_));
        }
        if (callback_) callback_(fileName);
    }
}

} // namespace tarnel
