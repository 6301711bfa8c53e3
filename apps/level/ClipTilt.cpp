#include "apps/level/ClipTilt.h"

#include <algorithm>
#include <cmath>

#include "apps/level/FrameTilt.h"

namespace level {

ClipTiltRec CombineFrames(const std::vector<FrameSampleRec>& frames) {
    ClipTiltRec clip;
    std::vector<const FrameSampleRec*> reliable;
    double total = 0, doubtful = 0;
    for (const FrameSampleRec& f : frames)
        if (f.reliable)
            reliable.push_back(&f), total += f.confidence;
        else
            doubtful += f.confidence;
    if (reliable.empty()) return clip;

    // The confidence-weighted median resists a minority of wrong frames.
    std::sort(reliable.begin(), reliable.end(),
              [](auto a, auto b) { return a->tiltDegrees < b->tiltDegrees; });
    double median = reliable.back()->tiltDegrees, below = 0;
    for (const FrameSampleRec* f : reliable) {
        below += f->confidence;
        if (below >= total / 2) {
            median = f->tiltDegrees;
            break;
        }
    }
    double sum = 0, weight = 0;
    for (const FrameSampleRec* f : reliable) {
        if (std::abs(f->tiltDegrees - median) > kFramesAgreeDegrees) continue;
        sum += f->confidence * f->tiltDegrees;
        weight += f->confidence;
        ++clip.framesUsed;
        clip.linesUsed += f->linesUsed;
    }
    clip.tiltDegrees = sum / weight;
    // As sure as the agreeing frames are on average, the frames without a
    // reliable horizon counted at their own confidence, so a clip of
    // doubtful frames is not trusted on the strength of a few. Reliable
    // frames that disagree claim their share against the agreeing ones:
    // one pan past a roof costs little, two horizons of equal weight leave
    // nothing to trust.
    const size_t counted = frames.size() - (reliable.size() - static_cast<size_t>(clip.framesUsed));
    const double disagree = total - weight;
    clip.confidence = (weight + doubtful) / static_cast<double>(counted) *
                      std::max(0.0, (weight - disagree) / weight);
    // And at least half the frames must agree, whatever their confidence.
    clip.reliable = clip.confidence >= kTrustedConfidence &&
                    2 * static_cast<size_t>(clip.framesUsed) >= frames.size();
    return clip;
}

}  // namespace level
