// hzfix settings: what is stored is what the plug-in reads, and nothing
// is written when a value is refused.
#include <gtest/gtest.h>

#include "persistence/prefsloader.h"
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
    // PAL is 720 x 576: moves and growth are shares of 720, truncated.
    Says(shown, "14 pixels left on a 720x576 (PAL) frame");
    Says(shown, "each side grows by 72 pixels");
    Says(shown, "21 pixels down");
    Says(shown, "0.1,0.9,0.2,0.8");
    Says(shown, "#102030");
    Says(shown, "#00FF00");
    Says(shown, "keep-proportions  on");

    // Setting one field keeps the others.
    ASSERT_EQ(Do({"set", "--format", "hd", "--turn", "-5"}).status, 0);
    shown = Do({"show"});
    Says(shown, "turned 2.0 degrees clockwise");
    Says(shown, "each side grows by 96 pixels on a 960x540 (HD) frame");
    Says(shown, "#102030");

    ASSERT_EQ(Do({"reset"}).status, 0);
    shown = Do({"show"});
    Says(shown, "nothing saved");
    Says(shown, "#000000");
}

TEST_F(HzfixSettings, RefusedValuesWriteNothing) {
    ASSERT_EQ(Do({"set", "--turn", "12"}).status, 0);
    const std::string before = Prefs();
    const std::vector<std::vector<std::string>> refused = {
        {"set", "--turn", "32768"},
        {"set", "--scale", "-32769"},
        {"set", "--move-x", "1.5"},
        {"set", "--turn", "1", "--background", "#12345G"},
        {"set", "--framing", "0,1,0"},
        {"set", "--format", "secam"},
        {"set", "--keep-proportions", "maybe"},
        {"set", "--colour", "#000000"},
        {"set"},
        {"show", "--turn", "3"},
        {"wipe"},
    };
    for (const auto& args : refused) {
        Outcome r = Do(args);
        EXPECT_EQ(r.status, 1) << args.back() << "\n" << r.err;
        EXPECT_FALSE(r.err.empty());
    }
    EXPECT_EQ(Prefs(), before);
    Says(Do({"show"}), "turned 4.8 degrees");
}

TEST_F(HzfixSettings, ExtremesOfTheSixteenBitRangeAreKept) {
    ASSERT_EQ(Do({"set", "--turn", "-32768", "--scale", "32767"}).status, 0);
    Outcome shown = Do({"show"});
    Says(shown, "turn              -32768");
    Says(shown, "scale             32767");
}

TEST_F(HzfixSettings, MessagesNameTheCauseAndAdviseOnce) {
    ASSERT_EQ(Do({"set", "--turn", "5"}).status, 0);
    const std::string saved = Prefs();
    WriteFile(dir / "config/hzfix-Prefs", saved.substr(0, saved.size() - 10));
    const Outcome damaged = Do({"show"});
    EXPECT_EQ(damaged.status, 3);
    EXPECT_NE(damaged.err.find("is damaged"), std::string::npos) << damaged.err;
    size_t advice = 0;
    for (const char* word : {"delete it", "remove it"})
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
