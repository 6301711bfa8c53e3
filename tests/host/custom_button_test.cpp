// The custom button through the real entry point, with the dialog replaced
// by FakeDialog.cpp: what the dialog is handed, what it can fetch, and what
// its edits do to the settings.
#include <cstdio>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "persistence/prefsloader.h"
#include "platform/memory/MacMemory.h"
#include "tests/host/HostFixture.h"

using namespace hosttest;
using pluginhost::ClipSettings;
using pluginhost::HostCall;

namespace {

std::string Hex(testframes::Pixel p) {
    char text[16];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", p.a, p.r, p.g, p.b);
    return text;
}

// The centre pixel of host frame n as the host draws it at width x height.
std::string PatternCentre(int width, int height, uint32_t n) {
    return Hex(testframes::PatternAt(width / 2, height / 2, n));
}

class CustomButton : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"HZ_FAKE_DIALOG", "HZ_FAKE_DIALOG_WALK", "HZ_FAKE_DIALOG_FORMAT",
                                 "HZ_FAKE_NO_PREVIEW", "HZ_FAKE_DIALOG_LEVEL"})
            unsetenv(name);
        setenv("HZ_FAKE_DIALOG_LOG", log.c_str(), 1);
        std::string error;
        plugin = pluginhost::LoadedPlugin::Load(HZ_FAKE_DIALOG_BUNDLE, &error);
        ASSERT_TRUE(plugin) << error;
        host = std::make_unique<pluginhost::PluginHost>(*plugin, frames);
        host->setWatcher(&recorder);
    }

    void TearDown() override {
        host.reset();
        plugin.reset();
    }

    // What the dialog saw, one line each, and forgotten for the next press.
    std::vector<std::string> Seen() {
        std::vector<std::string> lines;
        std::ifstream in(log);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        std::remove(log.c_str());
        return lines;
    }

    // Begins a clip and shows frame `shown` of it, as a host's viewer would
    // before the user presses the button.
    void ShowFrame(const ClipSettings& clip, int32_t shown) {
        ASSERT_EQ(host->BeginClip(clip), kPluginOK);
        auto dest = testframes::MakeGWorld(32, 24);
        ASSERT_EQ(host->RenderFrame(shown, dest.get(), Rect{0, 0, 24, 32}), kPluginOK);
        recorder.clear();
    }

    // The line the fake's Level press left, and forgotten with the rest.
    std::string LevelSeen() {
        for (const std::string& line : Seen())
            if (line.rfind("level", 0) == 0) return line;
        return "no level line";
    }

    std::vector<HostCall> Fetches() const {
        std::vector<HostCall> out;
        for (const auto& c : recorder.calls())
            if (c.kind == HostCall::kGetFrame) out.push_back(c);
        return out;
    }

    int Releases() const {
        int n = 0;
        for (const auto& c : recorder.calls()) n += c.kind == HostCall::kReleaseFrame;
        return n;
    }

    ScopedTempFolder prefs;
    std::string log = prefs / "dialog.log";
    PatternFrames frames;
    std::unique_ptr<pluginhost::LoadedPlugin> plugin;
    testhost::HostRecorder recorder;
    std::unique_ptr<pluginhost::PluginHost> host;
};

TEST_F(CustomButton, OpensTheDialogOnTheFrameShownAndGivesItBack) {
    ShowFrame(ClipSettings{100, 50}, 3);
    ASSERT_EQ(host->CustomButton(5), kPluginOK);

    const auto fetches = Fetches();
    ASSERT_EQ(fetches.size(), 1u);
    EXPECT_EQ(fetches[0].frameNumber, 105);
    EXPECT_EQ(fetches[0].width, 720);
    EXPECT_EQ(fetches[0].height, 480);
    EXPECT_EQ(fetches[0].quality, kDVHighQuality);
    EXPECT_EQ(Releases(), 1);
    EXPECT_EQ(host->framesOutstanding(), 0);
    // Positions run over the whole clip and start on the frame shown (clip
    // frame 5), in the block's own numbering.
    EXPECT_EQ(Seen(), (std::vector<std::string>{
                          "register", "open 720 480 0 49 5 " + PatternCentre(720, 480, 105),
                          "close ok", "unregister"}));
}

