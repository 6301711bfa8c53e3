#include "apps/hzfix/SeekingFrames.h"

#include "platform/quickdraw/QuickDraw.h"

namespace hzfix {

HYPluginResult SeekingFrames::ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                           GWorldPtr out) {
    if (frameNumber < 0 || frameNumber >= in_.frameCount()) return kPluginCantGetNeededFrame;
    if (!frame_ || index_ != frameNumber) {
        if (!frame_ || frameNumber != index_ + 1) in_.SeekTo(frameNumber);
        if (!in_.Next(&frame_, &index_) || index_ != frameNumber) {
            frame_.reset();
            return kPluginCantGetNeededFrame;
        }
    }
    PixMapHandle pm = GetGWorldPixMap(out);
    Rect bounds;
    GetPortBounds(out, &bounds);
    converter_.Convert(frame_.get(), reinterpret_cast<uint8_t*>(GetPixBaseAddr(pm)),
                       GetPixRowBytes(pm), bounds.right - bounds.left, bounds.bottom - bounds.top,
                       quality == kDVLowQuality);
    return kPluginOK;
}

}  // namespace hzfix
