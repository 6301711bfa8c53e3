// The tilt of a frame's horizon as a host that measures it answers (the
// MeasureTilt slot of the procedure table), for the dialog's Level command.
#ifndef HZ_HOST_HOSTTILT_H
#define HZ_HOST_HOSTTILT_H

#include "dialog/ConfigWorkspace.h"
#include "host/HYPlugin.h"

// Whether the host's table has the slot and fills it.
bool HostMeasuresTilt(const HYPluginParams* params);

// The dialog's measuring procedure: false when the host did not answer
// kPluginOK. A tilt or confidence out of its range, or not a number, is
// untrusted, with no confidence.
bool MeasureTiltThroughHost(GWorldPtr theGW, HYPluginParams* params, MeasuredTiltRec* tilt);

#endif
