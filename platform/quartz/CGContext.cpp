#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>

#include "platform/quartz/QuartzPrivate.h"

namespace {

void Destroy(CGContextRef context) {
    hz::quartz::SettleFill(context);
    if (context->target) pixman_image_unref(context->target);
    if (context->ownsData) std::free(context->data);
    delete context;
}

}  // namespace

namespace hz::quartz {

void SettleFill(CGContextRef context) {
    if (!context->fillPending) return;
    context->fillPending = false;
    for (int32_t y = 0; y < context->height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(context->data + y * context->rowBytes);
        std::fill_n(row, context->width, context->pendingFill);
    }
}

}  // namespace hz::quartz

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef, CGBitmapInfo bitmapInfo) {
    const CGBitmapInfo alphaInfo = bitmapInfo & kCGBitmapAlphaInfoMask;
    if (bitsPerComponent != 8 ||
        (bitmapInfo & ~static_cast<CGBitmapInfo>(kCGBitmapAlphaInfoMask)) ||
        (alphaInfo != kCGImageAlphaPremultipliedFirst && alphaInfo != kCGImageAlphaNoneSkipFirst &&
         alphaInfo != kCGImageAlphaPremultipliedLast && alphaInfo != kCGImageAlphaNoneSkipLast)) {
        return nullptr;
    }
    if (width == 0 || height == 0 || width > hz::quartz::cMaxDimension ||
        height > hz::quartz::cMaxDimension) {
        return nullptr;
    }
    if (!data && bytesPerRow == 0) bytesPerRow = width * 4;
    if (bytesPerRow < width * 4 || bytesPerRow % 4 != 0 || bytesPerRow > (size_t{1} << 30) ||
        reinterpret_cast<uintptr_t>(data) % 4 != 0) {
        return nullptr;
    }

    auto* context = new (std::nothrow) CGContext;
    if (!context) return nullptr;
    context->width = static_cast<int32_t>(width);
    context->height = static_cast<int32_t>(height);
    context->rowBytes = static_cast<ptrdiff_t>(bytesPerRow);
    const bool last =
        alphaInfo == kCGImageAlphaPremultipliedLast || alphaInfo == kCGImageAlphaNoneSkipLast;
    context->order = last ? hz::quartz::ByteOrder::kAlphaLast : hz::quartz::ByteOrder::kAlphaFirst;
    context->data = static_cast<uint8_t*>(data);
    if (!data) {
        context->data = static_cast<uint8_t*>(std::calloc(height, bytesPerRow));
        context->ownsData = true;
        if (!context->data) {
            Destroy(context);
            return nullptr;
        }
    }
    const bool skips =
        alphaInfo == kCGImageAlphaNoneSkipFirst || alphaInfo == kCGImageAlphaNoneSkipLast;
    const pixman_format_code_t format = skips ? hz::quartz::DeviceSkipFormat(context->order)
                                              : hz::quartz::DeviceFormat(context->order);
    context->target = pixman_image_create_bits(format, context->width, context->height,
                                               reinterpret_cast<uint32_t*>(context->data),
                                               static_cast<int>(bytesPerRow));
    if (!context->target) {
        Destroy(context);
        return nullptr;
    }
    return context;
}

CGContextRef CGContextRetain(CGContextRef context) {
    if (context) context->refs.fetch_add(1, std::memory_order_relaxed);
    return context;
}

void CGContextRelease(CGContextRef context) {
    if (context && context->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) Destroy(context);
}

void CGContextFlush(CGContextRef context) {
    if (context) hz::quartz::SettleFill(context);
}

void CGContextSaveGState(CGContextRef context) {
    if (context) context->saved.push_back(context->state);
}

void CGContextRestoreGState(CGContextRef context) {
    if (!context || context->saved.empty()) return;
    context->state = context->saved.back();
    context->saved.pop_back();
}

void CGContextTranslateCTM(CGContextRef context, CGFloat tx, CGFloat ty) {
    if (!context) return;
    hz::quartz::Affine move;
    move.tx = tx;
    move.ty = ty;
    context->state.ctm = context->state.ctm.After(move);
}

void CGContextRotateCTM(CGContextRef context, CGFloat angle) {
    if (!context) return;
    hz::quartz::Affine turn;
    const double radians = angle;
    turn.a = std::cos(radians);
    turn.b = std::sin(radians);
    turn.c = -turn.b;
    turn.d = turn.a;
    context->state.ctm = context->state.ctm.After(turn);
}

void CGContextScaleCTM(CGContextRef context, CGFloat sx, CGFloat sy) {
    if (!context) return;
    hz::quartz::Affine scale;
    scale.a = sx;
    scale.d = sy;
    context->state.ctm = context->state.ctm.After(scale);
}

void CGContextSetAlpha(CGContextRef context, CGFloat alpha) {
    if (context) context->state.alpha = std::clamp(static_cast<double>(alpha), 0.0, 1.0);
}

void CGContextSetBlendMode(CGContextRef context, CGBlendMode mode) {
    if (context) context->state.blendMode = mode;
}

void CGContextSetRGBFillColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue,
                              CGFloat alpha) {
    if (context) context->state.fill = hz::quartz::Rgba{red, green, blue, alpha};
}

void CGContextSetRGBStrokeColor(CGContextRef context, CGFloat red, CGFloat green, CGFloat blue,
                                CGFloat alpha) {
    if (context) context->state.stroke = hz::quartz::Rgba{red, green, blue, alpha};
}

void CGContextSetLineWidth(CGContextRef context, CGFloat width) {
    if (context) context->state.lineWidth = width;
}
