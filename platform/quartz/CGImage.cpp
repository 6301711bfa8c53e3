#include <cstring>
#include <new>

#include "platform/quartz/QuartzPrivate.h"

namespace {

CGImageRef WrapPixels(std::shared_ptr<const CGImagePixels> pixels) {
    auto* image = new (std::nothrow) CGImage;
    if (image) image->pixels = std::move(pixels);
    return image;
}

std::shared_ptr<CGImagePixels> NewPixels(int32_t width, int32_t height) {
    std::shared_ptr<CGImagePixels> pixels;
    try {
        pixels = std::make_shared<CGImagePixels>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    pixels->width = width;
    pixels->height = height;
    return pixels;
}

}  // namespace

CGDataProviderRef CGDataProviderCreateWithData(void* info, const void* data, size_t size,
                                               CGDataProviderReleaseDataCallback releaseData) {
    auto* provider = new (std::nothrow) CGDataProvider;
    if (!provider) return nullptr;
    provider->info = info;
    provider->data = data;
    provider->size = size;
    provider->release = releaseData;
    return provider;
}

CGDataProviderRef CGDataProviderRetain(CGDataProviderRef provider) {
    if (provider) provider->refs.fetch_add(1, std::memory_order_relaxed);
    return provider;
}

void CGDataProviderRelease(CGDataProviderRef provider) {
    if (!provider || provider->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    if (provider->release) provider->release(provider->info, provider->data, provider->size);
    delete provider;
}

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

CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat*, bool, CGColorRenderingIntent) {
    if (!provider || !provider->data || bitsPerComponent != 8 || bitsPerPixel != 32 ||
        (bitmapInfo != kCGImageAlphaNoneSkipFirst && bitmapInfo != kCGImageAlphaNoneSkipLast) ||
        width == 0 || height == 0 || width > hz::quartz::cMaxDimension ||
        height > hz::quartz::cMaxDimension || bytesPerRow < width * 4 || bytesPerRow % 4 != 0 ||
        reinterpret_cast<uintptr_t>(provider->data) % 4 != 0 ||
        provider->size < (height - 1) * bytesPerRow + width * 4) {
        return nullptr;
    }
    std::shared_ptr<CGImagePixels> pixels =
        NewPixels(static_cast<int32_t>(width), static_cast<int32_t>(height));
    if (!pixels) return nullptr;
    pixels->stride = static_cast<ptrdiff_t>(bytesPerRow / 4);
    pixels->words = static_cast<const uint32_t*>(provider->data);
    if (bitmapInfo == kCGImageAlphaNoneSkipLast) pixels->order = hz::quartz::ByteOrder::kAlphaLast;
    pixels->provider = CGDataProviderRetain(provider);
    return WrapPixels(std::move(pixels));
}

CGImageRef CGBitmapContextCreateImage(CGContextRef context) {
    if (!context) return nullptr;
    hz::quartz::SettleFill(context);
    std::shared_ptr<CGImagePixels> pixels = NewPixels(context->width, context->height);
    if (!pixels) return nullptr;
    pixels->stride = context->width;
    pixels->order = context->order;
    const size_t rowBytes = static_cast<size_t>(context->width) * sizeof(uint32_t);
    const size_t bytes = rowBytes * static_cast<size_t>(context->height);
    pixels->copy = {static_cast<uint32_t*>(pixelmemory::Allocate(bytes)),
                    pixelmemory::Deleter{bytes}};
    if (!pixels->copy) return nullptr;
    for (int32_t y = 0; y < context->height; ++y) {
        std::memcpy(pixels->copy.get() + y * pixels->stride, context->data + y * context->rowBytes,
                    rowBytes);
    }
    pixels->words = pixels->copy.get();
    return WrapPixels(std::move(pixels));
}
