// The audio that goes with the plug-in's verdicts: frames whose audio was
// not passed on are silent, in sync, and the length is kept.
#include <gtest/gtest.h>

#include "apps/hzfix/AudioRouter.h"
#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"
#include "tests/apps/hzfix/ClipDescription.h"
#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

constexpr int kSamplesPerFrame = 48000 / 25;

// The other streams of the pass that held the sound back come along as
// they were.
TEST(HzfixAudio, HeldBackFramesAreSilencedInPlace) {
    TempDir dir;
    MakeClip(dir / "plain.mkv", {});
    ClipDescription d;
    d.secondAudioLanguage = "deu";
    d.subtitles = {{0.2, "Hello sea"}, {1.2, "Bye"}};
    Describe(dir / "plain.mkv", dir / "in.mkv", d);
    media::InputFile in(dir / "in.mkv");
    std::vector<bool> verdicts(40, true);
    for (int f = 10; f < 20; ++f) verdicts[f] = false;
    {
        media::OutputFile out(dir / "out.mkv", false);
        hzfix::RemuxWithEncodedAudio(dir / "in.mkv", 1, in, 0, verdicts, out);
        out.Finish();
    }
    VideoFacts facts = Inspect(dir / "out.mkv");
    EXPECT_EQ(facts.frames, 40);
    const auto made = PacketTimes(dir / "out.mkv"), source = PacketTimes(dir / "in.mkv");
    ASSERT_EQ(made.size(), 4u);
    for (size_t s : {0u, 2u, 3u}) {
        ASSERT_EQ(made[s].size(), source[s].size()) << "stream " << s;
        for (size_t i = 0; i < made[s].size(); ++i)
            EXPECT_NEAR(made[s][i], source[s][i], 1e-6) << "stream " << s << ", packet " << i;
    }
    EXPECT_EQ(ReadDescription(dir / "out.mkv").subtitles,
              ReadDescription(dir / "in.mkv").subtitles);
    std::vector<float> audio = DecodeAudio(dir / "out.mkv");
    EXPECT_NEAR(static_cast<double>(audio.size()), 40.0 * kSamplesPerFrame, 1024);
    auto frameRms = [&](int f) {
        return Rms(audio, static_cast<size_t>(f) * kSamplesPerFrame,
                   static_cast<size_t>(f + 1) * kSamplesPerFrame);
    };
    // The coder smears each edge by up to one of its blocks, about a frame.
    for (int f = 12; f <= 17; ++f) EXPECT_LT(frameRms(f), 0.01) << "frame " << f;
    for (int f : {2, 5, 8, 22, 30, 37}) EXPECT_GT(frameRms(f), 0.15) << "frame " << f;
}

TEST(HzfixAudio, ARangeIsTrimmedToItsFramesAndStartsWithThem) {
    TempDir dir;
    MakeClip(dir / "in.mp4", {});
    media::InputFile in(dir / "in.mp4");
    std::vector<bool> verdicts(16, true);
    verdicts[0] = false;
    media::OutputFile out(dir / "out.mp4", false);
    media::VideoEncoding encoding;
    encoding.format = in.video();
    out.AddVideo(encoding);
    out.AddAudioEncoder(48000, in.audioStream()->codecpar->ch_layout);
    out.Start();
    hzfix::AudioRouter router(in, out, hzfix::AudioRouter::Mode::kEncode, 8, 16, nullptr);
    in.setAudioSink([&](media::PacketPtr p) { router.Enqueue(std::move(p)); });
    in.SeekTo(8);
    std::vector<uint8_t> black(static_cast<size_t>(in.video().width) * in.video().height * 4);
    media::FramePtr frame;
    int64_t index = 0;
    for (int i = 0; i < 16 && in.Next(&frame, &index); ++i) {
        out.WriteVideo(black.data(), in.video().width * 4, in.FramePts(8 + i) - in.FramePts(8));
        router.FrameDone(i, verdicts[i]);
    }
    in.ReadAudioUntil(in.FrameSeconds(25));
    router.CloseInput();
    router.Finish();
    out.Finish();

    std::vector<float> audio = DecodeAudio(dir / "out.mp4");
    EXPECT_NEAR(static_cast<double>(audio.size()), 16.0 * kSamplesPerFrame, 1024);
    EXPECT_LT(Rms(audio, 0, kSamplesPerFrame / 2), 0.01);
    EXPECT_GT(Rms(audio, 3 * kSamplesPerFrame, 12 * kSamplesPerFrame), 0.15);
}

}  // namespace
}  // namespace hzfixtest
