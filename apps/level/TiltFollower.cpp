#include "apps/level/TiltFollower.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace level {

namespace {

// How far a smoothed tilt reaches for its neighbours, in seconds either
// side. A measured tilt can be off by a few tenths of a degree, and
// differently from one frame to the next; a curve through a second's
// worth of them leaves a wobble of a few hundredths.
constexpr double kFitReachSeconds = 0.4;
// A jump of the running median between two frames larger than this is a
// step of the horizon itself (a cut, a knock): the fit ends there and
// starts again after it, so the step stays one step.
constexpr double kStepDegrees = 0.75;
// A tilt this far from its running median was fooled by something leaning
// and takes no part in the fit.
constexpr double kAstrayDegrees = 0.5;

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

// The value at x = 0 of the weighted least-squares polynomial of degree
// terms - 1 (a parabola at most) through the points whose sums of weighted
// powers of x are s (and times the values, t).
double FitAtZero(const double s[5], const double t[3], int terms) {
    const int degree = terms - 1;
    if (degree == 0) return t[0] / s[0];
    if (degree == 1) return (t[0] * s[2] - t[1] * s[1]) / (s[0] * s[2] - s[1] * s[1]);
    // Cramer's rule on the normal equations [s0 s1 s2; s1 s2 s3; s2 s3 s4].
    const double det = s[0] * (s[2] * s[4] - s[3] * s[3]) - s[1] * (s[1] * s[4] - s[2] * s[3]) +
                       s[2] * (s[1] * s[3] - s[2] * s[2]);
    const double det0 = t[0] * (s[2] * s[4] - s[3] * s[3]) - s[1] * (t[1] * s[4] - s[3] * t[2]) +
                        s[2] * (t[1] * s[3] - s[2] * t[2]);
    return det0 / det;
}

// Where each frame's piece (the frames between two steps) begins and ends.
std::vector<std::pair<int, int>> Pieces(const std::vector<double>& median) {
    const int n = static_cast<int>(median.size());
    std::vector<std::pair<int, int>> of(median.size());
    for (int begin = 0; begin < n;) {
        int end = begin;
        while (end + 1 < n && std::abs(median[end + 1] - median[end]) <= kStepDegrees) ++end;
        for (int i = begin; i <= end; ++i) of[i] = {begin, end};
        begin = end + 1;
    }
    return of;
}

// A local parabola through each frame's 2 * reach + 1 nearest neighbours in
// its piece, weighted by a tricube of their distance: a sway comes through
// with its curve (a straight line would cut its peaks) and the jitter is
// averaged away. Near a piece's end the neighbours lie on one side, where a
// parabola flails: a line is fitted there. Neighbours astray from the
// median, and frames that were not measured, are left out.
std::vector<double> PiecewiseFit(const std::vector<double>& v, const std::vector<bool>& measured,
                                 const std::vector<double>& median, int reach) {
    const int n = static_cast<int>(v.size());
    const std::vector<std::pair<int, int>> pieces = Pieces(median);
    std::vector<double> out(v.size());
    for (int i = 0; i < n; ++i) {
        const auto [begin, end] = pieces[i];
        const int lo = std::max(begin, std::min(i - reach, end - 2 * reach));
        const int hi = std::min(end, lo + 2 * reach);
        const double span = std::max(i - lo, hi - i) + 1;
        double s[5] = {}, t[3] = {};
        int points = 0;
        for (int j = lo; j <= hi; ++j) {
            if (!measured[j] || std::abs(v[j] - median[j]) > kAstrayDegrees) continue;
            const double x = j - i, d = std::abs(x) / span;
            const double w = std::pow(1 - d * d * d, 3);
            double power = w;
            for (int k = 0; k < 5; ++k, power *= x) {
                s[k] += power;
                if (k < 3) t[k] += power * v[j];
            }
            ++points;
        }
        const bool centred = std::min(i - lo, hi - i) >= reach / 2;
        // Every neighbour astray: the median stands.
        out[i] = points ? FitAtZero(s, t, std::min(points, centred ? 3 : 2)) : median[i];
    }
    return out;
}

}  // namespace

std::vector<double> SmoothTilts(const std::vector<double>& tilts, const std::vector<bool>& measured,
                                double fps) {
    const int half = std::max(1, static_cast<int>(std::lround(kFollowMedianSeconds * fps / 2)));
    const int reach = std::max(2, static_cast<int>(std::lround(kFitReachSeconds * fps)));
    return PiecewiseFit(tilts, measured, RunningMedian(tilts, half), reach);
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
    std::vector<bool> measured(tilts.size(), false);
    size_t next = 0;
    for (int64_t f = first; f <= last; ++f) {
        while (next < reliable.size() && reliable[next]->frame < f) ++next;
        double t;
        if (next == reliable.size()) {
            t = reliable.back()->tiltDegrees;
        } else if (reliable[next]->frame == f || next == 0) {
            t = reliable[next]->tiltDegrees;
            measured[static_cast<size_t>(f - first)] = reliable[next]->frame == f;
        } else {
            const FrameSampleRec& a = *reliable[next - 1];
            const FrameSampleRec& b = *reliable[next];
            const double along = static_cast<double>(f - a.frame) / (b.frame - a.frame);
            t = a.tiltDegrees + along * (b.tiltDegrees - a.tiltDegrees);
        }
        tilts[static_cast<size_t>(f - first)] = t;
    }
    result.tiltDegrees = SmoothTilts(tilts, measured, fps);
    return result;
}

}  // namespace level
