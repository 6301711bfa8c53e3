#include "apps/samplegen/Scene.h"

#include <algorithm>
#include <cmath>

namespace samplegen {

namespace {

constexpr int cSineSize = 1024;
constexpr double cPi = 3.14159265358979323846;

struct Colour {
    double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void Put(uint8_t* p, Colour c) {
    p[0] = 255;
    p[1] = static_cast<uint8_t>(std::clamp(c.r, 0.0, 255.0));
    p[2] = static_cast<uint8_t>(std::clamp(c.g, 0.0, 255.0));
    p[3] = static_cast<uint8_t>(std::clamp(c.b, 0.0, 255.0));
}

}  // namespace

Scene::Scene(int width, int height, double tiltDegrees)
    : width_(width),
      height_(height),
      cos_(std::cos(tiltDegrees * cPi / 180)),
      sin_(std::sin(tiltDegrees * cPi / 180)),
      sine_(cSineSize) {
    for (int i = 0; i < cSineSize; ++i)
        sine_[i] = static_cast<float>(std::sin(2 * cPi * i / cSineSize));
}

void Scene::Draw(double seconds, uint8_t* argb, int stride) const {
    const double cx = width_ / 2.0, cy = height_ / 2.0;
    const double size = std::max(width_, height_);
    const Colour zenith{40, 90, 170}, haze{205, 225, 240}, sea{20, 70, 105}, deep{8, 35, 60};
    const Colour sun{255, 240, 190}, hull{70, 40, 30}, sail{250, 250, 245};
    const double sunU = -0.22 * size, sunV = -0.17 * size, sunR = 0.045 * size;
    // The boat crosses a third of the frame in the clip's first seconds.
    const double boatU = (-0.35 + 0.06 * seconds) * size, boatLen = 0.07 * size;
    const double wavePhase = seconds * 2.5;

    for (int y = 0; y < height_; ++y) {
        uint8_t* row = argb + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width_; ++x) {
            // u runs along the horizon, v across it (down is positive):
            // the scene's own level frame, turned clockwise on screen.
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double u = dx * cos_ + dy * sin_;
            const double v = -dx * sin_ + dy * cos_;
            Colour c;
            if (v < 0) {
                const double t = std::min(1.0, -v / (0.6 * size));
                c = Mix(haze, zenith, t * (2 - t));
                const double du = u - sunU, dv = v - sunV;
                const double d = std::sqrt(du * du + dv * dv);
                if (d < sunR)
                    c = sun;
                else if (d < sunR * 1.6)
                    c = Mix(sun, c, (d - sunR) / (0.6 * sunR));
            } else {
                c = Mix(sea, deep, v / (0.5 * size));
                // Crests parallel to the horizon, crowding towards it.
                const double depth = 1.0 / (v / size + 0.01);
                const int i = static_cast<int>((depth * 1.2 + u * 0.004 + wavePhase) * cSineSize /
                                               (2 * cPi)) &
                              (cSineSize - 1);
                const double wave = sine_[i] * std::min(1.0, v / (0.05 * size));
                c = {c.r + 18 * wave, c.g + 22 * wave, c.b + 26 * wave};
            }
            // Hull below the waterline, sail above it.
            const double bu = u - boatU;
            if (std::abs(bu) < boatLen / 2 && v > -0.008 * size && v < 0.004 * size) c = hull;
            if (bu > -boatLen * 0.3 && bu < boatLen * 0.3 && v < -0.008 * size &&
                v > -0.008 * size - (boatLen * 0.3 - std::abs(bu)) * 2.2)
                c = sail;
            Put(row + 4 * x, c);
        }
    }
}

}  // namespace samplegen
