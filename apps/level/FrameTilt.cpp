#include "apps/level/FrameTilt.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <opencv2/imgproc.hpp>

namespace level {

namespace {

constexpr double kDegree = std::numbers::pi / 180;
// Shorter lines lean by whole degrees with a pixel's error at each end.
constexpr double kMinLineShare = 0.03;  // of the work picture's longer side
// A line within this of the tilt found agrees with it.
constexpr double kAgreeDegrees = 0.5;
// Rows and columns at the picture's border whose lines are its edges.
constexpr int kBorderBand = 3;
// How far an uncovered wedge's mask reaches past the wedge, for the line
// the detector finds along its edge.
constexpr int kWedgeMargin = 3;
// Flat means within this of the corner's grey: the background a turn
// leaves survives compression about this well.
constexpr int kFlatRange = 2;
// How far off the detector places a line's ends, in pixels of the work
// picture, and the least doubt about any lean in degrees.
constexpr double kEndDoubt = 0.7;
constexpr double kLeastDoubt = 0.03;
constexpr double kLeanStep = 0.01;
// Supporting line length, as a share of the longer side, that makes the
// measurement certain: a horizon crossing the frame is about that.
constexpr double kAmpleSupport = 0.6;
// The least share of all the picture's line weight that must agree: below
// it the picture is ruled by its diagonals and textures.
constexpr double kLeastShare = 0.08;

struct Fit {
    double degrees;
    double weight;
};

}  // namespace

struct TiltMeter::Work {
    cv::Ptr<cv::LineSegmentDetector> detector =
        cv::createLineSegmentDetector(cv::LSD_REFINE_STD, 0.8);
    cv::Mat full, small, floodMask, edges, grown;
    std::vector<cv::Vec4f> found;
    std::vector<double> doubts;
};

TiltMeter::TiltMeter() : work_(std::make_unique<Work>()) {}
TiltMeter::~TiltMeter() = default;

namespace {

// Flat regions in the frame's corners that are shaped like what an earlier
// turn leaves (a triangle in one corner) or like bars across the frame: the
// picture's own edge, not the scene's.
void MarkFrameEdges(const cv::Mat& gray, cv::Mat* floodMask, cv::Mat* edges) {
    const int w = gray.cols, h = gray.rows;
    edges->create(h, w, CV_8U);
    edges->setTo(0);
    (*edges)(cv::Rect(0, 0, w, kBorderBand)).setTo(1);
    (*edges)(cv::Rect(0, h - kBorderBand, w, kBorderBand)).setTo(1);
    (*edges)(cv::Rect(0, 0, kBorderBand, h)).setTo(1);
    (*edges)(cv::Rect(w - kBorderBand, 0, kBorderBand, h)).setTo(1);
    const cv::Point corners[] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
    for (const cv::Point& seed : corners) {
        floodMask->create(h + 2, w + 2, CV_8U);
        floodMask->setTo(0);
        cv::Rect box;
        const int area = cv::floodFill(
            gray, *floodMask, seed, 0, &box, cv::Scalar(kFlatRange), cv::Scalar(kFlatRange),
            4 | cv::FLOODFILL_FIXED_RANGE | cv::FLOODFILL_MASK_ONLY | (1 << 8));
        const double fill = static_cast<double>(area) / (box.area() ? box.area() : 1);
        const bool wedge = box.width < w && box.height < h && fill > 0.3 && fill < 0.7;
        const bool bar = fill > 0.97 && (box.width == w || box.height == h);
        if ((wedge || bar) && area > 16)
            cv::bitwise_or(*edges, (*floodMask)(cv::Rect(1, 1, w, h)), *edges);
    }
}

// The angle a line leans from level (or from upright), clockwise positive
// on a picture whose rows run down.
double Deviation(const cv::Vec4f& l) {
    double a = std::atan2(l[3] - l[1], l[2] - l[0]) / kDegree;
    if (a > 90) a -= 180;
    if (a <= -90) a += 180;
    if (a > 45) return a - 90;
    if (a < -45) return a + 90;
    return a;
}

// Grey level differences across the line, at a few points along it.
double Contrast(const cv::Mat& gray, const cv::Vec4f& l) {
    const double dx = l[2] - l[0], dy = l[3] - l[1];
    const double len = std::hypot(dx, dy);
    const double nx = -dy / len * 2, ny = dx / len * 2;
    double sum = 0;
    int n = 0;
    for (int i = 1; i < 8; ++i) {
        const double t = i / 8.0;
        const double x = l[0] + dx * t, y = l[1] + dy * t;
        const int ax = static_cast<int>(x + nx), ay = static_cast<int>(y + ny);
        const int bx = static_cast<int>(x - nx), by = static_cast<int>(y - ny);
        if (ax < 0 || ay < 0 || bx < 0 || by < 0 || ax >= gray.cols || bx >= gray.cols ||
            ay >= gray.rows || by >= gray.rows)
            continue;
        sum += std::abs(gray.at<uint8_t>(ay, ax) - gray.at<uint8_t>(by, bx));
        ++n;
    }
    return n ? sum / n : 0;
}

bool AlongEdges(const cv::Mat& grown, const cv::Vec4f& l) {
    int inside = 0;
    constexpr int kPoints = 9;
    for (int i = 0; i < kPoints; ++i) {
        const double t = i / (kPoints - 1.0);
        const int x = std::clamp(static_cast<int>(l[0] + (l[2] - l[0]) * t), 0, grown.cols - 1);
        const int y = std::clamp(static_cast<int>(l[1] + (l[3] - l[1]) * t), 0, grown.rows - 1);
        inside += grown.at<uint8_t>(y, x) != 0;
    }
    return inside * 2 >= kPoints;
}

// How far a line's lean may be off: a pixel's doubt about its ends
// spread over its length, and never less than the detector's own.
double LeanDoubt(double length) { return std::max(kLeastDoubt, kEndDoubt / length / kDegree); }

// The lean most of the weight agrees on: the highest point of the leans,
// each smoothed by its own doubt, so a long strong line outweighs a crowd
// of short ones leaning nearby; then the weighted mean of the lines that
// agree with that point within their doubt.
Fit CommonLean(const std::vector<LineRec>& lines, const std::vector<double>& doubts) {
    double best = 0, bestDensity = -1;
    for (double d = -kMaxTiltDegrees; d <= kMaxTiltDegrees; d += kLeanStep) {
        double density = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            const LineRec& l = lines[i];
            if (l.use == LineUse::cDiagonal || l.use == LineUse::cEdge) continue;
            const double z = (l.deviation - d) / doubts[i];
            if (z * z < 16) density += l.weight * std::exp(-0.5 * z * z);
        }
        if (density > bestDensity) bestDensity = density, best = d;
    }
    Fit fit{best, 0};
    for (int round = 0; round < 3; ++round) {
        double sum = 0, weight = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            const LineRec& l = lines[i];
            if (l.use == LineUse::cDiagonal || l.use == LineUse::cEdge) continue;
            if (std::abs(l.deviation - fit.degrees) > 2.5 * doubts[i]) continue;
            sum += l.weight * l.deviation;
            weight += l.weight;
        }
        if (weight <= 0) break;
        fit = {sum / weight, weight};
    }
    return fit;
}

}  // namespace

