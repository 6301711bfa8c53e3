#include "platform/quartz/QuartzDrawPath.h"

#include <atomic>

#include "platform/types/FastPaths.h"

namespace hz::quartz {

namespace {

DrawPath PathFromEnvironment() {
    return hz::EnvironmentSwitchOn("HZ_DRAW_WITH_PIXMAN") ? DrawPath::kPixman : DrawPath::kSimd;
}

std::atomic<DrawPath>& ActivePath() {
    static std::atomic<DrawPath> path{PathFromEnvironment()};
    return path;
}

}  // namespace

DrawPath CurrentDrawPath() { return ActivePath().load(std::memory_order_relaxed); }

void SetDrawPath(DrawPath path) { ActivePath().store(path, std::memory_order_relaxed); }

}  // namespace hz::quartz
