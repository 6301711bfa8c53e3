// horizonfix.so as a frei0r host loads it: its description, its parameters
// and their limits, and frames that are the plug-in's own, whichever
// instance, size or thread renders them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "apps/pluginhost/PluginHost.h"
#include "persistence/prefsloader.h"
#include "record/SettingsTable.h"
#include "tests/apps/frei0r/Frei0rLibrary.h"
#include "tests/platform/files/ScopedTempFolder.h"
#include "tests/support/TestFrames.h"

namespace {

struct Frei0r : testfrei0r::Frei0rLibrary {
    Frei0r() : Frei0rLibrary(HZ_FREI0R_PATH) {}
};

// Pixels as frei0r holds them (R G B A bytes), from the shared test pattern.
std::vector<uint32_t> Pattern(int width, int height, uint32_t seed) {
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const testframes::Pixel p = testframes::PatternAt(x, y, seed);
            const uint8_t rgba[4] = {p.r, p.g, p.b, p.a};
            std::memcpy(&pixels[static_cast<size_t>(y) * width + x], rgba, 4);
        }
    return pixels;
}

std::vector<uint32_t> Render(const Frei0r& f, f0r_instance_t instance, int width, int height,
                             uint32_t seed) {
    const std::vector<uint32_t> in = Pattern(width, height, seed);
    std::vector<uint32_t> out(in.size());
    f.update(instance, 0, in.data(), out.data());
    return out;
}

class Frei0rTest : public ::testing::Test {
  protected:
    ScopedTempFolder prefs;
    Frei0r f;
};

TEST_F(Frei0rTest, DescribesAFilterWhoseParametersStartAtTheEffectsDefaults) {
    ASSERT_TRUE(f.handle) << dlerror();
    EXPECT_EQ(f.init(), 1);
    EXPECT_EQ(f.init(), 1) << "hosts call it again";
    f0r_plugin_info_t plugin;
    f.info(&plugin);
    EXPECT_STREQ(plugin.name, "horizonfix");
    EXPECT_EQ(plugin.plugin_type, F0R_PLUGIN_TYPE_FILTER);
    EXPECT_EQ(plugin.color_model, F0R_COLOR_MODEL_RGBA8888);
    for (int i = 0; i < plugin.num_params; ++i) {
        f0r_param_info_t p;
        f.paramInfo(&p, i);
        for (const char* c = p.name; *c; ++c)
            EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(*c)) || *c == '-') << p.name;
    }
    f0r_instance_t instance = f.construct(31, 17);
    ASSERT_TRUE(instance);
    EXPECT_DOUBLE_EQ(f.Value(instance, "turn"), 0.5);
    EXPECT_DOUBLE_EQ(f.Value(instance, "move-x"), 0.5);
    EXPECT_DOUBLE_EQ(f.Value(instance, "scale"), 0.2);
    EXPECT_DOUBLE_EQ(f.Value(instance, "framing-right"), 1);
    EXPECT_DOUBLE_EQ(f.Value(instance, "mix"), 0);
    // Defaults leave every pixel as it came, at a size no multiple of 8.
    EXPECT_EQ(Render(f, instance, 31, 17, 3), Pattern(31, 17, 3));
    f.destruct(instance);
    EXPECT_FALSE(std::filesystem::exists(PrefsFilePath())) << "the preferences are not the host's";
}

TEST_F(Frei0rTest, ValuesOutsideTheRangeAreClampedAndNaNChangesNothing) {
    f0r_instance_t instance = f.construct(16, 16);
    ASSERT_TRUE(instance);
    const struct {
        double given, kept;
    } cases[] = {{0.75, 0.75}, {7, 1}, {-3, 0}, {std::numeric_limits<double>::quiet_NaN(), 0}};
    for (const auto& c : cases) {
        f.Set(instance, "turn", c.given);
        // The turn moves in hundredths of its 450 steps over 0..1.
        EXPECT_NEAR(f.Value(instance, "turn"), c.kept, 0.005 / 450) << c.given;
    }
    f.destruct(instance);
}

// The frame as the plug-in renders it for its own host with the same
// settings: the adapter adds nothing but the pixel order.
std::vector<uint32_t> ThroughThePlugIn(int width, int height, uint32_t seed, int turn, int scale) {
    struct Frames : pluginhost::FrameProvider {
        uint32_t seed;
        HYPluginResult ProvideFrame(int32_t, HYRefDVQuality, GWorldPtr out) override {
            testframes::FillPattern(out, seed);
            return kPluginOK;
        }
    } frames;
    frames.seed = seed;
    std::string error;
    auto plugin = pluginhost::LoadedPlugin::Load(HZ_BUNDLE_PATH, &error);
    EXPECT_TRUE(plugin) << error;
    pluginhost::PluginHost host(*plugin, frames);
    PluginDataRec settings = cDefaultSettings;
    settings.sliders[cTurnSlider - 1] = static_cast<int16_t>(turn);
    settings.sliders[cScaleSlider - 1] = static_cast<int16_t>(scale);
    host.setClipSettings(Config2Bytes(settings));
    EXPECT_EQ(host.BeginClip(pluginhost::ClipSettings{0, 1000}), kPluginOK);
    auto dest = testframes::MakeGWorld(width, height);
    EXPECT_EQ(
        host.RenderFrame(0, dest.get(),
                         Rect{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)}),
        kPluginOK);
    std::vector<uint32_t> out;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const testframes::Pixel p = testframes::PixelAt(dest.get(), x, y);
            const uint8_t rgba[4] = {p.r, p.g, p.b, p.a};
            uint32_t v;
            std::memcpy(&v, rgba, 4);
            out.push_back(v);
        }
    return out;
}

TEST_F(Frei0rTest, InstancesOfTwoSizesOnTwoThreadsGiveThePlugInsOwnFrames) {
    const int turn = 5, scale = 10;
    const auto want1 = ThroughThePlugIn(64, 36, 1, turn, scale);
    const auto want2 = ThroughThePlugIn(37, 53, 2, turn, scale);
    auto run = [&](int width, int height, uint32_t seed, std::vector<uint32_t>* got) {
        f0r_instance_t instance = f.construct(width, height);
        ASSERT_TRUE(instance);
        f.Set(instance, "turn", (turn + 225) / 450.0);
        f.Set(instance, "scale", (scale + 25) / 125.0);
        for (int i = 0; i < 20; ++i) *got = Render(f, instance, width, height, seed);
        f.destruct(instance);
    };
    std::vector<uint32_t> got1, got2;
    std::thread a(run, 64, 36, 1, &got1), b(run, 37, 53, 2, &got2);
    a.join();
    b.join();
    EXPECT_EQ(got1, want1);
    EXPECT_EQ(got2, want2);
    EXPECT_NE(got1, Pattern(64, 36, 1)) << "the effect was applied";
}

TEST_F(Frei0rTest, MixOneGivesTheUntouchedFrame) {
    f0r_instance_t instance = f.construct(40, 30);
    ASSERT_TRUE(instance);
    f.Set(instance, "turn", 0.6);
    f.Set(instance, "mix", 1);
    EXPECT_EQ(Render(f, instance, 40, 30, 9), Pattern(40, 30, 9));
    f.destruct(instance);
}

}  // namespace