FrameTiltRec TiltMeter::Measure(const GrayView& view) {
    Work& w = *work_;
    const cv::Mat gray(view.height, view.width, CV_8U, const_cast<uint8_t*>(view.pixels),
                       static_cast<size_t>(view.stride));
    const double shrink =
        std::min(1.0, static_cast<double>(kWorkSide) / std::max(view.width, view.height));
    const cv::Mat* work = &gray;
    if (shrink < 1) {
        cv::resize(gray, w.small, cv::Size(), shrink, shrink, cv::INTER_AREA);
        work = &w.small;
    }
    MarkFrameEdges(*work, &w.floodMask, &w.edges);
    cv::dilate(w.edges, w.grown,
               cv::getStructuringElement(cv::MORPH_RECT,
                                         cv::Size(2 * kWedgeMargin + 1, 2 * kWedgeMargin + 1)));
    w.found.clear();
    w.detector->detect(*work, w.found);

    FrameTiltRec result;
    const double side = std::max(work->cols, work->rows);
    const double back = 1 / shrink;
    double allWeight = 0;
    std::vector<double>& doubts = w.doubts;
    doubts.clear();
    for (const cv::Vec4f& l : w.found) {
        const double length = std::hypot(l[2] - l[0], l[3] - l[1]);
        if (length < kMinLineShare * side) continue;
        LineRec rec{static_cast<float>(l[0] * back),
                    static_cast<float>(l[1] * back),
                    static_cast<float>(l[2] * back),
                    static_cast<float>(l[3] * back),
                    Deviation(l),
                    length * length / side * Contrast(*work, l) / 255,
                    LineUse::cDisagrees};
        if (AlongEdges(w.grown, l))
            rec.use = LineUse::cEdge;
        else if (std::abs(rec.deviation) > kMaxTiltDegrees)
            rec.use = LineUse::cDiagonal;
        if (rec.use != LineUse::cEdge) allWeight += rec.weight;
        result.lines.push_back(rec);
        doubts.push_back(LeanDoubt(length));
    }

    const Fit fit = CommonLean(result.lines, doubts);
    double leanWeight = 0, agreeWeight = 0, supportLength = 0;
    for (LineRec& l : result.lines) {
        if (l.use != LineUse::cDisagrees) continue;
        leanWeight += l.weight;
        if (std::abs(l.deviation - fit.degrees) <= kAgreeDegrees) {
            l.use = LineUse::cUsed;
            agreeWeight += l.weight;
            ++result.linesUsed;
            supportLength += std::hypot(l.x2 - l.x1, l.y2 - l.y1) * shrink;
        }
    }
    if (fit.weight <= 0) return result;
    // Real scenes hold many near-level lines that lean by perspective (a
    // pier's planks, a road): a peak holding a third of the weight is
    // already clear, so the share that agrees counts by its square root.
    const double agree = std::sqrt(agreeWeight / leanWeight);
    const double amount = 1 - std::exp(-supportLength / (kAmpleSupport * side));
    const double share = std::min(1.0, agreeWeight / allWeight / kLeastShare);
    result.tiltDegrees = fit.degrees;
    result.confidence = agree * amount * share;
    result.reliable = result.confidence >= kTrustedConfidence;
    return result;
}

FrameTiltRec TiltMeter::MeasureArgb(const uint8_t* argb, int stride, int width, int height) {
    Work& w = *work_;
    w.full.create(height, width, CV_8U);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = argb + static_cast<ptrdiff_t>(y) * stride;
        uint8_t* out = w.full.ptr<uint8_t>(y);
        for (int x = 0; x < width; ++x)
            out[x] = static_cast<uint8_t>(
                (77 * in[4 * x + 1] + 150 * in[4 * x + 2] + 29 * in[4 * x + 3] + 128) >> 8);
    }
    return Measure({w.full.data, static_cast<int>(w.full.step), width, height});
}

}  // namespace level
