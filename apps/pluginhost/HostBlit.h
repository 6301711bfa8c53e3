// The host's Blit: lays a source rectangle over a destination rectangle
// with an opacity from 0 (destination unchanged) to 255 (source only).
#ifndef HZ_APPS_PLUGINHOST_HOSTBLIT_H
#define HZ_APPS_PLUGINHOST_HOSTBLIT_H

#include "platform/quickdraw/QuickDraw.h"

namespace pluginhost {

// Rectangles are clipped to their maps; differing sizes scale the source
// (nearest pixel centre, as CopyBits). Results are opaque.
void BlendPixMaps(const PixMap& source, const PixMap& dest, Rect sourceRect, Rect destRect,
                  int opacity);

}  // namespace pluginhost

#endif
