// Single frames of a clip for the plug-in, found by seeking: for requests
// that look at one frame or a few (placeholder, preview) rather than the
// whole clip in order. They are given as `shape` says; for an interlaced
// clip, the field chosen with setField.
#ifndef HZ_APPS_HZFIX_SEEKINGFRAMES_H
#define HZ_APPS_HZFIX_SEEKINGFRAMES_H

#include <string>

#include "apps/media/InputFile.h"
#include "apps/media/ShownPictures.h"
#include "apps/pluginhost/PluginHost.h"

namespace hzfix {

class SeekingFrames : public pluginhost::FrameProvider {
  public:
    SeekingFrames(media::InputFile& in, const media::PictureShape& shape)
        : in_(in), pictures_(shape) {}

    HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                GWorldPtr out) override;
    void setField(int field) { field_ = field; }

  private:
    media::InputFile& in_;
    media::FramePtr frame_;
    int64_t index_ = -1;
    int field_ = media::kWholeFrame;
    media::ShownPictures pictures_;
};

// The frame shown at `text` (seconds or [H:]M:S) of `in`; a UsageError
// naming `what` for a time past the clip's end.
int64_t FrameAtTime(const media::InputFile& in, const std::string& text, const std::string& what);

}  // namespace hzfix

#endif
