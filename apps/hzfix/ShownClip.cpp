#include "apps/hzfix/ShownClip.h"

#include <new>

#include "apps/media/Fields.h"
#include "platform/quickdraw/QuickDraw.h"

namespace hzfix {

std::string PicturesSummary(const media::PictureShape& shape, bool rotationWritten) {
    std::string words;
    if (shape.fields) {
        const AVFieldOrder order = shape.format.fieldOrder;
        words = std::string("interlaced, ") +
                (order == AV_FIELD_TT || order == AV_FIELD_TB ? "top" : "bottom") +
                " field first: each field drawn from itself alone, field order kept";
    }
    if (shape.hasRotation) {
        if (!words.empty()) words += "; ";
        if (!shape.orientation.upright())
            words += shape.orientation.Words() + " as players show them, written upright";
        else
            words += std::string("as stored, the display rotation ") +
                     (rotationWritten ? "carried over for players" : "not carried over");
    }
    return words.empty() ? "" : "  pictures: " + words + "\n";
}

HYPluginResult DrawByFields(const media::PictureShape& shape, SeekingFrames& frames, GWorldPtr dest,
                            const std::function<HYPluginResult(GWorldPtr)>& draw) {
    if (!shape.fields) return draw(dest);
    Rect bounds;
    GetPortBounds(dest, &bounds);
    GWorldPtr second = nullptr;
    if (NewGWorld(&second, 32, &bounds, nullptr, nullptr, 0) != noErr) throw std::bad_alloc();
    struct Disposer {
        GWorldPtr world;
        ~Disposer() { DisposeGWorld(world); }
    } disposer{second};
    frames.setField(0);
    HYPluginResult result = draw(dest);
    if (result == kPluginOK) {
        frames.setField(1);
        result = draw(second);
    }
    frames.setField(media::kWholeFrame);
    if (result != kPluginOK) return result;
    PixMapHandle from = GetGWorldPixMap(second), to = GetGWorldPixMap(dest);
    media::CopyField(reinterpret_cast<const uint8_t*>(GetPixBaseAddr(from)), GetPixRowBytes(from),
                     reinterpret_cast<uint8_t*>(GetPixBaseAddr(to)), GetPixRowBytes(to),
                     bounds.right - bounds.left, bounds.bottom - bounds.top, 1);
    return kPluginOK;
}

}  // namespace hzfix
