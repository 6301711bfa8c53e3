// How a render tells the user where it is: a line redrawn in place while
// stderr is a terminal, and key=value blocks for programs (--progress).
// Warnings go through here too so they never tear the progress line.
#ifndef HZ_APPS_HZFIX_PROGRESS_H
#define HZ_APPS_HZFIX_PROGRESS_H

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace hzfix {

class Progress {
  public:
    // `terminalLine`: draw the line on stderr. `machine`: where key=value
    // blocks go (nullptr for none; not closed here).
    Progress(bool terminalLine, FILE* machine, int64_t totalFrames, double frameRate);

    // Frames finished so far and the output's size; throttled.
    void Update(int64_t framesDone, int64_t bytes);
    // The last report, with progress=end.
    void Done(int64_t framesDone, int64_t bytes);
    void Warn(const std::string& message);

    // The terminal line for these figures, without redrawing anything.
    static std::string Line(int64_t done, int64_t total, double fps);
    // One key=value block.
    static std::string Block(int64_t done, double fps, double frameRate, int64_t bytes,
                             double speed, bool end);

  private:
    void Report(int64_t done, int64_t bytes, bool end);
    double Elapsed() const;

    std::mutex mutex_;
    bool terminalLine_;
    FILE* machine_;
    int64_t total_;
    double frameRate_;
    bool lineShown_ = false;
    std::chrono::steady_clock::time_point start_, lastLine_, lastBlock_;
};

}  // namespace hzfix

#endif
