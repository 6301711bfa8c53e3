#include "apps/hzfix/SeekingFrames.h"

#include <cstdio>

#include "apps/hzfix/Cli.h"
#include "platform/quickdraw/QuickDraw.h"

namespace hzfix {

HYPluginResult SeekingFrames::ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                           GWorldPtr out) {
    if (frameNumber < 0 || frameNumber >= in_.frameCount()) return kPluginCantGetNeededFrame;
    if (!frame_ || index_ != frameNumber) {
        in_.SeekTo(frameNumber);
        if (!in_.Next(&frame_, &index_) || index_ != frameNumber) return kPluginCantGetNeededFrame;
    }
    PixMapHandle pm = GetGWorldPixMap(out);
    Rect bounds;
    GetPortBounds(out, &bounds);
    pictures_.ConvertScaled(frame_.get(), field_, reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)),
                            GetPixRowBytes(pm), bounds.right - bounds.left,
                            bounds.bottom - bounds.top, quality == kDVLowQuality);
    return kPluginOK;
}

int64_t FrameAtTime(const media::InputFile& in, const std::string& text, const std::string& what) {
    const double seconds = ParseSeconds(text, what);
    const int64_t frame = in.FrameAt(seconds);
    if (frame >= in.frameCount()) {
        char length[32];
        std::snprintf(length, sizeof length, "%.3f", in.FrameSeconds(in.frameCount()));
        throw UsageError(what + " " + text + " is past the end of " + in.path() + " (" + length +
                         " s)");
    }
    return frame;
}

}  // namespace hzfix
