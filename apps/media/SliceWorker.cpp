#include "apps/media/SliceWorker.h"

namespace media {

SliceWorker::SliceWorker() : thread_(&SliceWorker::Serve, this) {}

SliceWorker::~SliceWorker() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void SliceWorker::RunInTwo(const std::function<void(int part)>& part) {
    {
        std::lock_guard lock(mutex_);
        job_ = &part;
    }
    wake_.notify_one();
    part(0);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return job_ == nullptr; });
}

void SliceWorker::Serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return quit_ || job_ != nullptr; });
        if (quit_) return;
        const std::function<void(int)>* job = job_;
        lock.unlock();
        (*job)(1);
        lock.lock();
        job_ = nullptr;
        finished_.notify_one();
    }
}

}  // namespace media