TEST_F(CustomButton, AsksForTheFrameSizeOfTheFormatChosenLastTime) {
    ShowFrame(ClipSettings{0, 10}, 0);
    struct Case {
        const char* chosen;
        int16_t width, height;
    };
    // Formats outside 1..3 work as NTSC.
    for (Case c : {Case{"2", 720, 576}, Case{"3", 960, 540}, Case{"0", 720, 480},
                   Case{"7", 720, 480}, Case{"1", 720, 480}}) {
        setenv("HZ_FAKE_DIALOG_FORMAT", c.chosen, 1);
        ASSERT_EQ(host->CustomButton(0), kPluginOK);
        recorder.clear();
        ASSERT_EQ(host->CustomButton(0), kPluginOK);
        ASSERT_FALSE(Fetches().empty());
        EXPECT_EQ(Fetches()[0].width, c.width) << "format " << c.chosen;
        EXPECT_EQ(Fetches()[0].height, c.height) << "format " << c.chosen;
        recorder.clear();
    }
}

// The saved format is NTSC; Cancel each time must put it back, or the
// movie of unknown size would open in the format of the movie before.
TEST_F(CustomButton, OpensOnTheFormatWhoseFrameFitsTheMovieUntilConfirmed) {
    struct Case {
        int16_t movieWidth, movieHeight;
        int16_t width, height;
    };
    setenv("HZ_FAKE_DIALOG", "cancel", 1);
    for (Case c : {Case{1920, 1080, 960, 540}, Case{0, 0, 720, 480}, Case{720, 576, 720, 576},
                   Case{640, 480, 720, 576}, Case{720, 480, 720, 480}, Case{1280, 544, 960, 540}}) {
        ClipSettings clip{0, 10};
        clip.movieWidth = c.movieWidth;
        clip.movieHeight = c.movieHeight;
        ShowFrame(clip, 0);
        ASSERT_EQ(host->CustomButton(0), kPluginCancel);
        ASSERT_FALSE(Fetches().empty());
        EXPECT_EQ(Fetches()[0].width, c.width) << c.movieWidth << "x" << c.movieHeight;
        EXPECT_EQ(Fetches()[0].height, c.height) << c.movieWidth << "x" << c.movieHeight;
        ASSERT_EQ(host->EndClip(), kPluginOK);
    }

    setenv("HZ_FAKE_DIALOG", "ok", 1);
    ClipSettings wide{0, 10};
    wide.movieWidth = 1920;
    wide.movieHeight = 1080;
    ShowFrame(wide, 0);
    ASSERT_EQ(host->CustomButton(0), kPluginOK);
    PluginDataRec saved{};
    ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk);
    EXPECT_EQ(saved.mediaType, kMediaHD);
}

TEST_F(CustomButton, WithoutAFrameTheDialogOpensOnBlack) {
    ShowFrame(ClipSettings{0, 10}, 0);
    setenv("HZ_FAKE_DIALOG_WALK", "1", 1);
    const std::string blackCentre = Hex(testframes::Pixel{255, 0, 0, 0});
    for (bool okWithoutBuffer : {false, true}) {
        recorder.faults().getFrame = okWithoutBuffer ? kPluginOK : kPluginCantGetNeededFrame;
        recorder.faults().getFrameWithoutBuffer = okWithoutBuffer;
        EXPECT_EQ(host->CustomButton(2), kPluginOK);
        // Fetches answered without a frame are given back all the same.
        EXPECT_EQ(host->framesOutstanding(), 0);
        const auto seen = Seen();
        ASSERT_EQ(seen.size(), 5u);
        EXPECT_EQ(seen[1], "open 720 480 0 9 2 " + blackCentre) << okWithoutBuffer;
        EXPECT_EQ(seen[2], "fetch 1 7 " + blackCentre) << okWithoutBuffer;
    }
}

