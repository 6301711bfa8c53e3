#include "apps/media/WrittenTally.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "apps/media/OutputFile.h"
#include "apps/media/PacketReader.h"

namespace {

namespace fs = std::filesystem;

constexpr int cSide = 64;
constexpr int cFrames = 50;

// A clip of noise, heavy enough that half of it is a real loss.
std::string WriteClip(const std::string& path) {
    media::OutputFile out(path, true);
    media::VideoEncoding encoding;
    encoding.format.width = encoding.format.height = cSide;
    encoding.crf = 0;
    out.AddVideo(encoding);
    out.Start();
    std::vector<uint8_t> argb(cSide * cSide * 4);
    uint32_t seed = 1;
    for (int f = 0; f < cFrames; ++f) {
        for (uint8_t& b : argb) b = static_cast<uint8_t>((seed = seed * 1103515245 + 12345) >> 24);
        out.WriteVideo(argb.data(), cSide * 4, f);
    }
    out.Finish();
    return path;
}

// What the file holds, counted the way a writer counts it.
media::WrittenTally TallyOf(const std::string& path, AVRational stretch = {1, 1}) {
    media::WrittenTally tally;
    media::PacketReader reader(path);
    reader.SetTarget(0, 0);
    while (reader.Next()) tally.Count(0, reader.packet(), av_mul_q(reader.timeBase(), stretch));
    return tally;
}

TEST(WrittenTally, AFileHoldingLessThanWasWrittenIsAnError) {
    const fs::path folder = fs::temp_directory_path() / ("tally-" + std::to_string(getpid()));
    fs::create_directories(folder);
    for (const char* ext : {".mkv", ".mp4", ".mov"}) {
        SCOPED_TRACE(ext);
        const std::string clip = WriteClip(folder / (std::string("clip") + ext));
        const media::WrittenTally whole = TallyOf(clip);
        EXPECT_NO_THROW(whole.Check(clip, "clip"));

        media::WrittenTally more = TallyOf(clip);
        media::PacketReader first(clip);
        first.SetTarget(0, 0);
        ASSERT_TRUE(first.Next());
        more.Count(0, first.packet(), first.timeBase());
        EXPECT_THROW(more.Check(clip, "clip"), media::OutputError) << "a packet short";
        EXPECT_THROW(TallyOf(clip, {2, 1}).Check(clip, "clip"), media::OutputError)
            << "times on another clock";

        fs::resize_file(clip, fs::file_size(clip) / 2);
        EXPECT_THROW(whole.Check(clip, "clip"), media::OutputError) << "cut in half";
    }
    fs::remove_all(folder);
}

}  // namespace
