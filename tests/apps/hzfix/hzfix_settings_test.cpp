// hzfix settings: what is stored is what the plug-in reads, and nothing
// is written when a value is refused.
#include <gtest/gtest.h>

#include <filesystem>

#include "persistence/prefsloader.h"
#include "record/SettingsTable.h"
#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

class HzfixSettings : public ::testing::Test {
  protected:
    TempDir dir;
    Outcome Do(std::vector<std::string> args) const {
        args.insert(args.begin(), "settings");
        return Hzfix(args, {"XDG_CONFIG_HOME=" + dir / "config"});
    }
    std::string Prefs() const { return ReadFile(dir / "config/hzfix-Prefs"); }
    static void Says(const Outcome& r, const std::string& text) {
        EXPECT_NE(r.out.find(text), std::string::npos) << "missing: " << text << "\n" << r.out;
    }
};

TEST_F(HzfixSettings, SetShowResetRoundTrip) {
    Outcome shown = Do({"show"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    Says(shown, "nothing saved");
    Says(shown, "turn              0");

    Outcome set = Do({"set", "--turn", "7", "--move-x", "-2", "--scale", "10", "--move-y", "3",
                      "--framing", "0.1,0.9,0.2,0.8", "--background", "#102030", "--frame-color",
                      "#00ff00", "--format", "pal", "--keep-proportions", "on"});
    ASSERT_EQ(set.status, 0) << set.err;
    // What the plug-in will read back, field by field.
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    PluginDataRec stored{};
    ASSERT_EQ(LoadPrefs(&stored).status, PrefsStatus::cOk);
    EXPECT_EQ(std::vector<int16_t>(stored.sliders, stored.sliders + cNumSliders),
              (std::vector<int16_t>{7, -2, 0, 10, 3, 0}));
    EXPECT_EQ(stored.startRel.left, 0.1);
    EXPECT_EQ(stored.startRel.bottom, 0.8);
    EXPECT_EQ(stored.colors[0].red, 0x1010);
    EXPECT_EQ(stored.colors[0].blue, 0x3030);
    EXPECT_EQ(stored.frameStartColor.green, 0xFFFF);
    EXPECT_EQ(stored.mediaType, kMediaPAL);
    EXPECT_TRUE(stored.keepProps);
    shown = Do({"show"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    Says(shown, "saved settings");
    Says(shown, "turned 2.8 degrees counter-clockwise");
    // The framing is 576 x 345 of PAL's 720 x 576: moves and growth are
    // shares of its 576, truncated, as the renderer takes them.
    Says(shown, "11 pixels left on a 720x576 (PAL) frame");
    Says(shown, "each side grows by 57 pixels");
    Says(shown, "17 pixels down");
    Says(shown, "0.1,0.9,0.2,0.8");
    Says(shown, "#102030");
    Says(shown, "#00FF00");
    Says(shown, "keep-proportions  on");

    // Setting one field keeps the others.
    ASSERT_EQ(Do({"set", "--format", "hd", "--turn", "-5"}).status, 0);
    shown = Do({"show"});
    Says(shown, "turned 2.0 degrees clockwise");
    Says(shown, "each side grows by 76 pixels on a 960x540 (HD) frame");
    Says(shown, "#102030");

    ASSERT_EQ(Do({"reset"}).status, 0);
    shown = Do({"show"});
    Says(shown, "nothing saved");
    Says(shown, "#000000");
}

TEST_F(HzfixSettings, RefusedValuesWriteNothingAndSayWhatIsTaken) {
    ASSERT_EQ(Do({"set", "--turn", "12"}).status, 0);
    const std::string before = Prefs();
    const struct {
        std::vector<std::string> args;
        std::string says;
    } refused[] = {
        {{"set", "--turn", "226"}, "--turn: 226 is out of range (-225 to 225)"},
        {{"set", "--turn", "-90.3deg"}, "--turn: -90.3deg is out of range (-90deg to 90deg)"},
        {{"set", "--scale", "-1000"}, "--scale: -1000 is out of range (-25 to 100)"},
        {{"set", "--move-y", "101"}, "--move-y: 101 is out of range (-100 to 100)"},
        {{"set", "--move-x", "1.5"}, "not a whole number"},
        {{"set", "--framing", "1,0,1,0"}, "left 1 is not below right 0"},
        {{"set", "--framing", "-1,2,0,1"}, "-1 is outside the frame"},
        {{"set", "--framing", "0,1,0.5,0.5"}, "top 0.5 is not below bottom 0.5"},
        {{"set", "--framing", "0,1,0,1.01"}, "each edge 0 to 1, left below right, top below"},
        {{"set", "--turn", "1", "--background", "#12345G"}, "not a colour"},
        {{"set", "--framing", "0,1,0"}, "expected 4 numbers"},
        {{"set", "--format", "secam"}, "not one of ntsc 720x480, pal 720x576, hd 960x540"},
        {{"set", "--keep-proportions", "maybe"}, "neither on nor off"},
        {{"set", "--colour", "#000000"}, "unknown option"},
        {{"set"}, "name at least one"},
        {{"reset", "--turn", "3"}, "takes no settings"},
        {{"show", "--as", "vlc"}, "not one of file, ffmpeg, melt"},
        {{"wipe"}, "unknown action"},
    };
    for (const auto& c : refused) {
        Outcome r = Do(c.args);
        EXPECT_EQ(r.status, 1) << c.args.back() << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    // Shown with a setting changed, for this showing only.
    const Outcome changed = Do({"show", "--turn", "3"});
    Says(changed, "turned 1.2 degrees");
    Says(changed, "not saved");
    EXPECT_EQ(Prefs(), before);
    Says(Do({"show"}), "turned 4.8 degrees");
}

// The limits' own ends are taken, in steps and in degrees.
TEST_F(HzfixSettings, TheEndsOfEachRangeAreKept) {
    ASSERT_EQ(Do({"set", "--turn", "-90deg", "--scale", "-25", "--move-x", "100"}).status, 0);
    Outcome shown = Do({"show"});
    Says(shown, "turn              -225");
    Says(shown, "scale             -25");
    Says(shown, "move-x            100");
}

// A block another program saved may hold what hzfix refuses: it still
// loads, and what is outside is said, with what the dialog shows instead.
TEST_F(HzfixSettings, SavedValuesOutsideTheLimitsLoadAndAreNamed) {
    PluginDataRec elsewhere = cDefaultSettings;
    elsewhere.sliders[cScaleSlider - 1] = 500;
    elsewhere.startRel = RelRect{0.5, 0.25, 0, 1};
    elsewhere.mediaType = 9;
    std::filesystem::create_directories(dir / "config");
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    ASSERT_EQ(StorePrefs(elsewhere).status, PrefsStatus::cOk);
    const std::string saved = Prefs();

    Outcome shown = Do({"show"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    Says(shown, "scale             500");
    Says(shown, "outside -25 to 100, the dialog shows 100");
    Says(shown, "(left 0.5 is not below right 0.25)");
    Says(shown, "format            9");
    Says(shown, "(no format is numbered 9)");

    Outcome file = Do({"show", "--as", "file"});
    ASSERT_EQ(file.status, 0) << file.err;
    EXPECT_NE(file.err.find("the saved scale 500 lies outside -25 to 100"), std::string::npos)
        << file.err;
    EXPECT_EQ(Prefs(), saved);
}

// Reset is how a user repairs the file: what it held stays beside it.
TEST_F(HzfixSettings, ResetRepairsADamagedFileAndKeepsItBeside) {
    ASSERT_EQ(Do({"set", "--turn", "5"}).status, 0);
    const std::string good = Prefs();
    const std::string damaged = good.substr(0, good.size() - 10);
    WriteFile(dir / "config/hzfix-Prefs", damaged);
    Outcome r = Do({"reset"});
    ASSERT_EQ(r.status, 0) << r.err;
    Says(r, "kept as " + dir / "config/hzfix-Prefs.damaged");
    EXPECT_EQ(ReadFile(dir / "config/hzfix-Prefs.damaged"), damaged);
    Outcome shown = Do({"show"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    Says(shown, "turn              0");
    ASSERT_EQ(Do({"set", "--turn", "6"}).status, 0);
    Says(Do({"show"}), "turn              6");
}

TEST_F(HzfixSettings, AClipsOwnFrameIsDescribedWhenNamed) {
    MakeClip(dir / "in.mp4", ClipSpec{});
    Outcome set = Do({"set", "--move-x", "10", "--scale", "-5", "--for", dir / "in.mp4"});
    ASSERT_EQ(set.status, 0) << set.err;
    Says(set, "16 pixels right on " + dir / "in.mp4's 160x120 frames");
    Outcome shown = Do({"show", "--for", dir / "in.mp4"});
    Says(shown, "each side shrinks by 8 pixels on " + dir / "in.mp4's 160x120 frames");
    Says(Do({"show"}), "72 pixels right on a 720x480 (NTSC) frame");
    EXPECT_EQ(Do({"show", "--for", dir / "none.mp4"}).status, 3);
}

TEST_F(HzfixSettings, MessagesNameTheCauseAndAdviseOnce) {
    ASSERT_EQ(Do({"set", "--turn", "5"}).status, 0);
    const std::string saved = Prefs();
    WriteFile(dir / "config/hzfix-Prefs", saved.substr(0, saved.size() - 10));
    const Outcome damaged = Do({"show"});
    EXPECT_EQ(damaged.status, 3);
    EXPECT_NE(damaged.err.find("is damaged"), std::string::npos) << damaged.err;
    size_t advice = 0;
    for (const char* word : {"settings reset", "delete it", "remove it"})
        for (size_t at = damaged.err.find(word); at != std::string::npos;
             at = damaged.err.find(word, at + 1))
            ++advice;
    EXPECT_EQ(advice, 1u) << damaged.err;

    WriteFile(dir / "not-a-folder", "x");
    const Outcome set =
        Hzfix({"settings", "set", "--turn", "1"}, {"XDG_CONFIG_HOME=" + dir / "not-a-folder"});
    EXPECT_EQ(set.status, 4);
    EXPECT_NE(set.err.find("is a file, not a folder"), std::string::npos) << set.err;
}

}  // namespace
}  // namespace hzfixtest
