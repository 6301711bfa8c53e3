// Every stream of a clip comes out whole: the pictures, the sound, a second
// sound track that starts before the pictures, subtitles, in the container
// pairs people convert between, for a whole clip and for a part of it. The
// clips are large enough that a pass cannot read them in one gulp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include "tests/apps/hzfix/ClipDescription.h"
#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

constexpr int kFrames = 75;
constexpr int kFps = 25;
constexpr double kLead = 0.54;
// Container clocks are milliseconds at the coarsest.
constexpr double kClockSlack = 0.0015;

struct StreamsCase {
    const char* name;
    const char* in;   // container of the clip
    const char* out;  // container rendered to
    bool subtitles;
    double start, duration;  // duration 0: to the end
    bool encodeSound;        // the first sound track made again (-c:a aac)
};

void PrintTo(const StreamsCase& c, std::ostream* os) { *os << c.name; }

class HzfixStreams : public ::testing::TestWithParam<StreamsCase>, protected HzfixSandbox {};

// Noise, so the pictures are as heavy as a camera's.
Rgb Noise(int f, int x, int y) {
    uint32_t h = static_cast<uint32_t>(f * 7919 + x * 104729 + y * 1299709);
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return {static_cast<int>(h & 255), static_cast<int>((h >> 8) & 255),
            static_cast<int>((h >> 16) & 255)};
}

// The times of a stream from `from` to `to` seconds, moved to start at `from`.
std::vector<double> Window(const std::vector<double>& times, double from, double to) {
    std::vector<double> kept;
    for (double t : times)
        if ((from == 0 || t >= from - 1e-6) && t < to - 1e-6) kept.push_back(t - from);
    return kept;
}

void ExpectSameTimes(const std::vector<double>& got, const std::vector<double>& want,
                     const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (size_t i = 0; i < got.size(); ++i)
        ASSERT_NEAR(got[i], want[i], kClockSlack) << what << ", packet " << i;
}

TEST_P(HzfixStreams, EveryPacketOfEveryStreamIsKeptInTime) {
    const StreamsCase& c = GetParam();
    ClipSpec recipe;
    recipe.width = 320;
    recipe.height = 240;
    recipe.fps = kFps;
    recipe.frames = kFrames;
    recipe.paint = Noise;
    const std::string plain = dir / (std::string("plain.") + c.in);
    const std::string in = dir / (std::string("in.") + c.in);
    const std::string out = dir / (std::string("out.") + c.out);
    MakeClip(plain, recipe);
    ClipDescription d;
    d.secondAudioLanguage = "deu";
    d.secondAudioLead = kLead;
    if (c.subtitles) d.subtitles = {{0.2, "Hello sea"}, {1.2, "Harbour"}, {2.6, "Bye"}};
    Describe(plain, in, d);
    const auto source = PacketTimes(in);
    ASSERT_EQ(source.size(), c.subtitles ? 4u : 3u);
    // The coder's own delay comes on top.
    ASSERT_LE(source[2].front(), -kLead) << "the second track leads";

    std::vector<std::string> args = {"render", in, out, "-q", "--turn", "5"};
    if (c.start > 0) args.insert(args.end(), {"--start", std::to_string(c.start)});
    if (c.duration > 0) args.insert(args.end(), {"--duration", std::to_string(c.duration)});
    if (c.encodeSound) args.insert(args.end(), {"-c:a", "aac"});
    const Outcome r = Do(args);
    ASSERT_EQ(r.status, 0) << r.err;

    const double end = c.duration > 0 ? c.start + c.duration : 1e9;
    const int64_t frames =
        c.duration > 0 ? std::llround(c.duration * kFps) : std::llround(kFrames - c.start * kFps);
    EXPECT_NE(r.out.find(": " + std::to_string(frames) + " frames,"), std::string::npos) << r.out;
    const auto made = PacketTimes(out);
    ASSERT_EQ(made.size(), source.size());
    ExpectSameTimes(made[0], Window(source[0], c.start, end), "pictures");
    EXPECT_EQ(static_cast<int64_t>(made[0].size()), frames);
    if (c.encodeSound || c.start > 0) {
        // Matroska keeps the coder's lead-in and its last block's padding,
        // up to two blocks more; never less than the pictures last.
        const double samples = static_cast<double>(Inspect(out).audioSamples);
        const double wanted = frames * 48000.0 / kFps;
        EXPECT_GE(samples, wanted) << "the sound made again lasts as long as the pictures";
        EXPECT_LE(samples, wanted + 2048);
    } else {
        ExpectSameTimes(made[1], source[1], "first sound track");
    }
    ExpectSameTimes(made[2], Window(source[2], c.start, end), "second sound track");
    if (c.subtitles) ExpectSameTimes(made[3], Window(source[3], c.start, end), "subtitles");
}

INSTANTIATE_TEST_SUITE_P(
    Containers, HzfixStreams,
    ::testing::Values(StreamsCase{"mkvWhole", "mkv", "mkv", true, 0, 0, false},
                      StreamsCase{"mkvPart", "mkv", "mkv", true, 0.8, 1.2, false},
                      StreamsCase{"mp4IntoMkv", "mp4", "mkv", false, 0, 0, false},
                      StreamsCase{"mkvIntoMp4SoundMadeAgain", "mkv", "mp4", false, 0, 0, true},
                      StreamsCase{"movPart", "mov", "mov", false, 0.4, 2, false},
                      StreamsCase{"mp4FromAPointToTheEnd", "mp4", "mp4", false, 1, 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace hzfixtest
