#include "apps/level/TiltFollower.h"

#include <algorithm>
#include <cmath>

namespace level {

namespace {

// The Gaussian's reach, and how far apart two tilts may lie and still be
// averaged: beyond a few times this they are two horizons, before and
// after a step, and neither pulls the other.
constexpr double kSmoothSigmaSeconds = 0.2;
constexpr double kSameTiltDegrees = 0.5;

std::vector<double> RunningMedian(const std::vector<double>& v, int half) {
    std::vector<double> out(v.size()), window;
    const int n = static_cast<int>(v.size());
    for (int i = 0; i < n; ++i) {
        // Near the ends the window shrinks evenly, so it stays centred and
        // a step close to an end is not pulled toward it.
        const int reach = std::min({half, i, n - 1 - i});
        window.assign(v.begin() + (i - reach), v.begin() + (i + reach + 1));
        std::nth_element(window.begin(), window.begin() + reach, window.end());
        out[i] = window[reach];
    }
    return out;
}

// Averages the tilts themselves, not the median's picks of them (which near
// a step lean toward it), guided by the median: neighbours on the other side
// of a step, and tilts far from their own median (a frame fooled by
// something leaning), weigh next to nothing.
std::vector<double> EdgeKeepingGaussian(const std::vector<double>& v,
                                        const std::vector<double>& median, double sigma) {
    const int n = static_cast<int>(v.size());
    const int reach = static_cast<int>(std::ceil(3 * sigma));
    std::vector<double> out(v.size());
    for (int i = 0; i < n; ++i) {
        double sum = 0, weight = 0;
        for (int j = std::max(0, i - reach); j <= std::min(n - 1, i + reach); ++j) {
            const double dt = (j - i) / sigma, across = (median[j] - median[i]) / kSameTiltDegrees,
                         astray = (v[j] - median[j]) / kSameTiltDegrees;
            const double w = std::exp(-0.5 * (dt * dt + across * across + astray * astray));
            sum += w * v[j];
            weight += w;
        }
        // Every tilt astray: the median stands.
        out[i] = weight > 1e-9 ? sum / weight : median[i];
    }
    return out;
}

}  // namespace

std::vector<double> SmoothTilts(const std::vector<double>& tilts, double fps) {
    const int half = std::max(1, static_cast<int>(std::lround(kFollowMedianSeconds * fps / 2)));
    return EdgeKeepingGaussian(tilts, RunningMedian(tilts, half),
                               std::max(1.0, kSmoothSigmaSeconds * fps));
}

FollowedTiltRec FollowTilt(const std::vector<FrameSampleRec>& samples, int64_t first, int64_t last,
                           double fps) {
    FollowedTiltRec result;
    result.framesMeasured = static_cast<int>(samples.size());
    std::vector<const FrameSampleRec*> reliable;
    for (const FrameSampleRec& s : samples)
        if (s.reliable) reliable.push_back(&s);
    result.framesReliable = static_cast<int>(reliable.size());
    if (reliable.empty() ||
        result.framesReliable < std::min<int>(kFollowLeastReliable, result.framesMeasured))
        return result;
    result.reliable = true;

    // The measured frames hold their own tilts, the others the line between
    // the nearest measured ones, the ends the nearest: the smoothing then
    // works at one value a frame, whatever was measured.
    std::vector<double> tilts(static_cast<size_t>(last - first + 1));
    size_t next = 0;
    for (int64_t f = first; f <= last; ++f) {
        while (next < reliable.size() && reliable[next]->frame < f) ++next;
        double t;
        if (next == reliable.size()) {
            t = reliable.back()->tiltDegrees;
        } else if (reliable[next]->frame == f || next == 0) {
            t = reliable[next]->tiltDegrees;
        } else {
            const FrameSampleRec& a = *reliable[next - 1];
            const FrameSampleRec& b = *reliable[next];
            const double along = static_cast<double>(f - a.frame) / (b.frame - a.frame);
            t = a.tiltDegrees + along * (b.tiltDegrees - a.tiltDegrees);
        }
        tilts[static_cast<size_t>(f - first)] = t;
    }
    result.tiltDegrees = SmoothTilts(tilts, fps);
    return result;
}

}  // namespace level
