// A render as three stages on their own threads: decoding feeds a bounded
// queue, the plug-in renders on the calling thread (the host's rule: one
// call at a time, always from the same thread), and encoding drains a
// second queue. Pictures travel the queues in the codecs' own formats; the
// plug-in's 32-bit pixels, four times the size of a 4:2:0 picture, exist
// only around the plug-in, one frame in and one out, so memory stays near
// what decoding and encoding take anyway.
#ifndef HZ_APPS_HZFIX_PIPELINE_H
#define HZ_APPS_HZFIX_PIPELINE_H

#include <atomic>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

#include "apps/hzfix/AudioRouter.h"
#include "apps/hzfix/BoundedQueue.h"
#include "apps/hzfix/OtherStreams.h"
#include "apps/hzfix/Progress.h"
#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"
#include "apps/media/ShownPictures.h"
#include "apps/pluginhost/PluginHost.h"

namespace hzfix {

// What happens to each frame between decoding and encoding.
class FrameRenderer {
  public:
    virtual ~FrameRenderer() = default;
    // Renders clip frame `renderFrame` (0 = first rendered) into `dest`.
    // Source frames come from the pipeline's frames(). Sets `*audioPassed`.
    virtual HYPluginResult Render(int32_t renderFrame, GWorldPtr dest, const Rect& frameRect,
                                  bool* audioPassed) = 0;
};

// Busy seconds of each stage, waiting excluded.
struct StageTimes {
    int64_t frames = 0;
    double wall = 0;
    double decode = 0;
    double toArgb = 0;    // decoded frames into the plug-in's pixels
    double handOver = 0;  // copying them into buffers the plug-in gets
    double plugin = 0;    // the plug-in's own work
    double fromArgb = 0;  // its pixels into the encoder's
    double encode = 0;    // encoding, muxing, audio
};

class Pipeline {
  public:
    // Frames startFrame .. startFrame + frameCount - 1 of `in` go to `out`,
    // as `shape` says, at its size, with the streams `audio` and `others`
    // write in step with them; either may be null.
    Pipeline(media::InputFile& in, media::OutputFile& out, const media::PictureShape& shape,
             int64_t startFrame, int64_t frameCount, AudioRouter* audio, OtherStreams* others,
             Progress& progress, const std::atomic<bool>& interrupt);
    ~Pipeline();

    // The plug-in's source of frames; valid while Run() runs.
    pluginhost::FrameProvider& frames() { return provider_; }

    // Throws the first failure of any stage (media::InputError,
    // media::OutputError, PluginFailure), or Interrupted. Interlaced, every
    // frame is rendered once per field, under the same frame number (so
    // fades and audio go by frames), and its audio passes only if the
    // plug-in passed it both times.
    void Run(FrameRenderer& renderer);
    const StageTimes& times() const { return times_; }

  private:
    struct Decoded {
        media::FramePtr frame;
        int64_t index;
    };
    struct Rendered {
        media::FramePtr picture;  // in the encoder's format
        int32_t renderFrame;
        bool audioPassed;
    };
    // 32-bit pixels the plug-in reads or draws, at the shape's size.
    struct Buffer {
        uint8_t* pixels = nullptr;
        int stride = 0;
        GWorldPtr world = nullptr;
    };

    // Hands the plug-in decoded frames in clip order; keeps the one before
    // the newest, in case the plug-in looks back. Interlaced, it hands out
    // the field being rendered.
    class Provider : public pluginhost::FrameProvider {
      public:
        Provider(Pipeline& owner, const media::PictureShape& shape)
            : owner_(owner), pictures_(shape) {}
        HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                    GWorldPtr out) override;
        // Lends the frame converted into the pipeline's source buffer where
        // it is what the plug-in asks for; it stays there until another
        // frame is converted.
        bool LendFrame(int32_t frameNumber, HYRefDVQuality quality, int16_t width, int16_t height,
                       pluginhost::LentPixels* out) override;
        double waited = 0;
        double copying = 0;
        double converting = 0;
        int field = media::kWholeFrame;

      private:
        const Decoded* Find(int32_t frameNumber);
        // The frame in the source buffer, converted now if it is not there.
        void Convert(const Decoded& d, bool fast);
        Pipeline& owner_;
        std::deque<Decoded> window_;
        int64_t converted_ = -1;
        bool convertedFast_ = false;
        int convertedField_ = media::kWholeFrame;
        media::ShownPictures pictures_;
    };

    void DecodeStage();
    void EncodeStage();
    void Fail(std::exception_ptr error);
    void ReleaseBuffers();
    void AbortAll();

    media::InputFile& in_;
    media::OutputFile& out_;
    const media::PictureShape shape_;
    int64_t start_, count_;
    AudioRouter* audio_;
    OtherStreams* others_;
    Progress& progress_;
    const std::atomic<bool>& interrupt_;

    BoundedQueue<Decoded> decoded_;
    BoundedQueue<Rendered> rendered_;
    // fieldDestination_ only for interlaced clips: the second field's render.
    Buffer source_, destination_, fieldDestination_;
    Provider provider_;

    std::mutex errorMutex_;
    std::exception_ptr error_;
    std::atomic<int64_t> encoded_{0};
    std::atomic<int64_t> bytes_{0};
    StageTimes times_;
};

}  // namespace hzfix

#endif
