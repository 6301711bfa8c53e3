#include <cstring>
#include <new>

#include "platform/quartz/QuartzPrivate.h"

namespace {

// Cut-outs of a buffer are drawn as opaque pictures, so the alpha byte is
// forced on while the words are turned into the native order images keep.
void OpaqueImageRowFromDevice(const uint8_t* src, uint32_t* dst, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        uint32_t word;
        std::memcpy(&word, src + 4 * i, sizeof word);
        dst[i] = hz::quartz::NativeFromDevice(word) | 0xFF000000u;
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
    pixels->words.reset(new (std::nothrow) uint32_t[count]);
    if (!pixels->words) return nullptr;
    for (int32_t y = 0; y < context->height; ++y) {
        OpaqueImageRowFromDevice(context->data + y * context->rowBytes,
                                 pixels->words.get() + y * pixels->stride, context->width);
    }
    return WrapPixels(std::move(pixels));
}
