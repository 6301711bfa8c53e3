// The tilt of one picture's horizon, measured from the straight lines in it:
// near-horizontal ones (horizon, shorelines, roofs seen square on) and
// near-vertical ones (walls, masts, trunks) all lean by the camera's roll.
#ifndef HZ_APPS_LEVEL_FRAMETILT_H
#define HZ_APPS_LEVEL_FRAMETILT_H

#include <cstdint>
#include <memory>
#include <vector>

namespace level {

// Pictures larger than this are measured at this size (their longer side):
// long lines keep their angle to well under a tenth of a degree, and the
// detector's time grows with the pixels.
inline constexpr int kWorkSide = 960;
// The largest tilt looked for, either way; lines leaning further are the
// scene's own diagonals.
inline constexpr double kMaxTiltDegrees = 12;
// A picture or clip whose confidence is below this has no reliable horizon.
// Photographs without one (close-ups, patterns) stay below a half of it;
// misty and dark horizons, and forests of slightly leaning trunks, reach it.
inline constexpr double kTrustedConfidence = 0.25;

enum class LineUse : uint8_t {
    cUsed,       // agrees with the tilt measured
    cDisagrees,  // near level or upright, but leaning otherwise
    cDiagonal,   // too far from level and upright to say anything
    cEdge,       // along the frame's border or an uncovered wedge
};

// In the picture's own pixels; `deviation` is the lean from level or upright
// in degrees, clockwise positive.
struct LineRec {
    float x1, y1, x2, y2;
    double deviation;
    double weight;
    LineUse use;
};

struct FrameTiltRec {
    bool reliable = false;
    double tiltDegrees = 0;  // clockwise positive: the turn that levels it
    double confidence = 0;   // 0..1
    int linesUsed = 0;
    std::vector<LineRec> lines;
};

struct GrayView {
    const uint8_t* pixels;
    int stride, width, height;
};

// Holds the detector and the buffers, so measuring frame after frame does
// not set them up again.
class TiltMeter {
  public:
    TiltMeter();
    ~TiltMeter();
    TiltMeter(const TiltMeter&) = delete;
    TiltMeter& operator=(const TiltMeter&) = delete;

    FrameTiltRec Measure(const GrayView& gray);
    // 32-bit pixels, bytes A, R, G, B, as the plug-in's frames hold them.
    FrameTiltRec MeasureArgb(const uint8_t* argb, int stride, int width, int height);

  private:
    struct Work;
    std::unique_ptr<Work> work_;
};

}  // namespace level

#endif
