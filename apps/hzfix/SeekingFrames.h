// Frames of a clip in any order, as a dialog or a placeholder asks for them:
// decoded at the size the plug-in asks for, seeking only when the frame
// asked for is not the one after the last.
#ifndef HZ_APPS_HZFIX_SEEKINGFRAMES_H
#define HZ_APPS_HZFIX_SEEKINGFRAMES_H

#include "apps/media/ArgbConverter.h"
#include "apps/media/InputFile.h"
#include "apps/pluginhost/PluginHost.h"

namespace hzfix {

class SeekingFrames : public pluginhost::FrameProvider {
  public:
    explicit SeekingFrames(media::InputFile& in) : in_(in) {}

    HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                GWorldPtr out) override;

  private:
    media::InputFile& in_;
    media::FramePtr frame_;
    int64_t index_ = -1;
    media::ArgbConverter converter_;
};

}  // namespace hzfix

#endif
