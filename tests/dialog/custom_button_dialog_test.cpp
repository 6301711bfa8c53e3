// The whole way round through the built bundle: the host's custom button
// opens the real dialog on the host's frames, the frame buttons fetch more
// of them, and what OK confirms is what the next clip renders with.
#include <QAbstractSlider>
#include <QTest>

#include "apps/pluginhost/PluginHost.h"
#include "persistence/prefsloader.h"
#include "tests/dialog/DialogTestKit.h"
#include "tests/host/HostFixture.h"
#include "tests/support/HostRecorder.h"

namespace {

using dialogtest::DialogTest;

std::vector<uint8_t> Pixels(GWorldPtr gw) {
    const auto* base = reinterpret_cast<const uint8_t*>(gw->pixMap.baseAddr);
    return std::vector<uint8_t>(base, base + size_t(gw->pixMap.rowBytes) * gw->portBounds.bottom);
}

TEST_F(DialogTest, TheCustomButtonOpensTheDialogOnTheHostsFramesAndOKReachesTheNextClip) {
    std::string error;
    auto plugin = pluginhost::LoadedPlugin::Load(hosttest::BundleDir(), &error);
    ASSERT_TRUE(plugin) << error;
    hosttest::PatternFrames frames;
    testhost::HostRecorder recorder;  // first: the host's end still calls it
    pluginhost::PluginHost host(*plugin, frames);
    host.setWatcher(&recorder);
    pluginhost::ClipSettings clip;
    clip.startFrame = 100;
    clip.frameCount = 10;
    const Rect frameRect = {0, 0, 480, 720};
    testframes::GWorldHolder before = testframes::MakeGWorld(720, 480);
    ASSERT_EQ(host.BeginClip(clip), kPluginOK);
    ASSERT_EQ(host.RenderFrame(0, before.get(), frameRect), kPluginOK);
    recorder.clear();

    QStringList positions;
    HYPluginResult result = kPluginFailed;
    Drive({[&] {
              positions << Text("ClpM", 1);
              Click("Adva");
              positions << Text("ClpM", 1);
              auto* turn = qobject_cast<QAbstractSlider*>(Control("Sldr", 1));
              turn->setFocus();
              QTest::keyClick(turn, Qt::Key_PageUp);
              Click("ok  ");
          }},
          [&] { result = host.CustomButton(2); });
    EXPECT_EQ(result, kPluginOK);
    // The dialog opens on frame 2 of the clip's 10, all of them in reach.
    EXPECT_EQ(positions, (QStringList{"2/9", "3/9"}));
    std::vector<int32_t> asked;
    for (const auto& call : recorder.calls())
        if (call.kind == pluginhost::HostCall::kGetFrame) asked.push_back(call.frameNumber);
    EXPECT_EQ(asked, (std::vector<int32_t>{102, 103}));
    EXPECT_EQ(host.framesOutstanding(), 0);

    PluginDataRec saved{};
    ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk);
    EXPECT_GT(saved.sliders[0], 0);
    ASSERT_EQ(host.EndClip(), kPluginOK);
    ASSERT_EQ(host.BeginClip(clip), kPluginOK);
    testframes::GWorldHolder after = testframes::MakeGWorld(720, 480);
    ASSERT_EQ(host.RenderFrame(0, after.get(), frameRect), kPluginOK);
    EXPECT_NE(Pixels(before.get()), Pixels(after.get()));
}

}  // namespace
