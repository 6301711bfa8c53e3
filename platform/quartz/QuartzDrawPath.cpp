#include "platform/quartz/QuartzDrawPath.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace hz::quartz {

namespace {

DrawPath PathFromEnvironment() {
    const char* disable = std::getenv("HZ_DISABLE_FAST_PATHS");
    if (disable && *disable && std::strcmp(disable, "0") != 0) return DrawPath::kPixman;
    return DrawPath::kSimd;
}

std::atomic<DrawPath>& ActivePath() {
    static std::atomic<DrawPath> path{PathFromEnvironment()};
    return path;
}

}  // namespace

DrawPath CurrentDrawPath() { return ActivePath().load(std::memory_order_relaxed); }

void SetDrawPath(DrawPath path) { ActivePath().store(path, std::memory_order_relaxed); }

}  // namespace hz::quartz