// Only a table of the interface that has the slot is looked in: an older
// host's table ends before it, so what lies there is not the host's.
TEST_F(CustomButton, TheDialogMeasuresTheFrameShownThroughTheHostOnlyWhereItsTableHasTheSlot) {
    setenv("HZ_FAKE_DIALOG_LEVEL", "1", 1);
    std::vector<std::string> measured;
    host->setTiltMeter([&](const uint8_t* argb, int32_t rowBytes, int16_t width, int16_t height,
                           HYTiltRec* out) {
        const uint8_t* p = argb + static_cast<size_t>(rowBytes) * (height / 2) + 4 * (width / 2);
        measured.push_back(std::to_string(width) + " " + std::to_string(height) + " " +
                           Hex(testframes::Pixel{p[0], p[1], p[2], p[3]}));
        *out = HYTiltRec{2.5f, 0.8f, true};
        return HYPluginResult{kPluginOK};
    });
    ShowFrame(ClipSettings{100, 50}, 3);
    ASSERT_EQ(host->CustomButton(5), kPluginOK);
    EXPECT_EQ(LevelSeen(), "level 1 2.50 0.80");
    EXPECT_EQ(measured, (std::vector<std::string>{"720 480 " + PatternCentre(720, 480, 105)}));

    host->setInterfaceVersion(kHYMeasureTiltInterfaceVersion - 1);
    ASSERT_EQ(host->CustomButton(5), kPluginOK);
    EXPECT_EQ(LevelSeen(), "level disabled");
    EXPECT_EQ(measured.size(), 1u);

    host->setInterfaceVersion(kHYMeasureTiltInterfaceVersion);
    host->setTiltMeter(nullptr);
    ASSERT_EQ(host->CustomButton(5), kPluginOK);
    EXPECT_EQ(LevelSeen(), "level disabled");
}

TEST_F(CustomButton, AMeasurementOutOfItsRangesIsUntrustedAndAFailedOneIsNone) {
    setenv("HZ_FAKE_DIALOG_LEVEL", "1", 1);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        HYPluginResult result;
        HYTiltRec answer;
        const char* seen;
    };
    const char* untrusted = "level 0 0.00 0.00";
    ShowFrame(ClipSettings{0, 10}, 0);
    for (const Case& c :
         {Case{kPluginOK, {-3.25f, 0.5f, 7}, "level 1 -3.25 0.50"},
          Case{kPluginOK, {1.5f, 0.1f, false}, "level 0 1.50 0.10"},
          Case{kPluginOK, {nan, 0.9f, true}, untrusted},
          Case{kPluginOK, {-inf, 0.9f, true}, untrusted},
          Case{kPluginOK, {120, 0.9f, true}, untrusted}, Case{kPluginOK, {2, nan, true}, untrusted},
          Case{kPluginOK, {2, 1.5f, true}, untrusted}, Case{kPluginOK, {2, -0.1f, true}, untrusted},
          Case{kPluginFailed, {2, 0.9f, true}, "level failed"}}) {
        host->setTiltMeter([c](const uint8_t*, int32_t, int16_t, int16_t, HYTiltRec* out) {
            *out = c.answer;
            return c.result;
        });
        ASSERT_EQ(host->CustomButton(0), kPluginOK);
        EXPECT_EQ(LevelSeen(), c.seen) << c.answer.tiltDegrees << " " << c.answer.confidence;
    }
}

