// Threads for work the window must not wait for (a big page's conversion). Each job runs on
// a thread of its own; finished threads are joined when the next job starts, and the rest
// when the owner goes, so a job never outlives what it works on.
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>

namespace tarnel {

class TWorkerThreads {
public:
    TWorkerThreads() = default;
    ~TWorkerThreads();
    TWorkerThreads(const TWorkerThreads&) = delete;
    TWorkerThreads& operator=(const TWorkerThreads&) = delete;

    // Runs `job` on a new thread. The job must not throw.
    void Start(std::function<void()> job);
    // Waits for every job started.
    void JoinAll();
    // Jobs still running.
    int Running() const;

private:
    struct TWorker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    void JoinFinished();
    std::list<TWorker> workers_;
};

} // namespace tarnel
