#include "render/UWorkerThreads.h"

namespace tarnel {

TWorkerThreads::~TWorkerThreads() {
    JoinAll();
}

void TWorkerThreads::Start(std::function<void()> job) {
    JoinFinished();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([job = std::move(job), done] {
        job();
        done->store(true);
    });
    workers_.push_back(TWorker{std::move(thread), std::move(done)});
}

void TWorkerThreads::JoinFinished() {
    for (auto it = workers_.begin(); it != workers_.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
}

void TWorkerThreads::JoinAll() {
    for (TWorker& worker : workers_)
        worker.thread.join();
    workers_.clear();
}

int TWorkerThreads::Running() const {
    int running = 0;
    for (const TWorker& worker : workers_)
        if (!worker.done->load()) ++running;
    return running;
}

} // namespace tarnel
