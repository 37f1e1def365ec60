#include "TestFolder.h"
#include "storage/UFileChangeNotification.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <vector>

using namespace tarnel;
using tarnel::testing::TestFolder;

namespace {

// Collects the reports of a watcher; waits for them with a time-out, never a fixed sleep.
class Reports {
public:
    TFileChangeNotification::Callback Callback() {
        return [this](const std::string& name) {
            std::lock_guard<std::mutex> lock(mutex_);
            names_.push_back(name);
            changed_.notify_all();
        };
    }
    bool WaitFor(std::size_t count, int seconds = 20) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(seconds),
                                 [&] { return names_.size() >= count; });
    }
    std::vector<std::string> Names() {
        std::lock_guard<std::mutex> lock(mutex_);
        return names_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> names_;
};

// Writes a file and moves its time stamp on, so that even a coarse file system sees a newer one.
void Save(const std::string& path, const std::string& text, int secondsAhead) {
    std::ofstream(path, std::ios::binary) << text;
    struct timespec times[2];
    clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec += secondsAhead;
    times[1] = times[0];
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

} // namespace

TEST(FileChangeNotification, ReportsTheWatchedFileOnly) {
    TestFolder dir;
    std::string page = dir.Write("41.txt", "one");
    std::string other = dir.Write("42.txt", "two");
    Reports reports;
    TFileChangeNotification watcher(reports.Callback());
    ASSERT_TRUE(watcher.Watch(page));
    watcher.Resume();
    watcher.Resume(); // a second Resume does nothing

    Save(other, "other saved", 10);
    Save(page, "page saved", 10);
    ASSERT_TRUE(reports.WaitFor(1));
    EXPECT_EQ(reports.Names(), std::vector<std::string>{page});
}

TEST(FileChangeNotification, MovesWithWatchAndSeesRecreatedFiles) {
    TestFolder a, b;
    std::string first = a.Write("41.txt", "one");
    std::string second = b.Write("42.txt", "two");
    Reports reports;
    TFileChangeNotification watcher(reports.Callback());
    ASSERT_TRUE(watcher.Watch(first));
    watcher.Resume();
    ASSERT_TRUE(watcher.Watch(second));
    Save(first, "not reported any more", 10);
    // Deleted and written anew with a newer time stamp.
    std::remove(second.c_str());
    Save(second, "again", 20);
    ASSERT_TRUE(reports.WaitFor(1));
    EXPECT_EQ(reports.Names().front(), second);
    for (const std::string& name : reports.Names())
        EXPECT_EQ(name, second);
}

TEST(FileChangeNotification, FolderThatCannotBeWatched) {
    Reports reports;
    TFileChangeNotification watcher(reports.Callback());
    EXPECT_FALSE(watcher.Watch("/nonexistent-folder-of-tarnel/41.txt"));
    EXPECT_NE(watcher.LastError(), 0);
    EXPECT_FALSE(watcher.LastErrorText().empty());
    watcher.Resume(); // a watcher without a folder stops cleanly
}
