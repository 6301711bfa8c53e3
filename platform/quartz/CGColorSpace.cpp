#include <new>

#include "platform/quartz/QuartzPrivate.h"

// Every context here is device RGB, so the space carries nothing but its count.
CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void) { return new (std::nothrow) CGColorSpace; }

void CGColorSpaceRelease(CGColorSpaceRef space) {
    if (space && space->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete space;
}
