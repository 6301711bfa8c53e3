#include "apps/level/LevelPictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <opencv2/imgproc.hpp>
#include <string>

namespace level {

namespace {

// Colours as the pictures' bytes hold them: A, R, G, B.
const cv::Scalar kUsed(255, 40, 230, 60), kDisagrees(255, 255, 150, 0),
    kDiagonal(255, 150, 150, 160), kEdge(255, 255, 0, 255), kWhite(255, 255, 255, 255),
    kInk(255, 30, 30, 30), kGrid(255, 215, 215, 215), kChosen(255, 40, 110, 220);

cv::Scalar UseColour(LineUse use) {
    switch (use) {
        case LineUse::cUsed:
            return kUsed;
        case LineUse::cDisagrees:
            return kDisagrees;
        case LineUse::cDiagonal:
            return kDiagonal;
        case LineUse::cEdge:
            return kEdge;
    }
    return kDiagonal;
}

std::string Fixed(double v, int decimals) {
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    return text;
}

std::string Answer(const ClipTiltRec& clip) {
    if (!clip.reliable)
        return "no reliable horizon: confidence " + Fixed(clip.confidence, 2) + " below " +
               Fixed(kTrustedConfidence, 2);
    return "tilt " + Fixed(std::abs(clip.tiltDegrees), 2) + " deg " +
           (clip.tiltDegrees >= 0 ? "clockwise" : "counter-clockwise") + ", confidence " +
           Fixed(clip.confidence, 2);
}

// Text on a dark band, readable over any picture.
void Caption(cv::Mat& picture, const std::string& text, int line, double size) {
    const int font = cv::FONT_HERSHEY_SIMPLEX, thickness = std::max(1, static_cast<int>(size * 2));
    int base = 0;
    const cv::Size box = cv::getTextSize(text, font, size, thickness, &base);
    const int pad = box.height / 2, top = pad + line * (box.height + 3 * pad);
    cv::rectangle(picture, {pad, top}, {3 * pad + box.width, top + box.height + 2 * pad},
                  cv::Scalar(255, 0, 0, 0), cv::FILLED);
    cv::putText(picture, text, {2 * pad, top + pad + box.height}, font, size, kWhite, thickness,
                cv::LINE_AA);
}

}  // namespace

ArgbPicture DrawLinesFound(const ClipLevelRec& measured) {
    ArgbPicture p{measured.width, measured.height, measured.shownArgb};
    cv::Mat picture(p.height, p.width, CV_8UC4, p.argb.data());
    const int thickness = std::max(2, p.width / 640);
    // Those that count last, so they are on top.
    for (const LineUse use :
         {LineUse::cDiagonal, LineUse::cEdge, LineUse::cDisagrees, LineUse::cUsed})
        for (const LineRec& l : measured.shown.lines)
            if (l.use == use)
                cv::line(picture, cv::Point2f(l.x1, l.y1), cv::Point2f(l.x2, l.y2), UseColour(use),
                         thickness, cv::LINE_AA);
    const double size = std::max(0.5, p.width / 1600.0);
    Caption(picture, Answer(measured.clip), 0, size);
    const FrameTiltRec& f = measured.shown;
    Caption(picture,
            "this frame (" + std::to_string(measured.shownFrame) + "): " +
                (f.reliable ? Fixed(f.tiltDegrees, 2) + " deg" : std::string("no horizon")) + ", " +
                std::to_string(f.linesUsed) + " of " + std::to_string(f.lines.size()) +
                " lines used (green); orange leans otherwise, grey diagonal, magenta frame edge",
            1, size * 0.8);
    return p;
}

ArgbPicture PlotTilts(const ClipLevelRec& measured, double from, double seconds) {
    constexpr int kWidth = 960, kHeight = 420, kLeft = 70, kRight = 20, kTop = 50, kBottom = 50;
    ArgbPicture p{kWidth, kHeight, std::vector<uint8_t>(kWidth * kHeight * 4, 255)};
    cv::Mat plot(kHeight, kWidth, CV_8UC4, p.argb.data());

    // The degrees shown: every sample and the answer, with a degree around.
    double low = measured.clip.tiltDegrees, high = low;
    for (const FrameSampleRec& f : measured.frames)
        low = std::min(low, f.tiltDegrees), high = std::max(high, f.tiltDegrees);
    low = std::floor(low - 1), high = std::ceil(high + 1);
    const double span = std::max(seconds, 1e-3);
    const auto x = [&](double s) { return kLeft + (s - from) / span * (kWidth - kLeft - kRight); };
    const auto y = [&](double d) {
        return kTop + (high - d) / (high - low) * (kHeight - kTop - kBottom);
    };
    const int font = cv::FONT_HERSHEY_SIMPLEX;
    const double step = high - low > 8 ? 2 : high - low > 4 ? 1 : 0.5;
    for (double d = low; d <= high + 1e-9; d += step) {
        cv::line(plot, cv::Point2d(kLeft, y(d)), cv::Point2d(kWidth - kRight, y(d)), kGrid, 1);
        cv::putText(plot, Fixed(d, step < 1 ? 1 : 0), cv::Point2d(8, y(d) + 5), font, 0.45, kInk, 1,
                    cv::LINE_AA);
    }
    for (int i = 0; i <= 5; ++i) {
        const double s = from + span * i / 5;
        cv::line(plot, cv::Point2d(x(s), kTop), cv::Point2d(x(s), kHeight - kBottom), kGrid, 1);
        cv::putText(plot, Fixed(s, 1) + " s", cv::Point2d(x(s) - 18, kHeight - kBottom + 22), font,
                    0.45, kInk, 1, cv::LINE_AA);
    }
    cv::rectangle(plot, cv::Point(kLeft, kTop), cv::Point(kWidth - kRight, kHeight - kBottom), kInk,
                  1);
    if (measured.clip.reliable) {
        const double d = measured.clip.tiltDegrees;
        cv::line(plot, cv::Point2d(kLeft, y(d)), cv::Point2d(kWidth - kRight, y(d)), kChosen, 2,
                 cv::LINE_AA);
        cv::putText(plot, "chosen " + Fixed(d, 2) + " deg", cv::Point2d(kLeft + 8, y(d) - 8), font,
                    0.5, kChosen, 1, cv::LINE_AA);
    }
    for (const FrameSampleRec& f : measured.frames) {
        const cv::Point2d at(x(f.seconds), y(f.tiltDegrees));
        const cv::Scalar colour = f.reliable ? kUsed : kDisagrees;
        cv::circle(plot, at, 6, colour, f.reliable ? cv::FILLED : 2, cv::LINE_AA);
    }
    cv::putText(plot, "tilt of each sampled frame, degrees clockwise (hollow: no reliable horizon)",
                cv::Point(kLeft, 30), font, 0.55, kInk, 1, cv::LINE_AA);
    return p;
}

}  // namespace level
