#include "apps/media/OutputFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

namespace {

// Whether a stream can be copied is what the container's header accepts,
// not what its codec list names.
TEST(OutputFile, CopiesOnlyWhatTheContainerTakesAsItIs) {
    const std::string folder = std::filesystem::temp_directory_path();
    // Parameters as a real stream has them, header data included.
    const auto streamOf = [](AVCodecID id) {
        const AVCodec* codec = avcodec_find_encoder(id);
        AVCodecContext* encoder = avcodec_alloc_context3(codec);
        encoder->sample_rate = 48000;
        encoder->sample_fmt = codec->sample_fmts[0];
        av_channel_layout_default(&encoder->ch_layout, 2);
        EXPECT_GE(avcodec_open2(encoder, codec, nullptr), 0);
        AVCodecParameters* stream = avcodec_parameters_alloc();
        avcodec_parameters_from_context(stream, encoder);
        avcodec_free_context(&encoder);
        return stream;
    };
    AVCodecParameters* flac = streamOf(AV_CODEC_ID_FLAC);
    AVCodecParameters* aac = streamOf(AV_CODEC_ID_AAC);

    EXPECT_FALSE(media::OutputFile(folder + "/x.mp4", true).CanCopy(flac));
    EXPECT_FALSE(media::OutputFile(folder + "/x.mov", true).CanCopy(flac));
    EXPECT_TRUE(media::OutputFile(folder + "/x.mkv", true).CanCopy(flac));
    EXPECT_TRUE(media::OutputFile(folder + "/x.mp4", true).CanCopy(aac));
    avcodec_parameters_free(&flac);
    avcodec_parameters_free(&aac);
}

// A pass that reads another back writes the same output path while the
// other's file is still open for reading: neither may touch the other's.
TEST(OutputFile, TwoOutputsOfOnePathKeepApart) {
    const std::string path =
        std::filesystem::temp_directory_path() / ("apart-" + std::to_string(getpid()) + ".mkv");
    media::VideoEncoding encoding;
    encoding.format.width = encoding.format.height = 16;
    std::vector<uint8_t> argb(16 * 16 * 4, 200);
    media::OutputFile first(path, true);
    first.AddVideo(encoding);
    first.Start();
    for (int f = 0; f < 10; ++f) first.WriteVideo(argb.data(), 16 * 4, f);
    first.FinishUnplaced();
    const auto size = std::filesystem::file_size(first.temporaryPath());

    media::OutputFile second(path, true);
    second.AddVideo(encoding);
    second.Start();
    EXPECT_NE(second.temporaryPath(), first.temporaryPath());
    EXPECT_EQ(std::filesystem::file_size(first.temporaryPath()), size);
}

}  // namespace
