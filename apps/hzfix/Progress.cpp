#include "apps/hzfix/Progress.h"

#include <cinttypes>
#include <cmath>

namespace hzfix {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kLineInterval = std::chrono::milliseconds(250);
constexpr auto kBlockInterval = std::chrono::milliseconds(500);

std::string Clock24(double seconds) {
    if (!(seconds >= 0)) seconds = 0;
    const int64_t us = std::llround(seconds * 1e6);
    char text[48];
    std::snprintf(text, sizeof text, "%02" PRId64 ":%02" PRId64 ":%02" PRId64 ".%06" PRId64,
                  us / 3600000000, us / 60000000 % 60, us / 1000000 % 60, us % 1000000);
    return text;
}

}  // namespace

Progress::Progress(bool terminalLine, FILE* machine, int64_t totalFrames, double frameRate)
    : terminalLine_(terminalLine),
      machine_(machine),
      total_(totalFrames),
      frameRate_(frameRate),
      start_(Clock::now()),
      lastLine_(start_ - kLineInterval),
      lastBlock_(start_) {}

double Progress::Elapsed() const {
    return std::chrono::duration<double>(Clock::now() - start_).count();
}

std::string Progress::Line(int64_t done, int64_t total, double fps) {
    char text[128];
    if (fps > 0 && done < total) {
        const int64_t eta = std::llround(static_cast<double>(total - done) / fps);
        std::snprintf(text, sizeof text,
                      "frame %" PRId64 "/%" PRId64 "  %.1f fps  ETA %" PRId64 ":%02" PRId64, done,
                      total, fps, eta / 60, eta % 60);
    } else {
        std::snprintf(text, sizeof text, "frame %" PRId64 "/%" PRId64 "  %.1f fps", done, total,
                      fps);
    }
    return text;
}

std::string Progress::Block(int64_t done, double fps, double frameRate, int64_t bytes, double speed,
                            bool end) {
    const double outTime = frameRate > 0 ? static_cast<double>(done) / frameRate : 0;
    char text[256];
    std::snprintf(text, sizeof text,
                  "frame=%" PRId64 "\nfps=%.2f\nout_time_us=%" PRId64
                  "\nout_time=%s\n"
                  "total_size=%" PRId64 "\nspeed=%.3gx\nprogress=%s\n",
                  done, fps, static_cast<int64_t>(std::llround(outTime * 1e6)),
                  Clock24(outTime).c_str(), bytes, speed, end ? "end" : "continue");
    return text;
}

void Progress::Report(int64_t done, int64_t bytes, bool end) {
    const auto now = Clock::now();
    const double elapsed = Elapsed();
    const double fps = elapsed > 0 ? static_cast<double>(done) / elapsed : 0;
    if (terminalLine_ && (end || now - lastLine_ >= kLineInterval)) {
        std::fprintf(stderr, "\r%s\033[K%s", Line(done, total_, fps).c_str(), end ? "\n" : "");
        lineShown_ = !end;
        lastLine_ = now;
    }
    if (machine_ && (end || now - lastBlock_ >= kBlockInterval)) {
        const double speed =
            elapsed > 0 && frameRate_ > 0 ? static_cast<double>(done) / frameRate_ / elapsed : 0;
        std::fputs(Block(done, fps, frameRate_, bytes, speed, end).c_str(), machine_);
        std::fflush(machine_);
        lastBlock_ = now;
    }
}

void Progress::Update(int64_t framesDone, int64_t bytes) {
    std::lock_guard lock(mutex_);
    Report(framesDone, bytes, false);
}

void Progress::Done(int64_t framesDone, int64_t bytes) {
    std::lock_guard lock(mutex_);
    Report(framesDone, bytes, true);
}

void Progress::Warn(const std::string& message) {
    std::lock_guard lock(mutex_);
    if (lineShown_) std::fputs("\r\033[K", stderr);
    std::fprintf(stderr, "hzfix: warning: %s\n", message.c_str());
    lineShown_ = false;
    lastLine_ = Clock::now() - kLineInterval;
}

}  // namespace hzfix
