// Which encoder, pixel format and options a rendered video is written
// with: what the user asked for where the encoder and the container can
// take it, and otherwise a default that keeps the input's bit depth and
// chroma where the encoder can.
#ifndef HZ_APPS_MEDIA_VIDEOENCODERCHOICE_H
#define HZ_APPS_MEDIA_VIDEOENCODERCHOICE_H

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "apps/media/InputFile.h"
#include "apps/media/LibAv.h"

namespace media {

// A choice the encoder or the container cannot meet: the user's to mend.
struct EncodingError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct VideoEncoding {
    VideoFormat format;
    std::string codec;        // an encoder's name; empty: the container's usual one
    std::string pixelFormat;  // empty: the input's, where the encoder takes it
    std::optional<int> crf;   // for the encoders with a rate factor
    std::string preset;       // for the encoders with speed presets
};

struct VideoEncoderChoice {
    const AVCodec* codec = nullptr;
    AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
    std::vector<std::pair<std::string, std::string>> options;
    // The size encoded: the picture's, or one more column or row where a
    // pixel format asked for halves the chroma of an odd size and the
    // encoder cannot take that (the edge is repeated).
    int codedWidth = 0, codedHeight = 0;
    std::string words;  // what was chosen, for the user
};

// Throws EncodingError.
VideoEncoderChoice ChooseVideoEncoder(const AVOutputFormat* container,
                                      const VideoEncoding& encoding);
// The user's part of that checked for a file called `path` before any
// work is done; nothing for a name no container matches (writing it says
// so). Throws EncodingError.
void CheckVideoEncoding(const std::string& path, const VideoEncoding& encoding);

}  // namespace media

#endif
