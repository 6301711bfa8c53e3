// A sea view whose horizon is tilted clockwise, with waves and a sailing
// boat that move, so a levelled render is easy to judge by eye.
#ifndef HZ_APPS_SAMPLEGEN_SCENE_H
#define HZ_APPS_SAMPLEGEN_SCENE_H

#include <cstdint>
#include <vector>

namespace samplegen {

class Scene {
  public:
    Scene(int width, int height, double tiltDegrees);
    // Draws the scene at `seconds` into 32-bit pixels (bytes A, R, G, B).
    void Draw(double seconds, uint8_t* argb, int stride) const;

  private:
    int width_, height_;
    double cos_, sin_;
    std::vector<float> sine_;  // one period, for the waves
};

}  // namespace samplegen

#endif
