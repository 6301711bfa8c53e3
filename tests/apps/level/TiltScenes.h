// Scenes whose tilt is known, for measuring how well a tilt is found: each
// is drawn in its own level frame and turned clockwise on screen by `tilt`.
#ifndef HZ_TESTS_APPS_LEVEL_TILTSCENES_H
#define HZ_TESTS_APPS_LEVEL_TILTSCENES_H

#include <cstdint>
#include <vector>

namespace tiltscenes {

enum class SceneKind {
    cSea,     // the sample clip's sea: one long horizon and wave crests
    cCity,    // house fronts, windows and masts: short lines, many upright
    cClouds,  // a low-contrast horizon partly hidden under soft clouds
    cPlanks,  // boards in perspective: diagonals only
    cBlobs,   // soft round shapes: no straight line at all
};

const char* SceneName(SceneKind kind);

// width * height pixels of bytes A, R, G, B, rows of width * 4 bytes.
std::vector<uint8_t> DrawScene(SceneKind kind, int width, int height, double tiltDegrees);

}  // namespace tiltscenes

#endif
