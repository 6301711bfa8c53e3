// A render as three stages on their own threads: decoding feeds a bounded
// queue, the plug-in renders on the calling thread (the host's rule: one
// call at a time, always from the same thread), and encoding drains a
// second queue. Buffers cycle through a small pool, so memory stays flat.
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
#include "apps/hzfix/Progress.h"
#include "apps/media/ArgbConverter.h"
#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"
#include "apps/pluginhost/PluginHost.h"

namespace hzfix {

struct BufferUnref {
    void operator()(AVBufferRef* b) const { av_buffer_unref(&b); }
};
using BufferRef = std::unique_ptr<AVBufferRef, BufferUnref>;

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
    double convert = 0;   // decoded frames into the plug-in's pixels (decoding thread)
    double handOver = 0;  // copying them into the buffers the plug-in gets
    double plugin = 0;    // the plug-in's own work
    double encode = 0;    // conversion for the encoder, encoding, muxing, audio
};

class Pipeline {
  public:
    // Frames startFrame .. startFrame + frameCount - 1 of `in` go to `out`,
    // at the input's size. `audio` may be null. `fastConversion`: frames for
    // the plug-in are prepared at its low quality (proxies).
    Pipeline(media::InputFile& in, media::OutputFile& out, int64_t startFrame, int64_t frameCount,
             AudioRouter* audio, Progress& progress, const std::atomic<bool>& interrupt,
             bool fastConversion);
    ~Pipeline();

    // The plug-in's source of frames; valid while Run() runs.
    pluginhost::FrameProvider& frames() { return provider_; }

    // Throws the first failure of any stage (media::InputError,
    // media::OutputError, PluginFailure), or Interrupted.
    void Run(FrameRenderer& renderer);
    const StageTimes& times() const { return times_; }

  private:
    // A decoded frame, already in the plug-in's pixels at the output size
    // (what the plug-in asks for) when `argb` is set.
    struct Decoded {
        media::FramePtr frame;
        int64_t index;
        BufferRef argb;
    };
    struct Rendered {
        int buffer;
        int32_t renderFrame;
        bool audioPassed;
    };
    struct Buffer {
        uint8_t* pixels = nullptr;
        int stride = 0;
        GWorldPtr world = nullptr;
    };

    // Hands the plug-in decoded frames in clip order; keeps the one before
    // the newest, in case the plug-in looks back.
    class Provider : public pluginhost::FrameProvider {
      public:
        explicit Provider(Pipeline& owner) : owner_(owner) {}
        HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                    GWorldPtr out) override;
        // Lends the converted frame itself where it is what the plug-in asks
        // for; it stays in the window until two newer frames are asked for.
        bool LendFrame(int32_t frameNumber, HYRefDVQuality quality, int16_t width, int16_t height,
                       pluginhost::LentPixels* out) override;
        double waited = 0;
        double copying = 0;

      private:
        const Decoded* Find(int32_t frameNumber);
        bool Converted(const Decoded& d, HYRefDVQuality quality, int width, int height) const;
        Pipeline& owner_;
        std::deque<Decoded> window_;
        media::ArgbConverter converter_;
    };

    void DecodeStage();
    void PrepareArgb(Decoded* item);
    void EncodeStage();
    void Fail(std::exception_ptr error);
    void ReleaseBuffers();
    void AbortAll();

    media::InputFile& in_;
    media::OutputFile& out_;
    int64_t start_, count_;
    AudioRouter* audio_;
    Progress& progress_;
    const std::atomic<bool>& interrupt_;

    BoundedQueue<Decoded> decoded_;
    BoundedQueue<Rendered> rendered_;
    BoundedQueue<int> free_;
    std::vector<Buffer> buffers_;
    AVBufferPool* argbPool_ = nullptr;
    int argbStride_ = 0;
    bool fastConversion_ = false;
    media::ArgbConverter decodeConverter_;
    Provider provider_;

    std::mutex errorMutex_;
    std::exception_ptr error_;
    std::atomic<int64_t> encoded_{0};
    std::atomic<int64_t> bytes_{0};
    StageTimes times_;
};

}  // namespace hzfix

#endif
