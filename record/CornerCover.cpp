#include "record/CornerCover.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "record/SettingsTable.h"

namespace {

struct Box {
    double left, top, right, bottom;
};

// As the renderer cuts a framing edge: toward zero, held to 16 bits.
double EdgeAt(int extent, double fraction) {
    const double edge = std::trunc(extent * fraction);
    if (std::isnan(edge)) return 0;
    return std::clamp(edge, -32768.0, 32767.0);
}

double Saturate16(double v) { return std::clamp(v, -32768.0, 32767.0); }

bool WholeFrame(const RelRect& r) {
    return r.left == 0 && r.right == 1 && r.top == 0 && r.bottom == 1;
}

Box Framing(const PluginDataRec& c, int width, int height) {
    return {EdgeAt(width, c.startRel.left), EdgeAt(height, c.startRel.top),
            EdgeAt(width, c.startRel.right), EdgeAt(height, c.startRel.bottom)};
}

}  // namespace

double DrawnTilt(const PluginDataRec& c, int width, int height, double tiltDegrees) {
    const Box framing = Framing(c, width, height);
    const double w = framing.right - framing.left, h = framing.bottom - framing.top;
    if (w <= 0 || h <= 0) return tiltDegrees;
    const GrowthRec z = GrowthPixels(static_cast<int32_t>(w), static_cast<int32_t>(h),
                                     c.sliders[cScaleSlider - 1], UniformScale(c));
    const double sx = (w + 2.0 * z.x) / w, sy = (h + 2.0 * z.y) / h;
    if (sx <= 0 || sy <= 0) return tiltDegrees;
    const double radians = tiltDegrees * std::numbers::pi / 180;
    return std::atan2(sy * std::sin(radians), sx * std::cos(radians)) * 180 / std::numbers::pi;
}

bool CoversFrame(const PluginDataRec& c, int width, int height) {
    const Box framing = Framing(c, width, height);
    const double w = framing.right - framing.left, h = framing.bottom - framing.top;
    const Box visible = {std::max(framing.left, 0.0), std::max(framing.top, 0.0),
                         std::min(framing.right, static_cast<double>(width)),
                         std::min(framing.bottom, static_cast<double>(height))};
    if (w <= 0 || h <= 0 || visible.left >= visible.right || visible.top >= visible.bottom)
        return false;

    const auto big = static_cast<int32_t>(std::max(w, h));
    const GrowthRec z = GrowthPixels(static_cast<int32_t>(w), static_cast<int32_t>(h),
                                     c.sliders[cScaleSlider - 1], UniformScale(c));
    const double dx = SliderPixels(big, c.sliders[cMoveXSlider - 1]);
    const double dy = SliderPixels(big, c.sliders[cMoveYSlider - 1]);
    const Box drawn = {Saturate16(framing.left - z.x + dx), Saturate16(framing.top - z.y + dy),
                       Saturate16(framing.right + z.x + dx), Saturate16(framing.bottom + z.y + dy)};
    const double dw = drawn.right - drawn.left, dh = drawn.bottom - drawn.top;
    // Only the framing's part inside the source is drawn, at the matching
    // part of where the framing goes.
    const Box picture = {drawn.left + (visible.left - framing.left) / w * dw,
                         drawn.top + (visible.top - framing.top) / h * dh,
                         drawn.left + (visible.right - framing.left) / w * dw,
                         drawn.top + (visible.bottom - framing.top) / h * dh};
    const double cx = (drawn.left + drawn.right) / 2, cy = (drawn.top + drawn.bottom) / 2;

    // Pixels count by their centres: one the picture's edge crosses is
    // blended with it, and shows no background.
    Box target = WholeFrame(c.startRel)
                     ? Box{0, 0, static_cast<double>(width), static_cast<double>(height)}
                     : visible;
    target = {target.left + 0.5, target.top + 0.5, target.right - 0.5, target.bottom - 0.5};
    const double radians = TurnAngle(c) * std::numbers::pi / 180;
    const double cs = std::cos(radians), sn = std::sin(radians);
    constexpr double kSlack = 1e-6;
    // A corner is covered where, turned back with the picture, it lies in it;
    // the picture turns counter-clockwise on a screen whose rows run down.
    for (const double x : {target.left, target.right})
        for (const double y : {target.top, target.bottom}) {
            const double px = x - cx, py = y - cy;
            const double ux = cx + px * cs - py * sn, uy = cy + px * sn + py * cs;
            if (ux < picture.left - kSlack || ux > picture.right + kSlack ||
                uy < picture.top - kSlack || uy > picture.bottom + kSlack)
                return false;
        }
    return true;
}

std::optional<int16_t> CornerHidingScale(const PluginDataRec& settings, int width, int height) {
    const SettingDescRec& scale = *SliderDesc(cScaleSlider);
    PluginDataRec c = settings;
    for (int32_t s = scale.minimum; s <= scale.maximum; ++s) {
        c.sliders[cScaleSlider - 1] = static_cast<int16_t>(s);
        if (CoversFrame(c, width, height)) return static_cast<int16_t>(s);
    }
    return std::nullopt;
}

void SetCornerHidingScale(PluginDataRec* settings, int width, int height) {
    const SettingDescRec& scale = *SliderDesc(cScaleSlider);
    settings->sliders[cScaleSlider - 1] =
        CornerHidingScale(*settings, width, height).value_or(static_cast<int16_t>(scale.maximum));
}

void LevelSettings(PluginDataRec* settings, int width, int height, double tiltDegrees,
                   bool hideCorners) {
    const SettingDescRec& turn = *SliderDesc(cTurnSlider);
    settings->sliders[cTurnFineSlot - 1] = 0;
    // The turn sets the enlargement, whose stretch sets the turn; both are
    // whole steps, so they settle within a round or two.
    for (int round = 0; round < 4; ++round) {
        const double drawn = DrawnTilt(*settings, width, height, tiltDegrees);
        const int16_t steps =
            ClampToDesc(turn, static_cast<int32_t>(std::lround(drawn / TurnDegrees(1))));
        const bool settled = round > 0 && steps == settings->sliders[cTurnSlider - 1];
        settings->sliders[cTurnSlider - 1] = steps;
        if (!hideCorners || settled) break;
        SetCornerHidingScale(settings, width, height);
    }
}
