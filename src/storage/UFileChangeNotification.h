// Watching the page shown for saves by another program (an external editor).
//
// One background thread waits on an inotify descriptor for the folder of the watched file,
// at most 100 ms at a time (which is also how it notices that it must stop). When the folder
// changed it reads the watched file's modification time; when that time is newer than the
// one it knows, it waits 100 ms more so that the writer can finish, and calls back with the
// file's path. Changes to other files of the folder wake the thread but never call back.
//
// The callback runs on the watcher thread: the owner hands it over to its own thread (the
// window queues it to the user-interface thread) and must not block on that thread from
// inside the callback.
//
// Watch may be called at any time from the owner's thread. The folder watch, the file name
// and the known time are replaced together under one lock, and events of the folder watched
// before are dropped, so the thread never reads a half-replaced name or reports the old file.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace tarnel {

class TFileChangeNotification {
public:
    using Callback = std::function<void(const std::string& fileName)>;

    // Nothing is watched and no thread runs until the first Watch and Resume.
    explicit TFileChangeNotification(Callback callback);
    // Tells the thread to stop and waits for it (at most about 100 ms plus a callback).
    ~TFileChangeNotification();
    TFileChangeNotification(const TFileChangeNotification&) = delete;
    TFileChangeNotification& operator=(const TFileChangeNotification&) = delete;

    // Watches the folder of `fileName` (not its sub-folders) and remembers the file's current
    // modification time (0 when it does not exist). Returns false and keeps the error number
    // in LastError when the folder cannot be watched.
    bool Watch(const std::string& fileName);
    // Starts the thread; has no effect when it runs already.
    void Resume();
    int LastError() const { return lastError_; }
    // The system's text for LastError.
    std::string LastErrorText() const;

private:
    void Run();

    Callback callback_;
    int inotify_ = -1;
    int lastError_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;

    std::mutex mutex_;       // guards the three fields below
    int watch_ = -1;         // the inotify watch of the folder, -1 for none
    std::string fileName_;   // the watched file
    long long lastTime_ = 0; // its modification time in nanoseconds, 0 when missing
};

} // namespace tarnel
