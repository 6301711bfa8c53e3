// The one rule by which scaled copies pick their source pixel: the source
// pixel under the destination pixel's centre. Every nearest-pixel scaler of
// the project (CopyBits, a host's Blit) samples with it, so a frame scaled
// by the plug-in and one scaled by its host agree.
#ifndef HZ_PLATFORM_QUICKDRAW_NEARESTSAMPLE_H
#define HZ_PLATFORM_QUICKDRAW_NEARESTSAMPLE_H

#include <cstdint>

// Source position of destination pixel dstIndex's centre, 16.16 fixed point.
inline int64_t NearestSourceFixed(int srcStart, int srcLen, int dstLen, int dstIndex) {
    return (static_cast<int64_t>(srcStart) << 16) +
           ((static_cast<int64_t>(2 * dstIndex + 1) * srcLen << 16) / (2 * dstLen));
}

inline int NearestSource(int srcStart, int srcLen, int dstLen, int dstIndex) {
    return static_cast<int>(NearestSourceFixed(srcStart, srcLen, dstLen, dstIndex) >> 16);
}

#endif
