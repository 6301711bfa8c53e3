// The tilt found on scenes turned by known, uneven angles.
#include <gtest/gtest.h>

#include <cmath>

#include "apps/level/FrameTilt.h"
#include "tests/apps/level/TiltScenes.h"

namespace {

using tiltscenes::SceneKind;

constexpr int kWidth = 1280, kHeight = 720;

level::FrameTiltRec MeasureScene(SceneKind kind, double tilt, int width = kWidth,
                                 int height = kHeight) {
    const std::vector<uint8_t> argb = tiltscenes::DrawScene(kind, width, height, tilt);
    level::TiltMeter meter;
    return meter.MeasureArgb(argb.data(), width * 4, width, height);
}

TEST(FrameTilt, FindsTheTiltOfSceneWithLevelLines) {
    const SceneKind kinds[] = {SceneKind::cSea, SceneKind::cCity, SceneKind::cClouds};
    const double tilts[] = {-7.3, -2.65, -0.35, 0.0, 1.15, 4.85, 7.9};
    for (SceneKind kind : kinds)
        for (double tilt : tilts) {
            const level::FrameTiltRec r = MeasureScene(kind, tilt);
            EXPECT_TRUE(r.reliable)
                << tiltscenes::SceneName(kind) << " at " << tilt << ": confidence " << r.confidence;
            EXPECT_NEAR(r.tiltDegrees, tilt, 0.1) << tiltscenes::SceneName(kind) << " confidence "
                                                  << r.confidence << " lines " << r.linesUsed;
        }
}

TEST(FrameTilt, GivesNoHorizonWithoutLevelLines) {
    for (SceneKind kind : {SceneKind::cPlanks, SceneKind::cBlobs})
        for (double tilt : {0.0, 3.3}) {
            const level::FrameTiltRec r = MeasureScene(kind, tilt);
            EXPECT_FALSE(r.reliable) << tiltscenes::SceneName(kind) << " confidence "
                                     << r.confidence << " tilt " << r.tiltDegrees;
        }
}

}  // namespace

namespace {

// Paints `argb` black outside a rectangle of the frame's size turned by
// `degrees` about the centre: the corners a turn without enlargement leaves.
void BlackenWedges(std::vector<uint8_t>* argb, int width, int height, double degrees) {
    const double a = degrees * 3.14159265358979 / 180, cs = std::cos(a), sn = std::sin(a);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double dx = x + 0.5 - width / 2.0, dy = y + 0.5 - height / 2.0;
            const double u = dx * cs - dy * sn, v = dx * sn + dy * cs;
            if (std::abs(u) <= width / 2.0 && std::abs(v) <= height / 2.0) continue;
            uint8_t* p = argb->data() + (static_cast<size_t>(y) * width + x) * 4;
            p[1] = p[2] = p[3] = 0;
        }
}

void BlackenBars(std::vector<uint8_t>* argb, int width, int height, int bar) {
    for (int y = 0; y < height; ++y)
        if (y < bar || y >= height - bar)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = argb->data() + (static_cast<size_t>(y) * width + x) * 4;
                p[1] = p[2] = p[3] = 0;
            }
}

// The edges of an earlier turn's wedges and of letterbox bars lean by the
// turn and not at all: counted, they would pull the answer towards them.
TEST(FrameTilt, IgnoresUncoveredWedgesAndBars) {
    struct Case {
        SceneKind kind;
        double tilt, wedges;
        int bar;
    };
    const Case cases[] = {
        {SceneKind::cSea, 2.35, 5.2, 0},
        {SceneKind::cClouds, -3.45, -4.0, 0},
        {SceneKind::cSea, 1.55, 0, 90},
        {SceneKind::cClouds, -1.2, 0, 60},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> argb = tiltscenes::DrawScene(c.kind, kWidth, kHeight, c.tilt);
        if (c.wedges != 0) BlackenWedges(&argb, kWidth, kHeight, c.wedges);
        if (c.bar) BlackenBars(&argb, kWidth, kHeight, c.bar);
        level::TiltMeter meter;
        const level::FrameTiltRec r = meter.MeasureArgb(argb.data(), kWidth * 4, kWidth, kHeight);
        EXPECT_TRUE(r.reliable) << tiltscenes::SceneName(c.kind) << " " << c.tilt;
        EXPECT_NEAR(r.tiltDegrees, c.tilt, 0.1) << tiltscenes::SceneName(c.kind) << " " << c.tilt;
        int edges = 0;
        for (const level::LineRec& l : r.lines) edges += l.use == level::LineUse::cEdge;
        EXPECT_GT(edges, 0) << tiltscenes::SceneName(c.kind) << " " << c.tilt;
    }
}

}  // namespace
