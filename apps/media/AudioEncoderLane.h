// The encoded audio stream of an output: decoded samples converted to the
// encoder's format, placed at their time (holes filled with silence,
// overlaps dropped), buffered into the encoder's frame size and encoded.
#ifndef HZ_APPS_MEDIA_AUDIOENCODERLANE_H
#define HZ_APPS_MEDIA_AUDIOENCODERLANE_H

#include <cstdint>
#include <functional>
#include <string>

#include "apps/media/LibAv.h"
#include "apps/media/Muxer.h"

struct SwrContext;
struct AVAudioFifo;

namespace media {

class AudioEncoderLane {
  public:
    // An encoder for samples at about this rate and layout (it may settle
    // on another it supports), its stream added to `muxer`. `encoder`
    // names one; by default AAC where the container takes it. Throws
    // EncodingError for an encoder missing or not for the container.
    AudioEncoderLane(Muxer& muxer, int sampleRate, const AVChannelLayout& layout,
                     const std::string& encoder);
    ~AudioEncoderLane();
    AudioEncoderLane(const AudioEncoderLane&) = delete;
    AudioEncoderLane& operator=(const AudioEncoderLane&) = delete;

    const std::string& words() const { return words_; }
    AVStream* stream() const { return stream_; }
    int sampleRate() const { return encoder_->sample_rate; }

    // Decoded samples whose first one belongs at sample `position` of the
    // output. Samples before what was already written, or at and past the
    // limit, are dropped; a hole is filled with silence. Samples for which
    // `audible` answers false are silenced.
    void Write(const AVFrame* samples, int64_t position,
               const std::function<bool(int64_t)>& audible);
    void setLimit(int64_t samples) { limit_ = samples; }
    // Pads with silence up to the limit and drains the encoder.
    void Finish();

  private:
    const AVCodec* ChooseEncoder(const std::string& encoder) const;
    void ConvertFrom(const AVFrame* samples);
    void Push(uint8_t** planes, int count);
    void PushSilence(int64_t count);
    void Encode(bool last);

    Muxer& muxer_;
    std::string words_;
    CodecPtr encoder_;
    AVStream* stream_ = nullptr;
    SwrContext* swr_ = nullptr;
    AVAudioFifo* fifo_ = nullptr;
    int swrFormat_ = -1, swrRate_ = 0;
    AVChannelLayout swrLayout_{};
    int64_t written_ = 0;  // samples placed in the output so far
    int64_t encoded_ = 0;  // samples handed to the encoder so far
    int64_t limit_ = -1;
};

}  // namespace media

#endif
