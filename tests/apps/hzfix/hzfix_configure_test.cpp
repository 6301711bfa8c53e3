// hzfix configure with the stand-in dialog (tests/host/FakeDialog.cpp): the
// dialog sees the clip's own frames, and what it confirms is what the next
// render uses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

// Frame n is a flat grey of level 20 + 5n, so a frame is known by its grey.
int GreyOf(int frame) { return 20 + 5 * frame; }
constexpr int kTolerance = 4;

class HzfixConfigure : public ::testing::Test {
  protected:
    TempDir dir;
    std::string log = dir / "dialog.log";

    std::string Clip(int width = 160, int height = 120) const {
        ClipSpec recipe;
        recipe.width = width;
        recipe.height = height;
        recipe.paint = [](int frame, int, int) {
            return Rgb{GreyOf(frame), GreyOf(frame), GreyOf(frame)};
        };
        MakeClip(dir / "in.mp4", recipe);
        return dir / "in.mp4";
    }
    Outcome Configure(std::vector<std::string> args, std::vector<std::string> env) const {
        args.insert(args.begin(), {"--plugin", HZ_FAKE_DIALOG_BUNDLE, "configure"});
        env.push_back("XDG_CONFIG_HOME=" + dir / "config");
        env.push_back("HZ_FAKE_DIALOG_LOG=" + log);
        return Hzfix(args, env);
    }
    Outcome Real(std::vector<std::string> args) const {
        return Hzfix(args, {"XDG_CONFIG_HOME=" + dir / "config"});
    }
    // The red level of the centre pixel the dialog logged on a line.
    static int CentreRed(const std::string& line) {
        return static_cast<int>(std::strtol(line.substr(line.size() - 6, 2).c_str(), nullptr, 16));
    }
    std::vector<std::string> Seen() const {
        std::vector<std::string> lines;
        std::istringstream in(ReadFile(log));
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

TEST_F(HzfixConfigure, TheDialogWalksTheClipAndOkReachesTheNextRender) {
    const std::string in = Clip(320, 180);
    Outcome r = Configure({in, "--at", "0.4"},
                          {"QT_QPA_PLATFORM=offscreen", "HZ_FAKE_DIALOG_WALK=11,15,39,0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("settings saved"), std::string::npos) << r.out;
    const auto seen = Seen();
    ASSERT_EQ(seen.size(), 8u) << ReadFile(log);
    // A 16:9 clip opens in the HD format's frame. 0.4 s at 25 fps is frame
    // 10, where the dialog starts; positions run over the whole clip, so the
    // user can step back to its first frame.
    EXPECT_EQ(seen[1].substr(0, 21), "open 960 540 0 39 10 ");
    EXPECT_NEAR(CentreRed(seen[1]), GreyOf(10), kTolerance);
    const int frames[] = {11, 15, 39, 0};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NE(seen[2 + i].find(" 0 "), std::string::npos) << seen[2 + i];
        EXPECT_NEAR(CentreRed(seen[2 + i]), GreyOf(frames[i]), kTolerance) << seen[2 + i];
    }
    EXPECT_EQ(seen[6], "close ok");

    // The real plug-in renders with what the dialog confirmed: the middle
    // framed, on blue.
    r = Real({"render", in, dir / "out.mp4", "-q", "--fade-in", "0", "--fade-out", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_LE(Distance(DecodeFrame(dir / "out.mp4", 20).Mean(4, 4, 2), Rgb{0, 0, 255}), 24);
}

TEST_F(HzfixConfigure, CancelKeepsTheSettingsAndNoDisplayIsRefusedUpFront) {
    const std::string in = Clip();
    Outcome r = Configure({in}, {"QT_QPA_PLATFORM=offscreen", "HZ_FAKE_DIALOG=cancel"});
    // A script tells Cancel from OK by the status.
    EXPECT_EQ(r.status, 6) << r.err;
    EXPECT_NE(r.out.find("cancelled; the saved settings are unchanged"), std::string::npos)
        << r.out;
    EXPECT_EQ(Seen()[1].substr(0, 19), "open 720 576 0 39 0");
    r = Real({"settings", "show"});
    EXPECT_NE(r.out.find("turn              0"), std::string::npos) << r.out;

    std::remove(log.c_str());
    r = Configure({in}, {"DISPLAY=", "WAYLAND_DISPLAY=", "QT_QPA_PLATFORM="});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("no display"), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(log));

    r = Configure({in, "--at", "2"}, {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("past the end"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace hzfixtest
