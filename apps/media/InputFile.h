// Reading a clip: its video stream decoded frame by frame in clip order, its
// audio stream handed on as packets. Frames are numbered from the clip's
// first by their timestamps, so a frame the decoder could not produce leaves
// a gap that is filled by repeating the frame before it: the numbering, the
// frame count and the sync with the audio all survive a damaged stream.
#ifndef HZ_APPS_MEDIA_INPUTFILE_H
#define HZ_APPS_MEDIA_INPUTFILE_H

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "apps/media/LibAv.h"

extern "C" {
#include <libavutil/mastering_display_metadata.h>
}

namespace media {

// The picture of a stream, as its decoder and its container describe it.
struct VideoFormat {
    int width = 0;
    int height = 0;
    AVRational frameRate{25, 1};
    AVRational sampleAspect{0, 1};  // 0/1: the input does not say
    AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
    AVColorSpace colorspace = AVCOL_SPC_UNSPECIFIED;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVFieldOrder fieldOrder = AV_FIELD_UNKNOWN;
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    // The clock frame times are counted on; 0/1 for a constant rate.
    AVRational timeBase{0, 1};
    // HDR10's description of the display it was mastered on and of its
    // light levels, where the clip has them (has_primaries, hasLight).
    AVMasteringDisplayMetadata mastering{};
    AVContentLightMetadata light{};
    bool hasLight = false;
};

class InputFile {
  public:
    // Opens `path`, picks its video stream and counts its frames. Throws
    // InputError for a file that is missing, unreadable, not a video or
    // without a single frame. `interrupt`, when given, aborts blocking reads
    // once it turns true.
    explicit InputFile(const std::string& path, const std::atomic<bool>* interrupt = nullptr);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    const std::string& path() const { return path_; }
    // The container and the chosen video stream, for what an output copies
    // from them (titles, chapters, languages, the display rotation).
    const AVFormatContext* container() const { return demuxer_.get(); }
    const AVStream* videoStream() const { return video_; }
    const VideoFormat& video() const { return format_; }
    int64_t frameCount() const { return frameCount_; }
    // Seconds from the clip's first frame to frame `index`; for
    // frameCount() the end of the last frame.
    double FrameSeconds(int64_t index) const;
    // The same on the video stream's clock (video().timeBase).
    int64_t FramePts(int64_t index) const;
    // The first frame whose time is at or after `seconds`.
    int64_t FrameAt(double seconds) const;
    // The frame on screen at `seconds`: the last one that starts by then.
    int64_t FrameShownAt(double seconds) const;
    // The frames a decoder can start from without the ones before them, in
    // order: seeking to one of these decodes a single picture.
    const std::vector<int64_t>& keyFrames() const { return keyFrames_; }
    // The audio stream that goes with the video, or nullptr.
    const AVStream* audioStream() const { return audio_; }
    // Where the clip's first frame lies on the input's clock, in seconds:
    // audio timestamps are measured against it.
    double clipOrigin() const;

    // Audio packets are handed here as they are read; without a sink they
    // are dropped. Called on the thread that reads.
    void setAudioSink(std::function<void(PacketPtr)> sink) { audioSink_ = std::move(sink); }
    // Damaged or missing frames are reported here; without a sink, silently
    // repaired. What was found on opening (a file cut short) is reported as
    // the sink is set.
    void setWarningSink(std::function<void(const std::string&)> sink) {
        warningSink_ = std::move(sink);
        if (!cutShort_.empty()) Warn(cutShort_);
    }

    // The next Next() returns frame `index` (0 <= index < frameCount()).
    void SeekTo(int64_t index);
    // The next frame in clip order and its number; false after the last.
    // Throws InputError when reading fails for good.
    bool Next(FramePtr* frame, int64_t* index);
    // After the last frame wanted: reads on until the audio has passed
    // `seconds` past the clip origin, so the audio of the frames read is
    // complete.
    void ReadAudioUntil(double seconds);
    // Frames that had to be replaced so far.
    int64_t repairedFrames() const { return repaired_; }

  private:
    bool Decode(FramePtr* frame);
    bool ReadPacket(AVPacket* packet);
    int64_t IndexOf(const AVFrame* frame) const;
    void Warn(const std::string& message);
    void CountFrames();
    void FindGaps(int64_t step);
    void NoteCutShort(const AVFormatContext* counter, double framesEnd);

    std::string path_;
    const std::atomic<bool>* interrupt_;
    InputFormatPtr demuxer_;
    CodecPtr decoder_;
    AVStream* video_ = nullptr;
    const AVStream* audio_ = nullptr;
    VideoFormat format_;
    int64_t frameCount_ = 0;
    int64_t firstPts_ = 0;
    int64_t endPts_ = 0;
    std::vector<int64_t> times_;  // of every frame, in order
    std::vector<int64_t> keyFrames_;
    std::vector<std::pair<int64_t, int64_t>> gaps_;  // frame after, frames missing
    PacketPtr packet_;
    std::function<void(PacketPtr)> audioSink_;
    std::function<void(const std::string&)> warningSink_;

    int64_t next_ = 0;  // number of the frame Next() returns
    FramePtr last_;     // the frame most recently returned
    FramePtr pending_;  // a decoded frame waiting behind a gap
    int64_t pendingIndex_ = 0;
    bool flushed_ = false;    // the decoder has been told the stream ended
    bool atEnd_ = false;      // the demuxer has nothing more
    bool exhausted_ = false;  // the decoder has nothing more
    int64_t repaired_ = 0;
    int warnings_ = 0;
    double audioReadUpTo_ = -1e300;
    std::string cutShort_;
};

}  // namespace media

#endif
