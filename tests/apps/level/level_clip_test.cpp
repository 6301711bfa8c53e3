// Which frames of a clip are measured, and how their tilts make one.
#include <gtest/gtest.h>

#include <cmath>

#include "apps/level/ClipTilt.h"
#include "apps/level/TiltFollower.h"
#include "apps/level/TiltSampler.h"

namespace {

using level::FrameSampleRec;

FrameSampleRec Sample(double tilt, double confidence = 0.9, bool reliable = true) {
    return {0, 0, reliable, tilt, confidence, 10};
}

TEST(CombineFrames, KeepsTheAgreeingFramesAndCountsTheRest) {
    struct Case {
        const char* what;
        std::vector<FrameSampleRec> frames;
        bool reliable;
        double tilt;
        int used;
    };
    const Case cases[] = {
        {"all agree", {Sample(2.0), Sample(2.1), Sample(1.95)}, true, 2.0167, 3},
        {"a frame past a roof is left out",
         {Sample(2.0), Sample(2.1), Sample(7.0), Sample(1.95), Sample(2.05)},
         true,
         2.025,
         4},
        {"frames without a horizon do not move it",
         {Sample(-3.0), Sample(9.0, 0.2, false), Sample(-3.2)},
         true,
         -3.1,
         2},
        {"mostly no horizon",
         {Sample(1.0), Sample(0, 0, false), Sample(0, 0, false)},
         false,
         1.0,
         1},
        {"half the frames agree",
         {Sample(1.0, 1), Sample(1.1, 1), Sample(0, 0, false), Sample(0, 0, false)},
         true,
         1.05,
         2},
        {"two horizons", {Sample(0.0), Sample(0.1), Sample(5.0), Sample(5.1)}, false, 0.05, 2},
        {"two horizons, one a frame ahead",
         {Sample(0.0), Sample(0.1), Sample(0.0), Sample(0.1), Sample(0.0), Sample(2.0), Sample(2.1),
          Sample(2.0), Sample(2.1)},
         false,
         0.04,
         5},
        {"frames just trusted, one past a roof",
         {Sample(1.0, 0.3), Sample(1.0, 0.3), Sample(1.0, 0.3), Sample(1.0, 0.3), Sample(1.0, 0.3),
          Sample(1.0, 0.3), Sample(1.0, 0.3), Sample(1.0, 0.3), Sample(1.6, 0.3)},
         true,
         1.0,
         8},
        {"frames just trusted among doubtful ones",
         {Sample(1.0, 0.26), Sample(1.0, 0.26), Sample(1.0, 0.26), Sample(1.0, 0.26),
          Sample(1.0, 0.26), Sample(1.0, 0.06, false), Sample(1.0, 0.06, false),
          Sample(1.0, 0.06, false), Sample(1.0, 0.06, false)},
         false,
         1.0,
         5},
        {"nothing found", {Sample(0, 0.1, false)}, false, 0, 0},
    };
    for (const Case& c : cases) {
        const level::ClipTiltRec clip = level::CombineFrames(c.frames);
        EXPECT_EQ(clip.reliable, c.reliable) << c.what << ": confidence " << clip.confidence;
        EXPECT_NEAR(clip.tiltDegrees, c.tilt, 1e-3) << c.what;
        EXPECT_EQ(clip.framesUsed, c.used) << c.what;
        EXPECT_GE(clip.confidence, 0) << c.what;
        EXPECT_LE(clip.confidence, 1) << c.what;
    }
}

TEST(SampleFrames, TakesKeyFramesWhereThereAreEnough) {
    const std::vector<int64_t> everyTen = {0, 250, 500, 750, 1000, 1250};
    struct Case {
        const char* what;
        std::vector<int64_t> keys;
        int64_t first, last;
        int count;
        std::vector<int64_t> frames;
    };
    const Case cases[] = {
        {"a long clip", everyTen, 0, 1499, 9, {0, 250, 500, 750, 1000, 1250}},
        {"a range between key frames", everyTen, 260, 440, 3, {290, 350, 410}},
        {"two key frames are too few", everyTen, 200, 520, 3, {253, 360, 467}},
        {"one frame", everyTen, 500, 500, 9, {500}},
        {"one frame between keys", everyTen, 77, 77, 9, {77}},
        {"every frame a key", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, 0, 9, 3, {1, 5, 8}},
        {"nothing", everyTen, 10, 9, 9, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(level::SampleFrames(c.keys, c.first, c.last, c.count), c.frames) << c.what;
}

// A step of 3° halfway through 5 s at 25 fps, measured with a jitter of
// ±0.15°, two frames fooled by something leaning (+3°) and five without a
// horizon.
TEST(FollowTilt, SmoothsTheJitterKeepsTheStepAndFillsTheGaps) {
    constexpr int cFrames = 125, cStep = 62;
    const auto truth = [](int f) { return f < cStep ? -1.4 : 1.6; };
    uint32_t seed = 12345;
    const auto jitter = [&seed] {
        seed = seed * 1664525 + 1013904223;
        return (seed >> 8) / double(1 << 24) * 0.3 - 0.15;
    };
    std::vector<FrameSampleRec> samples;
    int reliable = 0;
    for (int f = 0; f < cFrames; ++f) {
        FrameSampleRec s = Sample(truth(f) + jitter());
        s.frame = f;
        if (f == 20 || f == 22) s.tiltDegrees += 3;
        if (f >= 90 && f < 95) s = {f, 0, false, 8, 0.1, 1};
        reliable += s.reliable;
        samples.push_back(s);
    }
    const level::FollowedTiltRec followed = level::FollowTilt(samples, 0, cFrames - 1, 25);
    ASSERT_TRUE(followed.reliable);
    ASSERT_EQ(followed.tiltDegrees.size(), size_t{cFrames});
    EXPECT_EQ(followed.framesMeasured, static_cast<int>(samples.size()));
    EXPECT_EQ(followed.framesReliable, reliable);
    const std::vector<double>& t = followed.tiltDegrees;
    for (int f = 0; f < cFrames; ++f) {
        EXPECT_NEAR(t[f], truth(f), 0.1) << "frame " << f;
        if (f > 0 && f != cStep) {
            EXPECT_LE(std::abs(t[f] - t[f - 1]), 0.05) << "frame " << f;
        }
    }
    EXPECT_NEAR(t[cStep] - t[cStep - 1], 3, 0.1) << "the step stays one step";

    std::vector<FrameSampleRec> none(10, Sample(0, 0.1, false));
    EXPECT_FALSE(level::FollowTilt(none, 0, 9, 25).reliable);
}

}  // namespace
