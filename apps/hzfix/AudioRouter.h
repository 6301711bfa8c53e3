// The audio of a render. The plug-in passes each frame's audio on (or not)
// as it renders the frame; the audio packets that span a frame are written
// once its verdict is in, copied as they are when the whole clip is
// rendered, or decoded, trimmed to the rendered part, silenced where the
// plug-in did not pass the audio, and encoded again.
#ifndef HZ_APPS_HZFIX_AUDIOROUTER_H
#define HZ_APPS_HZFIX_AUDIOROUTER_H

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "apps/media/InputFile.h"
#include "apps/media/OutputFile.h"
#include "apps/media/PacketReader.h"

namespace hzfix {

class AudioRouter {
  public:
    enum class Mode { kCopy, kEncode };

    // Frames startFrame .. startFrame + frameCount - 1 of `in` are rendered.
    // The output's audio stream must already be set up to match `mode`.
    AudioRouter(const media::InputFile& in, media::OutputFile& out, Mode mode, int64_t startFrame,
                int64_t frameCount, std::function<void(const std::string&)> warn);
    ~AudioRouter();

    // Reading side (any thread).
    void Enqueue(media::PacketPtr packet);
    void CloseInput();

    // Writing side: verdicts in render order, then Finish() once all are in.
    void FrameDone(int64_t renderFrame, bool passed);
    void Finish();

    // A copy had to stop because some frame's audio was not passed: the
    // audio must be encoded again (see RemuxWithEncodedAudio).
    bool copyBroken() const { return copyBroken_; }
    const std::vector<bool>& verdicts() const { return passed_; }

  private:
    // The rendered frame on screen `seconds` after the first rendered one.
    int64_t FrameAt(double seconds) const;
    void Drain(bool all);
    void Route(media::PacketPtr packet);
    void DecodeAndWrite(const AVPacket* packet);

    const media::InputFile& in_;
    media::OutputFile& out_;
    Mode mode_;
    int64_t frameCount_;
    int64_t startFrame_;
    double startSeconds_;  // of the first rendered frame, from the clip's first
    double clipStart_;     // the same on the input's clock
    AVRational timeBase_;
    std::function<void(const std::string&)> warn_;

    std::mutex mutex_;
    std::condition_variable closedCv_;
    std::deque<media::PacketPtr> packets_;
    bool closed_ = false;

    std::vector<bool> passed_;
    bool copyBroken_ = false;
    media::CodecPtr decoder_;
    media::FramePtr decoded_;
    int decodeWarnings_ = 0;
};

// Writes `out` from every stream of `rendered` but its sound (stream
// `renderedAudio`), which is made again from the audio of `in`, encoded
// and silenced by `verdicts` (one per rendered frame); the caller finishes it.
void RemuxWithEncodedAudio(const std::string& rendered, int renderedAudio,
                           const media::InputFile& in, int64_t startFrame,
                           const std::vector<bool>& verdicts, media::OutputFile& out);

}  // namespace hzfix

#endif