TEST_F(CustomButton, AHostWithoutFrameProceduresIsRefused) {
    HYProcs procs{};
    procs.NewPtrClear = [](int32_t size) { return NewPtrClear(size); };
    procs.DisposePtr = [](Ptr p) { DisposePtr(p); };
    HYPluginParams block{};
    block.interfaceVersion = 5;
    block.procs = &procs;
    block.selector = kPlugCustomButtonClick;
    EXPECT_EQ(plugin->Call(kPlugCustomButtonClick, &block), kPluginBadParams);
    EXPECT_TRUE(Seen().empty());
}

TEST_F(CustomButton, NoMemoryForThePreviewIsReportedAndNoDialogOpens) {
    ShowFrame(ClipSettings{0, 10}, 0);
    setenv("HZ_FAKE_NO_PREVIEW", "1", 1);
    EXPECT_EQ(host->CustomButton(0), kPluginOutOfMemory);
    EXPECT_TRUE(Seen().empty());
    EXPECT_EQ(Releases(), 1);
    EXPECT_EQ(host->framesOutstanding(), 0);
}

// The fake walks the position slider: each fetch copies the host's frame
// into the dialog's source and gives the frame back, and the host alone
// disposes of it (under the sanitizers a second free would stop the test).
TEST_F(CustomButton, PreviewFetchesLeaveTheHostsFramesToTheHost) {
    ShowFrame(ClipSettings{100, 50}, 0);
    setenv("HZ_FAKE_DIALOG_WALK", "1,49,50,-101,0", 1);
    ASSERT_EQ(host->CustomButton(0), kPluginOK);
    EXPECT_EQ(host->framesOutstanding(), 0);
    const auto seen = Seen();
    ASSERT_EQ(seen.size(), 9u);
    EXPECT_EQ(seen[1], "open 720 480 0 49 0 " + PatternCentre(720, 480, 100));
    EXPECT_EQ(seen[2], "fetch 1 0 " + PatternCentre(720, 480, 101));
    EXPECT_EQ(seen[3], "fetch 49 0 " + PatternCentre(720, 480, 149));
    EXPECT_EQ(seen[4], "fetch 50 0 " + PatternCentre(720, 480, 150));
    // Before the host's first frame nothing is asked for, and the source
    // keeps the frame it had.
    EXPECT_EQ(seen[5], "fetch -101 -1 " + PatternCentre(720, 480, 150));
    EXPECT_EQ(seen[6], "fetch 0 0 " + PatternCentre(720, 480, 100));
    EXPECT_EQ(Fetches().size(), 5u);
    EXPECT_EQ(Releases(), 5);
}

TEST_F(CustomButton, OkKeepsTheEditsForLaterClipsAndCancelPutsThemBack) {
    auto corner = [&] {
        ClipSettings clip{0, 1};
        EXPECT_EQ(host->BeginClip(clip), kPluginOK);
        auto dest = testframes::MakeGWorld(64, 48);
        EXPECT_EQ(host->RenderFrame(0, dest.get(), Rect{0, 0, 48, 64}), kPluginOK);
        EXPECT_EQ(host->EndClip(), kPluginOK);
        return testframes::PixelAt(dest.get(), 0, 0);
    };
    ShowFrame(ClipSettings{0, 1}, 0);
    ASSERT_EQ(host->EndClip(), kPluginOK);
    const testframes::Pixel before = corner();

    setenv("HZ_FAKE_DIALOG", "cancel", 1);
    ASSERT_EQ(host->CustomButton(0), kPluginCancel);
    EXPECT_EQ(corner(), before);
    PluginDataRec saved{};
    ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk);
    EXPECT_EQ(saved.sliders[cTurnSlider - 1], 0);

    setenv("HZ_FAKE_DIALOG", "ok", 1);
    ASSERT_EQ(host->CustomButton(0), kPluginOK);
    // The fake framed the middle on a blue background.
    EXPECT_EQ(corner(), (testframes::Pixel{255, 0, 0, 255}));
    ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk);
    EXPECT_EQ(saved.sliders[cTurnSlider - 1], 25);
    EXPECT_EQ(saved.colors[cBackgroundColor - 1].blue, 0xFFFF);
}

}  // namespace
