// hzfix end to end: clips made here, rendered by the real program and
// plug-in, and measured frame by frame.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "apps/media/OutputFile.h"
#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

constexpr Rgb kSource{200, 60, 40};
constexpr Rgb kBlue{0, 0, 255};
// Two passes of lossy 4:2:0 coding; chroma edges smear further.
constexpr int kTolerance = 24;

class HzfixRender : public ::testing::Test, protected HzfixSandbox {
  protected:
    std::string Clip(const std::string& name, ClipSpec recipe = {}) const {
        if (!recipe.paint) recipe.paint = [](int, int, int) { return kSource; };
        MakeClip(dir / name, recipe);
        return dir / name;
    }
    // Keep the middle half of the frame; the rest turns blue.
    void FrameTheMiddle() const {
        Outcome r =
            Do({"settings", "set", "--framing", "0.25,0.75,0.25,0.75", "--background", "#0000FF"});
        ASSERT_EQ(r.status, 0) << r.err;
    }
    static ClipSpec Short() {
        ClipSpec recipe;
        recipe.frames = 5;
        recipe.audio = false;
        return recipe;
    }
    bool OnlyFinalFilesIn(const std::vector<std::string>& allowed) const {
        for (const auto& e : dir.Entries())
            if (e != "config" && std::find(allowed.begin(), allowed.end(), e) == allowed.end())
                return false;
        return true;
    }
};

