#include <gtest/gtest.h>

#include "engine/DataHandling.h"
#include "engine/EngineEntry.h"
#include "platform/memory/MacMemory.h"
#include "tests/support/TestFrames.h"

namespace {

// An image to hold in a record; any buffer's snapshot will do.
CGImageRef SomeImage() {
    testframes::GWorldHolder gw = testframes::MakeGWorld(4, 3);
    testframes::FillPattern(gw.get(), 7);
    CGContextRef ctx = nullptr;
    QDBeginCGContext(gw.get(), &ctx);
    CGImageRef image = CGBitmapContextCreateImage(ctx);
    QDEndCGContext(gw.get(), &ctx);
    return image;
}

PluginDataPtr NewRecord() {
    uint32_t size = 0;
    pGetConfigSize(&size);
    auto* record = reinterpret_cast<PluginDataPtr>(NewPtrClear(static_cast<Size>(size)));
    ResetConfig(record, true);
    return record;
}

TEST(ResetConfig, APartialResetKeepsPicturesAndTheSecondFrameColour) {
    PluginDataPtr config = NewRecord();
    CGImageRef picture = SomeImage();
    config->theOriginalImage = picture;
    config->theRendered = picture;
    config->frameEndColor = RGBColor{1, 2, 3};
    config->sliders[3] = 40;
    config->colors[0] = RGBColor{9, 9, 9};
    config->startRel = {0.2, 0.3, 0.4, 0.5};
    config->mediaType = kMediaHD;
    config->keepProps = true;
    ResetConfig(config, false);
    EXPECT_EQ(config->theOriginalImage, picture);
    EXPECT_EQ(config->theRendered, picture);
    EXPECT_EQ(config->frameEndColor.green, 2);
    EXPECT_EQ(config->sliders[3], 0);
    EXPECT_EQ(config->colors[0].red, 0);
    EXPECT_EQ(config->startRel.left, 0.0);
    EXPECT_EQ(config->startRel.right, 1.0);
    EXPECT_EQ(config->frameStartColor.red, 65535);
    EXPECT_EQ(config->mediaType, kMediaNTSC);
    EXPECT_FALSE(config->keepProps);
    CGImageRelease(picture);
    DisposePtr(reinterpret_cast<Ptr>(config));
}

TEST(CopyConfig, ACopyOwnsItsRenderedPictureAndHoldsNoOriginal) {
    PluginDataPtr master = NewRecord();
    PluginDataPtr copy = NewRecord();
    master->theOriginalImage = SomeImage();
    master->theRendered = SomeImage();
    master->sliders[0] = 5;
    pCopyConfig(master, copy);
    EXPECT_EQ(copy->sliders[0], 5);
    EXPECT_EQ(copy->theOriginalImage, nullptr);
    ASSERT_NE(copy->theRendered, nullptr);
    EXPECT_NE(copy->theRendered, master->theRendered);
    pUncopyConfig(copy);
    pCopyConfig(master, nullptr);  // nothing to copy into: nothing happens
    EXPECT_EQ(GetMediaFormat(nullptr), kMediaNTSC);
    EXPECT_EQ(GetMediaFormat(master), kMediaNTSC);
    pUncopyConfig(master);
    CGImageRelease(master->theOriginalImage);
    DisposePtr(reinterpret_cast<Ptr>(copy));
    DisposePtr(reinterpret_cast<Ptr>(master));
}

TEST(CopyConfigDeathTest, BlocksOfDifferentSizesStopTheProcess) {
    PluginDataPtr master = NewRecord();
    Ptr small = NewPtrClear(8);
    EXPECT_EXIT(pCopyConfig(master, small), ::testing::ExitedWithCode(70),
                "Non-Matching Blocks\nThe Size of Source and Dest do not match");
    DisposePtr(small);
    DisposePtr(reinterpret_cast<Ptr>(master));
}

}  // namespace
