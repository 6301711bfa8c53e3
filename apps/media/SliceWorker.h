// A second thread for the picture conversions around the plug-in. They run
// on the plug-in's thread, between one frame and the next, so halving them
// shortens the one chain of work every frame waits on, at no extra memory.
#ifndef HZ_APPS_MEDIA_SLICEWORKER_H
#define HZ_APPS_MEDIA_SLICEWORKER_H

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace media {

class SliceWorker {
  public:
    SliceWorker();
    ~SliceWorker();
    SliceWorker(const SliceWorker&) = delete;
    SliceWorker& operator=(const SliceWorker&) = delete;

    // Runs part(1) on the worker and part(0) here, and returns when both
    // are done. `part` must not throw.
    void RunInTwo(const std::function<void(int part)>& part);

  private:
    void Serve();

    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    const std::function<void(int)>* job_ = nullptr;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace media

#endif