TEST_F(HzfixRender, KeepsFrameCountRateSizeAndAudioLength) {
    const std::string in = Clip("in.mp4");
    Outcome r = Do({"render", in, dir / "out.mp4", "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("copied"), std::string::npos) << r.out;
    VideoFacts a = Inspect(in), b = Inspect(dir / "out.mp4");
    EXPECT_EQ(b.frames, 40);
    EXPECT_EQ(b.width, 160);
    EXPECT_EQ(b.height, 120);
    EXPECT_DOUBLE_EQ(b.fps, 25);
    ASSERT_TRUE(b.hasAudio);
    EXPECT_EQ(b.audioSamples, a.audioSamples);
    EXPECT_NEAR(b.audioSamples, 1.6 * 48000, 1024);
    EXPECT_TRUE(OnlyFinalFilesIn({"in.mp4", "out.mp4"}));
}

TEST_F(HzfixRender, BackgroundFillsOutsideTheFramingRectangle) {
    FrameTheMiddle();
    const std::string in = Clip("in.mkv");
    Outcome r = Do({"render", in, dir / "out.mkv", "--fade-in", "0", "--fade-out", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    Picture p = DecodeFrame(dir / "out.mkv", 20);
    // Rectangle (40, 30)-(120, 90): source inside, background outside.
    for (auto [x, y] : {std::pair{10, 10}, {150, 10}, {10, 110}, {150, 110}, {80, 15}, {20, 60}})
        EXPECT_LE(Distance(p.Mean(x, y, 2), kBlue), kTolerance) << x << "," << y;
    for (auto [x, y] : {std::pair{80, 60}, {48, 38}, {112, 82}})
        EXPECT_LE(Distance(p.Mean(x, y, 2), kSource), kTolerance) << x << "," << y;
}

TEST_F(HzfixRender, FadesBlendTheUntouchedFrameAtBothEnds) {
    FrameTheMiddle();
    const std::string in = Clip("in.mp4");
    Outcome r = Do({"render", in, dir / "out.mp4", "--fade-in", "10", "--fade-out", "10"});
    ASSERT_EQ(r.status, 0) << r.err;
    auto corner = [&](int frame) { return DecodeFrame(dir / "out.mp4", frame).Mean(8, 8, 3); };
    auto blend = [](double opacity) {
        auto mix = [&](int s, int b) { return static_cast<int>(s * opacity + b * (1 - opacity)); };
        return Rgb{mix(kSource.r, kBlue.r), mix(kSource.g, kBlue.g), mix(kSource.b, kBlue.b)};
    };
    // Opacity of the untouched frame: 255 at frame 0, 127 at 5, none in
    // the middle, 25 at 31 and 229 at the last frame.
    EXPECT_LE(Distance(corner(0), kSource), kTolerance);
    EXPECT_LE(Distance(corner(5), blend(127 / 255.0)), kTolerance);
    EXPECT_LE(Distance(corner(20), kBlue), kTolerance);
    EXPECT_LE(Distance(corner(31), blend(25 / 255.0)), kTolerance);
    EXPECT_LE(Distance(corner(39), blend(229 / 255.0)), kTolerance);
}

TEST_F(HzfixRender, PartOfAClipStartsAtTheRightFrameWithItsAudio) {
    ClipSpec recipe;
    recipe.paint = [](int f, int, int) { return Rgb{20 + 5 * f, 100, 100}; };
    const std::string in = Clip("in.mp4", recipe);
    Outcome r = Do({"render", in, dir / "part.mov", "--start", "0.4", "--duration", "0.8"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("encoded"), std::string::npos) << r.out;
    VideoFacts b = Inspect(dir / "part.mov");
    EXPECT_EQ(b.frames, 20);
    ASSERT_TRUE(b.hasAudio);
    EXPECT_NEAR(b.audioSamples, 0.8 * 48000, 1024);
    EXPECT_NEAR(DecodeFrame(dir / "part.mov", 0).Mean(80, 60, 4).r, 20 + 5 * 10, 6);
    EXPECT_NEAR(DecodeFrame(dir / "part.mov", 19).Mean(80, 60, 4).r, 20 + 5 * 29, 6);
}

TEST_F(HzfixRender, ProxyRendersEveryFrameWithoutAudio) {
    const std::string in = Clip("in.mp4");
    Outcome r = Do({"render", in, dir / "proxy.mp4", "--proxy"});
    ASSERT_EQ(r.status, 0) << r.err;
    VideoFacts b = Inspect(dir / "proxy.mp4");
    EXPECT_EQ(b.frames, 40);
    EXPECT_FALSE(b.hasAudio);
    EXPECT_LE(Distance(DecodeFrame(dir / "proxy.mp4", 20).Mean(80, 60, 3), kSource), kTolerance);
}

// An odd size stays exact: in full-size chroma, or in 4:2:0 where the
// encoder takes it (VP9); only a --pix-fmt with halved chroma that the
// encoder cannot fit pads it by one repeated column and row, and says so.
TEST_F(HzfixRender, OddSizesStayExactUnlessAPixelFormatAskedForCannotHoldThem) {
    ClipSpec recipe;
    recipe.width = 161;
    recipe.height = 121;
    recipe.audio = false;
    const std::string full = Clip("odd.mkv", recipe);
    recipe.pixelFormat = "yuv420p";
    const std::string halved = Clip("odd.webm", recipe);
    ASSERT_EQ(Inspect(halved).pixelFormat, "yuv420p");
    ASSERT_EQ(Inspect(halved).width, 161);
    struct Case {
        std::string in, out, pixFmt;
        int width, height;
        const char* format;
    };
    const Case cases[] = {
        {full, "a.mp4", "", 161, 121, "yuv444p"},
        {halved, "b.mp4", "", 161, 121, "yuv444p"},
        {halved, "c.webm", "", 161, 121, "yuv420p"},
        {full, "d.mp4", "yuv420p", 162, 122, "yuv420p"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"render", c.in, dir / c.out};
        if (!c.pixFmt.empty()) args.insert(args.end(), {"--pix-fmt", c.pixFmt});
        Outcome r = Do(args);
        ASSERT_EQ(r.status, 0) << c.out << "\n" << r.err;
        VideoFacts b = Inspect(dir / c.out);
        EXPECT_EQ(b.width, c.width) << c.out;
        EXPECT_EQ(b.height, c.height) << c.out;
        EXPECT_EQ(b.pixelFormat, c.format) << c.out;
        EXPECT_EQ(b.frames, 40) << c.out;
        const bool padded = c.width != recipe.width;
        EXPECT_EQ(r.out.find("padded to 162x122 by repeating the last column or row") !=
                      std::string::npos,
                  padded)
            << c.out << "\n"
            << r.out;
        Picture p = DecodeFrame(dir / c.out, 20);
        EXPECT_LE(Distance(p.Mean(160, 60, 0), kSource), kTolerance) << c.out;
    }
}

TEST_F(HzfixRender, ProgressFileEndsWithTheFinalCount) {
    const std::string in = Clip("in.mp4");
    Outcome r = Do({"render", in, dir / "out.mp4", "--progress", dir / "progress.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string progress = ReadFile(dir / "progress.txt");
    const std::string tail = progress.substr(progress.rfind("frame="));
    EXPECT_EQ(tail.substr(0, 10), "frame=40\nf");
    EXPECT_NE(tail.find("out_time=00:00:01.600000\n"), std::string::npos);
    EXPECT_NE(tail.find("progress=end\n"), std::string::npos);
    EXPECT_TRUE(r.err.empty()) << "not a terminal: no progress line expected, got " << r.err;
}

TEST_F(HzfixRender, ThumbnailIsThePlaceholderAtTheClipsSize) {
    FrameTheMiddle();
    const std::string in = Clip("in.mp4");
    Outcome r = Do({"thumbnail", in, dir / "thumb.png", "--at", "0.48"});  // frame 12
    ASSERT_EQ(r.status, 0) << r.err;
    Picture p = DecodeFrame(dir / "thumb.png", 0);
    EXPECT_EQ(p.width, 160);
    EXPECT_EQ(p.height, 120);
    EXPECT_LE(Distance(p.Mean(8, 8, 2), kBlue), kTolerance);
    EXPECT_LE(Distance(p.Mean(80, 60, 2), kSource), kTolerance);
    EXPECT_EQ(Do({"thumbnail", in, dir / "t2.png", "--at", "1.6"}).status, 1);  // past the end
}

TEST_F(HzfixRender, InfoDescribesTheFilter) {
    Outcome r = Do({"info"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const char* line : {"type:         filter (105)", "slider 1:", "slider 3:", "button:"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << " in\n" << r.out;
}

TEST_F(HzfixRender, BadInputsFailWithTheirOwnStatusAndLeaveNothing) {
    const std::string in = Clip("in.mp4");
    WriteFile(dir / "notes.txt", "not a video at all\n");
    MakeAudioOnly(dir / "song.m4a");
    {
        media::OutputFile empty(dir / "empty.mp4", true);
        media::VideoEncoding e;
        e.format.width = 64;
        e.format.height = 48;
        empty.AddVideo(e);
        empty.Finish();
    }
    WriteFile(dir / "exists.mp4", "precious");
    const struct {
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {{"render", dir / "missing.mp4", dir / "o1.mp4"}, 3, "No such file"},
        {{"render", dir / "notes.txt", dir / "o2.mp4"}, 3, "not a video"},
        {{"render", dir / "song.m4a", dir / "o3.mp4"}, 3, "no video stream"},
        {{"render", dir / "empty.mp4", dir / "o4.mp4"}, 3, "no video"},
        {{"render", in, dir / "no-such-folder/o5.mp4"}, 4, "cannot write"},
        {{"render", in, dir / "exists.mp4"}, 4, "-y"},
        {{"render", in, dir / "exists.mp4", "-n"}, 4, "-y"},
        {{"render", in, dir / "o6.xyz"}, 4, "container"},
        {{"render", in}, 1, "IN and OUT"},
        {{"render", in, dir / "o7.mp4", "--fade-in", "-1"}, 1, "--fade-in"},
        {{"render", in, dir / "o7.mp4", "--crf", "52"}, 1, "--crf: 52 is out of range (0 to 51)"},
        {{"render", in, dir / "o7.mp4", "--duration", "1:x"}, 1, "--duration: '1:x' is not a time"},
        {{"render", in, dir / "o8.mp4", "--start", "9"}, 1, "past the end"},
        {{"render", in, dir / "o8.mp4", "--start", "1e18"}, 1, "past the end"},
        {{"render", in, dir / "o8.mp4", "--start", "1e300:0:0"}, 1, "past the end"},
        {{"render", in, dir / "o8.mp4", "--duration", "1e300"}, 1, "longer than the plug-in"},
        {{"render", in, dir / "o9.mp4", "--frobnicate"}, 1, "unknown option"},
        {{"bogus"}, 1, "unknown command"},
    };
    for (const auto& c : cases) {
        Outcome r = Do(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0] << " " << c.args[1] << "\n" << r.err;
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadFile(dir / "exists.mp4"), "precious");
    EXPECT_TRUE(OnlyFinalFilesIn({"in.mp4", "notes.txt", "song.m4a", "empty.mp4", "exists.mp4"}));

    Outcome r = Hzfix({"--plugin", dir / "nowhere.bundle", "render", in, dir / "o.mp4"}, Env());
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("nowhere.bundle"), std::string::npos) << r.err;
}

TEST_F(HzfixRender, ADamagedFrameIsRepeatedOverAndReported) {
    ClipSpec recipe;
    recipe.frames = 50;
    recipe.paint = [](int f, int x, int y) {
        return Rgb{(x * 7 + f * 13) & 255, (y * 5) & 255, 90};
    };
    const std::string in = Clip("in.mkv", recipe);
    std::string bytes = ReadFile(in);
    for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 3000; ++i)
        bytes[i] = static_cast<char>(i * 31);
    WriteFile(dir / "damaged.mkv", bytes);
    Outcome r = Do({"render", dir / "damaged.mkv", dir / "out.mp4"});
    // The damage takes one frame: the one before is held for its time, and
    // that is said.
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("1 frame(s) before frame 23 are missing"), std::string::npos) << r.err;
    EXPECT_EQ(Inspect(dir / "out.mp4").frames, Inspect(dir / "damaged.mkv").frames);
    EXPECT_TRUE(OnlyFinalFilesIn({"in.mkv", "damaged.mkv", "out.mp4"}));
}

TEST_F(HzfixRender, FullDiskFailsCleanly) {
    ClipSpec recipe;
    recipe.frames = 30;
    recipe.audio = false;
    recipe.paint = [](int f, int x, int y) {
        unsigned h = (x * 73856093u) ^ (y * 19349663u) ^ (f * 83492791u);
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        return Rgb{static_cast<int>(h & 255), static_cast<int>((h >> 8) & 255),
                   static_cast<int>((h >> 16) & 255)};
    };
    const std::string in = Clip("noise.mkv", recipe);
    rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 40000;
    setrlimit(RLIMIT_FSIZE, &small);
    Child child = StartHzfix({"--plugin", BundleDir(), "render", in, dir / "out.mp4"}, Env());
    setrlimit(RLIMIT_FSIZE, &saved);
    Outcome r = Finish(child);
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find("File too large"), std::string::npos) << r.err;
    EXPECT_TRUE(OnlyFinalFilesIn({"noise.mkv"}));
}

TEST_F(HzfixRender, InterruptStopsCleanly) {
    ClipSpec recipe;
    recipe.width = 320;
    recipe.height = 240;
    recipe.frames = 250;
    recipe.audio = false;
    const std::string in = Clip("long.mp4", recipe);
    Child child = StartHzfix({"--plugin", BundleDir(), "render", in, dir / "out.mp4"}, Env());
    // The temporary output appears once rendering has begun.
    bool started = false;
    for (int i = 0; i < 2000 && !started; ++i) {
        for (const auto& e : dir.Entries())
            started = started || e.find(".part-") != std::string::npos;
        if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(started);
    kill(child.pid, SIGINT);
    Outcome r = Finish(child);
    if (r.status == 0) GTEST_SKIP() << "finished before the interrupt arrived";
    EXPECT_EQ(r.status, 130) << r.err;
    EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
    EXPECT_TRUE(OnlyFinalFilesIn({"long.mp4"}));
}

TEST_F(HzfixRender, AnOutputThatIsTheInputIsRefused) {
    const std::string in = Clip("in.mp4");
    const std::string source = ReadFile(in);
    ASSERT_EQ(link(in.c_str(), (dir / "hard.mp4").c_str()), 0);
    ASSERT_EQ(symlink("in.mp4", (dir / "soft.png").c_str()), 0);
    const std::vector<std::string> cases[] = {
        {"render", in, in, "-y"},
        {"render", in, dir / "hard.mp4", "-y"},
        {"thumbnail", in, in, "-y"},
        {"thumbnail", in, dir / "soft.png", "-y"},
    };
    for (const auto& args : cases) {
        Outcome r = Do(args);
        EXPECT_EQ(r.status, 4) << args[0] << " " << args[2] << "\n" << r.err;
        EXPECT_NE(r.err.find("is the input file"), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadFile(in), source);
    EXPECT_TRUE(OnlyFinalFilesIn({"in.mp4", "hard.mp4", "soft.png"}));
}

TEST_F(HzfixRender, PartsLeftByKilledRendersGoWithTheNextRender) {
    const std::string in = Clip("in.mp4", Short());
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    const std::string left = ".out.part-" + std::to_string(gone) + ".mp4";
    const std::string live = ".out.part-1.mp4";
    WriteFile(dir / left, "killed half way");
    WriteFile(dir / live, "still being written");
    Outcome r = Do({"render", in, dir / "out.mp4"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(Exists(dir / left));
    EXPECT_EQ(ReadFile(dir / live), "still being written");
}

// A FIFO under the preferences' name used to hold every command in open().
TEST_F(HzfixRender, AFifoForPreferencesHoldsNothingUp) {
    const std::string in = Clip("in.mp4", Short());
    mkdir((dir / "config").c_str(), 0700);
    ASSERT_EQ(mkfifo((dir / "config/hzfix-Prefs").c_str(), 0600), 0);
    alarm(60);
    Outcome r = Do({"render", in, dir / "out.mp4"});
    alarm(0);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
}

// FFmpeg's result codes ("Generic error", "Device or resource busy") said
// nothing a user could act on; the messages name the size or the damage.
TEST_F(HzfixRender, MessagesNameTheRealCause) {
    const std::string frame(size_t(20000) * 16 * 3 / 2, '\x80');
    WriteFile(dir / "wide.y4m",
              "YUV4MPEG2 W20000 H16 F25:1 Ip A1:1 C420jpeg\nFRAME\n" + frame + "FRAME\n" + frame);
    Outcome r = Do({"render", dir / "wide.y4m", dir / "wide.mp4"});
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find("20000x16"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("16384"), std::string::npos) << r.err;

    WriteFile(dir / "huge.y4m", "YUV4MPEG2 W60000 H60000 F25:1 Ip A1:1 C420jpeg\nFRAME\n");
    r = Do({"render", dir / "huge.y4m", dir / "huge.mp4"});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("60000x60000"), std::string::npos) << r.err;

    const std::string whole = ReadFile(Clip("whole.mkv"));
    WriteFile(dir / "cut.mkv", whole.substr(0, whole.size() * 3 / 4));
    r = Do({"render", dir / "cut.mkv", dir / "cut.mp4"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("cut short"), std::string::npos) << r.err;
    r = Do({"render", dir / "whole.mkv", dir / "whole.mp4"});
    EXPECT_EQ(r.err.find("cut short"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace hzfixtest
