// A host that keeps each clip's settings hands them over at begin and before
// every frame; the plug-in renders with them and leaves the preferences file
// alone. An older host's table has no such slot and changes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "persistence/prefsloader.h"
#include "record/SettingsTable.h"
#include "tests/host/HostFixture.h"

namespace hosttest {
namespace {

using pluginhost::ClipSettings;

// Only the middle quarter of the frame kept; the rest in `background`.
std::vector<uint8_t> Framed(RGBColor background) {
    PluginDataRec settings = cDefaultSettings;
    settings.startRel = {0.25, 0.75, 0.25, 0.75};
    settings.colors[cBackgroundColor - 1] = background;
    return Config2Bytes(settings);
}

class ClipSettingsTest : public HostTest {
  protected:
    testframes::Pixel Corner(int32_t frame) {
        auto dest = testframes::MakeGWorld(32, 24);
        EXPECT_EQ(host->RenderFrame(frame, dest.get(), Rect{0, 0, 24, 32}), kPluginOK);
        return testframes::PixelAt(dest.get(), 0, 0);
    }
    bool PrefsFileExists() const { return std::filesystem::exists(PrefsFilePath()); }
};

TEST_F(ClipSettingsTest, EveryFrameRendersWithTheSettingsOfItsMoment) {
    host->setClipSettings(Framed({65535, 0, 0}));
    ASSERT_EQ(host->BeginClip(ClipSettings{0, 3}), kPluginOK);
    EXPECT_EQ(Corner(0), (testframes::Pixel{255, 255, 0, 0}));
    host->setClipSettings(Framed({0, 0, 65535}));
    EXPECT_EQ(Corner(1), (testframes::Pixel{255, 0, 0, 255}));
    EXPECT_EQ(host->EndClip(), kPluginOK);
    EXPECT_FALSE(PrefsFileExists()) << "the host keeps the settings; the file is not the clip's";
}

TEST_F(ClipSettingsTest, ABlockThePlugInCannotReadFailsTheRequest) {
    std::vector<uint8_t> block = Framed({65535, 0, 0});
    block[4] ^= 0x7f;  // the version
    host->setClipSettings(block);
    EXPECT_EQ(host->BeginClip(ClipSettings{0, 3}), kPluginBadParams);
    host->setClipSettings(Framed({65535, 0, 0}));
    ASSERT_EQ(host->BeginClip(ClipSettings{0, 3}), kPluginOK);
    host->setClipSettings(block);
    auto dest = testframes::MakeGWorld(32, 24);
    EXPECT_EQ(host->RenderFrame(0, dest.get(), Rect{0, 0, 24, 32}), kPluginBadParams);
}

TEST_F(ClipSettingsTest, AHostOfAnOlderInterfaceRendersWithTheSavedSettings) {
    host->setInterfaceVersion(kHYClipSettingsInterfaceVersion - 1);
    host->setClipSettings(Framed({65535, 0, 0}));
    ASSERT_EQ(host->BeginClip(ClipSettings{7, 3}), kPluginOK);
    // The effect's defaults leave the picture as it came.
    EXPECT_EQ(Corner(0), testframes::PatternAt(0, 0, 7));
    EXPECT_TRUE(PrefsFileExists());
}

}  // namespace
}  // namespace hosttest
