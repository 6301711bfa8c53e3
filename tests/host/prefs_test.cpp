#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "persistence/prefsloader.h"
#include "tests/host/HostFixture.h"

namespace {

// Runs the probe in a process of its own: a fresh load of the bundle.
std::string RunProbe() {
    const std::string command = std::string(HZ_BUNDLE_PROBE) + " '" + hosttest::BundleDir() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return "popen failed";
    std::string out;
    std::array<char, 256> buffer;
    while (fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
    const int status = pclose(pipe);
    return status == 0 ? out : "probe failed: " + out;
}

TEST(PreferencesAcrossLoads, TheBundleStartsFromWhatWasSaved) {
    ScopedTempFolder prefs;
    // First load: no file yet; the defaults are saved.
    EXPECT_EQ(RunProbe(), "#00FF00\n#00FF00\n");
    PluginDataRec saved{};
    ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk);
    EXPECT_EQ(saved.startRel.right, 1.0);

    saved.startRel = {0.25, 0.75, 0.25, 0.75};
    saved.colors[0] = RGBColor{0, 0, 0xFFFF};
    ASSERT_EQ(StorePrefs(saved).status, PrefsStatus::cOk);
    // Two more loads, each in its own process, both framing on blue; the
    // first writes the settings back unchanged for the second.
    EXPECT_EQ(RunProbe(), "#00FF00\n#0000FF\n");
    EXPECT_EQ(RunProbe(), "#00FF00\n#0000FF\n");
    PluginDataRec again{};
    ASSERT_EQ(LoadPrefs(&again).status, PrefsStatus::cOk);
    EXPECT_EQ(again.startRel.left, 0.25);
    EXPECT_EQ(again.colors[0].blue, 0xFFFF);
}

}  // namespace
