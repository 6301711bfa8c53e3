#include "TiltScenes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "apps/samplegen/Scene.h"

namespace tiltscenes {

namespace {

struct Colour {
    double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// A smooth pseudo-random field from a few sines, 0..1.
double Swirl(double u, double v, double seed) {
    double s = 0;
    for (int i = 1; i <= 4; ++i)
        s += std::sin(u * 0.011 * i + seed * i + std::sin(v * 0.007 * i + seed)) *
             std::cos(v * 0.013 * i - seed * 0.5 * i) / i;
    return 0.5 + 0.35 * s;
}

// u across, v down, both in pixels from the centre of a level scene of
// longer side `size`.
Colour City(double u, double v, double size) {
    const double ground = 0.18 * size;
    if (v > ground) return Mix({90, 88, 80}, {50, 48, 45}, (v - ground) / (0.3 * size));
    const double houseWidth = 0.09 * size;
    const double k = std::floor(u / houseWidth);
    const double within = u - k * houseWidth;
    const double hash = std::fmod(std::abs(std::sin(k * 12.9898) * 43758.5453), 1.0);
    const double roof = ground - (0.12 + 0.3 * hash) * size;
    if (within > 0.04 * houseWidth && v > roof) {
        const Colour wall{150 + 80 * hash, 120 + 60 * hash, 100 + 40 * (1 - hash)};
        const double wx = std::fmod(within, 0.2 * houseWidth),
                     wy = std::fmod(v - roof, 0.05 * size);
        if (wx > 0.08 * houseWidth && wy > 0.015 * size && wy < 0.035 * size &&
            v < ground - 0.02 * size)
            return {40, 50, 70};
        return wall;
    }
    // A mast between some houses.
    if (hash > 0.6 && within < 0.012 * houseWidth && v > roof - 0.1 * size) return {30, 30, 30};
    return Mix({190, 210, 235}, {70, 120, 190}, (ground - v) / (0.6 * size));
}

Colour Clouds(double u, double v, double size) {
    const double horizon = 0.08 * size;
    Colour c = v > horizon ? Mix({70, 80, 60}, {40, 50, 35}, (v - horizon) / (0.4 * size))
                           : Mix({175, 180, 190}, {120, 135, 160}, (horizon - v) / (0.6 * size));
    // Clouds thicken towards the horizon and hide parts of it.
    const double cloud =
        Swirl(u, v * 2.5, 1.3) - 0.35 + 0.4 * std::exp(-std::abs(v - horizon) / (0.05 * size));
    if (v < horizon + 0.01 * size) c = Mix(c, {200, 200, 205}, std::clamp(cloud, 0.0, 1.0) * 0.9);
    return c;
}

Colour Planks(double u, double v, double size) {
    // Boards running away from the viewer, meeting at a point off to the side.
    const double vx = 0.9 * size, vy = -0.7 * size;
    const double a = std::atan2(v - vy, u - vx);
    const double band = std::fmod(std::abs(a) * 40, 1.0);
    const double grain = 0.5 + 0.5 * std::sin(std::hypot(u - vx, v - vy) * 0.05);
    return band < 0.08 ? Colour{40, 25, 15} : Mix({160, 110, 70}, {130, 85, 50}, grain);
}

Colour Blobs(double u, double v, double) {
    const double s = Swirl(u * 0.6, v * 0.6, 0.4), t = Swirl(v * 0.5, u * 0.7, 2.1);
    return {60 + 150 * s, 90 + 100 * t, 160 - 80 * s * t};
}

}  // namespace

const char* SceneName(SceneKind kind) {
    switch (kind) {
        case SceneKind::cSea:
            return "sea";
        case SceneKind::cCity:
            return "city";
        case SceneKind::cClouds:
            return "clouds";
        case SceneKind::cPlanks:
            return "planks";
        case SceneKind::cBlobs:
            return "blobs";
    }
    return "";
}

std::vector<uint8_t> DrawScene(SceneKind kind, int width, int height, double tiltDegrees) {
    std::vector<uint8_t> argb(static_cast<size_t>(width) * height * 4);
    if (kind == SceneKind::cSea) {
        samplegen::Scene(width, height, tiltDegrees).Draw(1.0, argb.data(), width * 4);
        return argb;
    }
    const double radians = tiltDegrees * std::numbers::pi / 180;
    const double cs = std::cos(radians), sn = std::sin(radians);
    const double size = std::max(width, height);
    // 3 x 3 samples a pixel, so edges are as smooth as a camera's.
    constexpr int kSub = 3;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Colour sum{0, 0, 0};
            for (int sy = 0; sy < kSub; ++sy)
                for (int sx = 0; sx < kSub; ++sx) {
                    const double dx = x + (sx + 0.5) / kSub - width / 2.0;
                    const double dy = y + (sy + 0.5) / kSub - height / 2.0;
                    const double u = dx * cs + dy * sn, v = -dx * sn + dy * cs;
                    Colour c{};
                    switch (kind) {
                        case SceneKind::cCity:
                            c = City(u, v, size);
                            break;
                        case SceneKind::cClouds:
                            c = Clouds(u, v, size);
                            break;
                        case SceneKind::cPlanks:
                            c = Planks(u, v, size);
                            break;
                        case SceneKind::cBlobs:
                            c = Blobs(u, v, size);
                            break;
                        case SceneKind::cSea:
                            break;
                    }
                    sum = {sum.r + c.r, sum.g + c.g, sum.b + c.b};
                }
            uint8_t* p = argb.data() + (static_cast<size_t>(y) * width + x) * 4;
            p[0] = 255;
            p[1] = static_cast<uint8_t>(std::clamp(sum.r / (kSub * kSub), 0.0, 255.0));
            p[2] = static_cast<uint8_t>(std::clamp(sum.g / (kSub * kSub), 0.0, 255.0));
            p[3] = static_cast<uint8_t>(std::clamp(sum.b / (kSub * kSub), 0.0, 255.0));
        }
    return argb;
}

}  // namespace tiltscenes
