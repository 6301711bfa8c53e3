#include <cstring>

#include "tests/host/HostFixture.h"

using namespace hosttest;
using pluginhost::ClipSettings;
using pluginhost::HostCall;

namespace {

using HostLifecycle = HostTest;

TEST_F(HostLifecycle, DescribesItselfAsAFilterWithThreeSliders) {
    host->block().getInfo.pluginFlags = 0x1;
    HYPluginParams info;
    ASSERT_EQ(host->GetInfo(77, &info), kPluginOK);
    EXPECT_EQ(info.getInfo.pluginType, kPluginFilterType);
    EXPECT_EQ(info.getInfo.pluginFlags, 0x1u | 0x380u | 0x1000u);
    EXPECT_EQ(info.getInfo.framesToBeRendered, 77);
    EXPECT_EQ(info.getInfo.takeFromClipAfter, 77);
    EXPECT_EQ(info.getInfo.takeFromClipBefore, 0);
    EXPECT_EQ(info.getInfo2.baseMemoryNeeded, 50000);
    // Each label from its own entry of the bundle's string lists, in order.
    for (int i = 0; i < kHYFilterSliderCount; ++i) {
        const auto& slider = info.getInfo2.filterSliders[i];
        EXPECT_EQ(slider.defaultValue, 0.5f);
        EXPECT_EQ(std::string(slider.label),
                  "Slider " + std::to_string(i + 1) + " (not used: see Adjust Horizon)");
        EXPECT_STREQ(slider.minLabel, "Min");
        EXPECT_STREQ(slider.maxLabel, "Max");
    }
    EXPECT_STREQ(info.getInfo2.group, "Horizon Fix");
    EXPECT_STREQ(info.getInfo3.buttonTitle, "Adjust Horizon...");
}

TEST_F(HostLifecycle, RefusesWhatItCannotWorkWith) {
    EXPECT_EQ(plugin->Call(kPlugGetInfo, nullptr), kPluginBadParams);
    // Too old an interface is answered before anything else is read.
    HYPluginParams old;
    std::memset(&old, 0xA5, sizeof old);
    old.interfaceVersion = 3;
    EXPECT_EQ(plugin->Call(kPlugDoFrame, &old), kPluginAppIsTooOld);
    HYPluginParams noProcs{};
    noProcs.interfaceVersion = 5;
    noProcs.selector = kPlugInitialize;
    EXPECT_EQ(plugin->Call(kPlugInitialize, &noProcs), kPluginBadParams);
    // A frame request without a begun clip.
    auto dest = testframes::MakeGWorld(8, 8);
    EXPECT_EQ(host->RenderFrame(0, dest.get(), Rect{0, 0, 8, 8}), kPluginBadParams);
}

TEST_F(HostLifecycle, UnhandledSelectorsLeaveTheClipAlone) {
    ASSERT_EQ(host->BeginClip(ClipSettings{0, 10}), kPluginOK);
    void* clip = host->block().clientData;
    for (int selector : {0, 3, 4, 7, 10, 255}) {
        EXPECT_EQ(host->Send(static_cast<HYPluginSelector>(selector)), kPluginOK) << selector;
        EXPECT_EQ(host->block().clientData, clip);
    }
    EXPECT_EQ(host->EndClip(), kPluginOK);
    EXPECT_EQ(host->block().clientData, nullptr);
    EXPECT_EQ(host->EndClip(), kPluginOK);  // a second end finds nothing to free
}

TEST_F(HostLifecycle, AFilterInfoFailureIsBeginsAnswerAndEndStillFrees) {
    recorder.faults().getFilterInfo = kPluginFailed;
    EXPECT_EQ(host->BeginClip(ClipSettings{0, 10, 3, 3}), kPluginFailed);
    EXPECT_TRUE(host->clipOpen());
    EXPECT_EQ(host->EndClip(), kPluginOK);
    EXPECT_FALSE(host->clipOpen());
}

TEST_F(HostLifecycle, NoFilterRecordMeansNoFades) {
    ClipSettings clip{0, 10, 5, 5};
    clip.withoutFilterRecord = true;
    ASSERT_EQ(host->BeginClip(clip), kPluginOK);
    auto dest = testframes::MakeGWorld(16, 12);
    for (int32_t f = 0; f < 10; ++f)
        ASSERT_EQ(host->RenderFrame(f, dest.get(), Rect{0, 0, 12, 16}), kPluginOK);
    EXPECT_TRUE(BlitOpacities().empty());
    EXPECT_EQ(CountCalls(HostCall::kReleaseFilterInfo), 0);
}

TEST_F(HostLifecycle, BeginTwiceOnOneRecordKeepsOneSettingsCopy) {
    ASSERT_EQ(host->BeginClip(ClipSettings{0, 10}), kPluginOK);
    void* clip = host->block().clientData;
    ASSERT_EQ(host->BeginClip(ClipSettings{0, 10}), kPluginOK);  // the sanitizer build counts leaks
    EXPECT_EQ(host->block().clientData, clip);
    EXPECT_EQ(host->EndClip(), kPluginOK);
}

TEST_F(HostLifecycle, APlaceholderLeavesTheHostsClipIntact) {
    ASSERT_EQ(host->BeginClip(ClipSettings{0, 30}), kPluginOK);
    void* clip = host->block().clientData;
    auto thumb = testframes::MakeGWorld(32, 24);
    EXPECT_EQ(host->PlaceHolder(ClipSettings{0, 30}, 12, thumb.get()), kPluginOK);
    EXPECT_EQ(host->block().clientData, clip);
    auto source = testframes::MakeGWorld(32, 24);
    testframes::FillPattern(source.get(), 12);
    EXPECT_EQ(testframes::MaxDifference(thumb.get(), source.get(), Rect{0, 0, 24, 32}), 0);
    // The clip's own record still works after the placeholder's cycle.
    auto dest = testframes::MakeGWorld(32, 24);
    EXPECT_EQ(host->RenderFrame(3, dest.get(), Rect{0, 0, 24, 32}), kPluginOK);
    EXPECT_EQ(host->EndClip(), kPluginOK);
    EXPECT_EQ(host->framesOutstanding(), 0);
}

TEST_F(HostLifecycle, APlaceholderWhoseBeginFailsFreesItsRecord) {
    recorder.faults().getFilterInfo = kPluginTryAgainLater;
    auto thumb = testframes::MakeGWorld(8, 8);
    EXPECT_EQ(host->PlaceHolder(ClipSettings{0, 5}, 0, thumb.get()), kPluginTryAgainLater);
    EXPECT_EQ(CountCalls(HostCall::kGetFrame), 0);
}

}  // namespace

namespace {

TEST(BundleCopy, FindsItsOwnResourcesWhereverItIsCopied) {
    ScopedTempFolder folder;
    const std::string copy = folder / "Elsewhere.bundle";
    std::filesystem::copy(BundleDir(), copy, std::filesystem::copy_options::recursive);
    std::string error;
    auto plugin = pluginhost::LoadedPlugin::Load(copy, &error);
    ASSERT_TRUE(plugin) << error;
    PatternFrames frames;
    pluginhost::PluginHost host(*plugin, frames);
    HYPluginParams info;
    ASSERT_EQ(host.GetInfo(1, &info), kPluginOK);
    EXPECT_STREQ(info.getInfo2.group, "Horizon Fix");

    std::string missing;
    EXPECT_FALSE(pluginhost::LoadedPlugin::Load(folder / "Nothing.bundle", &missing));
    EXPECT_NE(missing.find("Nothing.bundle"), std::string::npos);
}

}  // namespace
