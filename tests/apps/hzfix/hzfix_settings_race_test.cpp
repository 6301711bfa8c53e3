// hzfix settings against other programs changing the preferences at the
// same moment: every change that reports success is in the file afterwards.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <thread>

#include "persistence/prefsloader.h"
#include "persistence/prefslock.h"
#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

class HzfixSettingsRace : public ::testing::Test {
  protected:
    TempDir dir;
    void SetUp() override { setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1); }
    std::vector<std::string> Env() const { return {"XDG_CONFIG_HOME=" + dir / "config"}; }
    Child Start(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--plugin", BundleDir()});
        return StartHzfix(args, Env());
    }
    static PluginDataRec Saved() {
        PluginDataRec stored{};
        EXPECT_EQ(LoadPrefs(&stored).status, PrefsStatus::cOk);
        return stored;
    }
};

// Two writers of different fields and a plug-in whose first call reads and
// saves back, all at once: each used to write back what it had read and
// undo the others.
TEST_F(HzfixSettingsRace, NoChangeIsLostToAnotherWriter) {
    ASSERT_EQ(Finish(Start({"settings", "set", "--turn", "0"})).status, 0);
    ClipSpec recipe;
    recipe.frames = 3;
    recipe.audio = false;
    MakeClip(dir / "clip.mp4", recipe);
    for (int round = 1; round <= 15; ++round) {
        const std::string n = std::to_string(round);
        const Child turn = Start({"settings", "set", "--turn", n});
        const Child reader = Start({"thumbnail", dir / "clip.mp4", dir / "t.png", "-y"});
        const Child scale = Start({"settings", "set", "--scale", n});
        for (const Child& c : {turn, reader, scale}) {
            const Outcome r = Finish(c);
            ASSERT_EQ(r.status, 0) << r.err;
        }
        const PluginDataRec stored = Saved();
        ASSERT_EQ(stored.sliders[cTurnSlider - 1], round) << "round " << round;
        ASSERT_EQ(stored.sliders[cScaleSlider - 1], round) << "round " << round;
    }
}

// A change in progress here holds the lock: `settings set` waits for it,
// says so after a second, and then builds on it.
TEST_F(HzfixSettingsRace, ASetWaitsForAChangeInProgress) {
    ASSERT_EQ(Finish(Start({"settings", "set", "--turn", "1"})).status, 0);
    Child waiting;
    {
        const PrefsLockRec lock;
        ASSERT_TRUE(lock.held());
        PluginDataRec config = Saved();
        waiting = Start({"settings", "set", "--scale", "9"});
        std::this_thread::sleep_for(std::chrono::milliseconds(cPrefsLockPatienceMs + 500));
        config.sliders[cTurnSlider - 1] = 2;
        ASSERT_EQ(StorePrefs(config).status, PrefsStatus::cOk);
    }
    const Outcome r = Finish(waiting);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("waiting for another program"), std::string::npos) << r.err;
    const PluginDataRec stored = Saved();
    EXPECT_EQ(stored.sliders[cTurnSlider - 1], 2);
    EXPECT_EQ(stored.sliders[cScaleSlider - 1], 9);
}

}  // namespace
}  // namespace hzfixtest
