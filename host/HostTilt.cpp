#include "host/HostTilt.h"

#include <cmath>

#include "common/commonprocs.h"

bool HostMeasuresTilt(const HYPluginParams* params) {
    return params->interfaceVersion >= kHYMeasureTiltInterfaceVersion && params->procs->MeasureTilt;
}

bool MeasureTiltThroughHost(GWorldPtr theGW, HYPluginParams* params, MeasuredTiltRec* tilt) {
    Rect bounds;
    GetPortBounds(theGW, &bounds);
    LockedPixels lock(theGW);
    PixMapHandle pm = GetGWorldPixMap(theGW);
    HYTiltRec answer{};
    if (params->procs->MeasureTilt(
            params->instance, reinterpret_cast<const uint8_t*>(GetPixBaseAddr(pm)),
            GetPixRowBytes(pm), static_cast<int16_t>(bounds.right - bounds.left),
            static_cast<int16_t>(bounds.bottom - bounds.top), &answer) != kPluginOK)
        return false;
    // The comparisons are false for a NaN as well.
    const bool sane =
        std::abs(answer.tiltDegrees) <= 90 && answer.confidence >= 0 && answer.confidence <= 1;
    *tilt = sane ? MeasuredTiltRec{answer.reliable != 0, answer.tiltDegrees, answer.confidence}
                 : MeasuredTiltRec{false, 0, 0};
    return true;
}
