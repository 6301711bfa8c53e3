// `settings set` killed at any moment: the preferences file holds the old
// settings or the new ones, never a mix or nothing, and the next save leaves
// no temporary file behind. Seeded: HZ_KILL_SEED reruns one sequence.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <random>
#include <thread>

#include "persistence/prefsloader.h"
#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

constexpr int cRounds = 30;

TEST(HzfixSettingsKill, AKilledSaveLeavesTheOldOrTheNewSettings) {
    TempDir dir;
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    const std::vector<std::string> env = {"XDG_CONFIG_HOME=" + dir / "config"};
    // Kills fall anywhere in a whole run and a little past it, however
    // loaded the machine is.
    const auto started = std::chrono::steady_clock::now();
    ASSERT_EQ(Hzfix({"settings", "set", "--turn", "0"}, env).status, 0);
    const auto run = std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - started);

    const char* seedText = std::getenv("HZ_KILL_SEED");
    const unsigned seed = seedText ? std::strtoul(seedText, nullptr, 10) : std::random_device{}();
    SCOPED_TRACE("HZ_KILL_SEED=" + std::to_string(seed));
    std::mt19937 random(seed);
    std::uniform_int_distribution<long> delayUs(0, run.count() * 5 / 4);

    int turn = 0;
    for (int round = 1; round <= cRounds; ++round) {
        const Child child = StartHzfix({"settings", "set", "--turn", std::to_string(round)}, env);
        std::this_thread::sleep_for(std::chrono::microseconds(delayUs(random)));
        kill(child.pid, SIGKILL);
        Finish(child);
        PluginDataRec stored{};
        const PrefsResultRec r = LoadPrefs(&stored);
        ASSERT_EQ(r.status, PrefsStatus::cOk) << "round " << round << ": " << r.message;
        const int now = stored.sliders[cTurnSlider - 1];
        ASSERT_TRUE(now == turn || now == round) << "round " << round << " found " << now;
        turn = now;
    }
    ASSERT_EQ(Hzfix({"settings", "set", "--scale", "1"}, env).status, 0);
    for (const auto& entry : std::filesystem::directory_iterator(dir / "config")) {
        const std::string name = entry.path().filename();
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace hzfixtest
