#include <cstring>
#include <new>

#include "platform/quartz/QuartzPrivate.h"

namespace {

// Cut-outs of a buffer are drawn as opaque pictures, so the alpha byte is
// forced on while the words are turned into the native order images keep.
inline uint32_t OpaqueNativeFromDevice(uint32_t word) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return word | 0xFF000000u;
#else
    // With the alpha byte dropped the swap is shifts and masks, which SSE2
    // vectorises where a byte swap would not.
    return 0xFF000000u | ((word << 8) & 0x00FF0000u) | ((word >> 8) & 0x0000FF00u) | (word >> 24);
#endif
}

// Blocks of four with a fixed count, which GCC vectorises at -O2 (its cheap
// cost model leaves loops of unknown length scalar).
void OpaqueImageRowFromDevice(const uint8_t* src, uint32_t* dst, int32_t count) {
    int32_t i = 0;
    for (; i + 4 <= count; i += 4) {
        uint32_t words[4];
        std::memcpy(words, src + 4 * i, sizeof words);
        for (int k = 0; k < 4; ++k) dst[i + k] = OpaqueNativeFromDevice(words[k]);
    }
    for (; i < count; ++i) {
        uint32_t word;
        std::memcpy(&word, src + 4 * i, sizeof word);
        dst[i] = OpaqueNativeFromDevice(word);
    }
}

CGImageRef WrapPixels(std::shared_ptr<const CGImagePixels> pixels) {
    auto* image = new (std::nothrow) CGImage;
    if (image) image->pixels = std::move(pixels);
    return image;
}

}  // namespace

CGImageRef CGImageRetain(CGImageRef image) {
    if (image) image->refs.fetch_add(1, std::memory_order_relaxed);
    return image;
}

void CGImageRelease(CGImageRef image) {
    if (image && image->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete image;
}

CGImageRef CGImageCreateCopy(CGImageRef image) {
    return image ? WrapPixels(image->pixels) : nullptr;
}

size_t CGImageGetWidth(CGImageRef image) {
    return image ? static_cast<size_t>(image->pixels->width) : 0;
}

size_t CGImageGetHeight(CGImageRef image) {
    return image ? static_cast<size_t>(image->pixels->height) : 0;
}

CGImageRef CGBitmapContextCreateImage(CGContextRef context) {
    if (!context) return nullptr;
    std::shared_ptr<CGImagePixels> pixels;
    try {
        pixels = std::make_shared<CGImagePixels>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    pixels->width = context->width;
    pixels->height = context->height;
    pixels->stride = context->width;
    pixels->opaque = true;
    const size_t count = static_cast<size_t>(context->width) * static_cast<size_t>(context->height);
    pixels->words = {static_cast<uint32_t*>(pixelmemory::Allocate(count * sizeof(uint32_t))),
                     pixelmemory::Deleter{count * sizeof(uint32_t)}};
    if (!pixels->words) return nullptr;
    for (int32_t y = 0; y < context->height; ++y) {
        OpaqueImageRowFromDevice(context->data + y * context->rowBytes,
                                 pixels->words.get() + y * pixels->stride, context->width);
    }
    return WrapPixels(std::move(pixels));
}
