// Writing a clip: 32-bit pictures encoded as video, audio either copied
// packet for packet or encoded from decoded samples, other streams copied,
// muxed into the container the file name asks for. Everything is written
// under a temporary name and moved into place by Finish(). The jobs are
// the Muxer's, the encoder lanes' and the description copy's; this is
// their one face.
#ifndef HZ_APPS_MEDIA_OUTPUTFILE_H
#define HZ_APPS_MEDIA_OUTPUTFILE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "apps/media/AudioEncoderLane.h"
#include "apps/media/InputFile.h"
#include "apps/media/LibAv.h"
#include "apps/media/Muxer.h"
#include "apps/media/VideoEncoderChoice.h"
#include "apps/media/VideoEncoderLane.h"

namespace media {

class OutputFile {
  public:
    // Picks the container from the name of `path`. Throws OutputError for a
    // name no container matches, or an existing file without `overwrite`.
    OutputFile(const std::string& path, bool overwrite);
    ~OutputFile();  // an unfinished output is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Adds the video stream; returns what was chosen, in words. Throws
    // EncodingError for a choice the encoder or container cannot take.
    std::string AddVideo(const VideoEncoding& encoding);
    // Audio is written ahead of the other streams (a remux): hold it until
    // they catch up instead of letting it run ahead in the file.
    void setInterleaveUnbounded() { muxer_.context()->max_interleave_delta = 0; }
    // Whether the container takes `source`'s codec as it is.
    bool CanCopy(const AVCodecParameters* source) const { return muxer_.CanCopy(source); }
    void AddAudioCopy(const AVStream* source);
    // Adds an audio encoder for samples at about this rate and layout (the
    // encoder may settle on another it supports); returns it in words.
    // `encoder` names one; by default AAC where the container takes it.
    // Throws EncodingError for an encoder missing or not for the container.
    std::string AddAudioEncoder(int sampleRate, const AVChannelLayout& layout,
                                const std::string& encoder = "");
    int audioSampleRate() const;
    bool hasAudio() const { return audioStream_ != nullptr; }
    int audioStreamIndex() const { return audioStream_ ? audioStream_->index : -1; }

    // Carries over what describes the clip: the container's tags, the
    // chapters that fall within [from, to) seconds of the input (moved to
    // start at `from`), the video and audio streams' tags, and, with
    // setKeepRotation, the video's display rotation. Call after the streams
    // are added, before Start(). Returns what the container cannot keep, in
    // words, one line each.
    std::vector<std::string> CopyDescription(const InputFile& in, double from, double to);
    // Pictures written as they were stored still need turning by players;
    // pictures already turned upright (the default) must not be turned again.
    void setKeepRotation(bool keep) { keepRotation_ = keep; }
    // Of the containers written here only the QuickTime family stores a
    // display rotation.
    bool CanHoldRotation() const { return muxer_.CanHoldRotation(); }

    // A stream whose packets are copied as they are, with its tags and side
    // data; returns its index for WriteCopiedPacket.
    int AddStreamCopy(const AVStream* source);
    // A packet of such a stream, timestamps on `timeBase`, shifted back by
    // `origin` seconds.
    void WriteCopiedPacket(int stream, AVPacket* packet, AVRational timeBase, double origin);

    // Creates the temporary file and writes the container's header.
    void Start();
    // A picture, bytes alpha, red, green, blue, at `pts` on the format's
    // time base (the frame number when it has none).
    void WriteVideo(const uint8_t* argb, int stride, int64_t pts);
    // The same in two steps, which may run on different threads: a picture
    // for the encoder (from a pool, so its memory is used again) converted
    // from ARGB, and its encoding.
    FramePtr ConvertPicture(const uint8_t* argb, int stride);
    void EncodePicture(AVFrame* picture, int64_t pts);
    // A copied packet; its timestamps are on `timeBase`, and it is shifted
    // back by `origin` seconds.
    void WriteAudioPacket(AVPacket* packet, AVRational timeBase, double origin);
    // Decoded samples whose first one belongs at sample `position` of the
    // output (at audioSampleRate()). Samples before what was already
    // written, or at and past `audioLimit`, are dropped; a hole is filled
    // with silence. Samples for which `audible` answers false are silenced.
    void WriteAudio(const AVFrame* samples, int64_t position,
                    const std::function<bool(int64_t)>& audible = nullptr);
    void setAudioLimit(int64_t samples);
    // Flushes the encoders, closes the file, checks that it holds every
    // packet written and moves it into place. With an audio limit, encoded
    // audio is padded with silence up to it. Throws OutputError, keeping
    // nothing, where the file holds less than was written.
    void Finish();
    // The same, leaving the complete file under temporaryPath(), to be read
    // again; it is removed with this object.
    void FinishUnplaced();

    const std::string& path() const { return muxer_.path().path(); }
    const std::string& temporaryPath() const { return muxer_.path().temporary(); }
    int64_t bytesWritten() const { return muxer_.bytesWritten(); }

  private:
    Muxer muxer_;
    std::unique_ptr<VideoEncoderLane> video_;
    std::unique_ptr<AudioEncoderLane> audioEncoder_;
    AVStream* audioStream_ = nullptr;  // copied or encoded
    bool keepRotation_ = false;
    int64_t audioLimit_ = -1;
};

}  // namespace media

#endif
