// A whole render, from a file to a file: decoding, the conversions into
// and out of the effect's pixels, the plug-in (turned, enlarged, moved,
// framed, faded in and out) and a lossless encoder, held by a hash of each
// written frame to the list in golden/. Both drawing paths must give the
// one list (make test-portable runs this with the fast paths off). A
// deliberate change is recorded with HZ_GOLDEN_UPDATE=1, and committed with
// its reason.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "tests/apps/hzfix/HzfixTestKit.h"

namespace {

using namespace hzfixtest;

TEST(HzfixGolden, EveryRenderedFrameMatchesTheRecordedList) {
    HzfixSandbox box;
    ClipSpec recipe;
    recipe.width = 176;
    recipe.height = 100;
    recipe.frames = 12;
    recipe.audio = false;
    recipe.videoEncoder = "ffv1";
    recipe.pixelFormat = "yuv420p";
    // A sky over a sea, its horizon tilted and moving, with gradients for
    // the interpolation and the chroma filters to work on.
    recipe.paint = [](int f, int x, int y) {
        const bool sea = y > 50 + (x - 88) / 10 + f % 4;
        const int shade = (x * 3 + y * 2 + f * 7) % 64;
        return sea ? Rgb{20 + shade, 60 + shade, 140 + shade}
                   : Rgb{120 + shade, 160 + shade / 2, 230 - shade};
    };
    MakeClip(box.dir / "sea.mkv", recipe);
    const Outcome r = box.Do({"render",
                              box.dir / "sea.mkv",
                              box.dir / "out.mkv",
                              "-q",
                              "-c:v",
                              "ffv1",
                              "--defaults",
                              "--turn",
                              "7",
                              "--scale",
                              "4",
                              "--move-x",
                              "3",
                              "--move-y",
                              "-2",
                              "--framing",
                              "0.05,0.95,0.1,0.9",
                              "--background",
                              "#204060",
                              "--fade-in",
                              "3",
                              "--fade-out",
                              "3"});
    ASSERT_EQ(r.status, 0) << r.err;

    std::ostringstream got;
    int frame = 0;
    for (uint64_t h : PlaneHashes(box.dir / "out.mkv"))
        got << frame++ << " " << std::hex << h << std::dec << "\n";
    EXPECT_EQ(frame, recipe.frames);
    const std::string list = std::string(HZ_GOLDEN_DIR) + "/render-ffv1.txt";
    if (std::getenv("HZ_GOLDEN_UPDATE")) {
        std::ofstream(list) << got.str();
        GTEST_SKIP() << "recorded " << list;
    }
    std::ifstream file(list);
    ASSERT_TRUE(file) << "no list at " << list;
    std::stringstream want;
    want << file.rdbuf();
    EXPECT_EQ(got.str(), want.str());
}

}  // namespace
