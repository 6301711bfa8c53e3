// What the commands that draw a clip's pictures share about how they are
// shown to the plug-in: the option that keeps the stored orientation, the
// summary line, and drawing an interlaced frame field by field.
#ifndef HZ_APPS_HZFIX_SHOWNCLIP_H
#define HZ_APPS_HZFIX_SHOWNCLIP_H

#include <functional>
#include <string>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/SeekingFrames.h"
#include "apps/media/ShownPictures.h"

namespace hzfix {

inline constexpr OptionSpec kKeepRotationOption = {
    "--keep-rotation", nullptr,
    "work on a phone clip's pictures as stored and leave its display rotation to "
    "players (default: turn them as players show them, and write them upright)"};

// The summary's line on the pictures ("pictures: ..."), empty for a
// progressive clip without a display rotation. `rotationWritten`: the
// output carries the display rotation over.
std::string PicturesSummary(const media::PictureShape& shape, bool rotationWritten);

// Draws a picture into `dest` with `draw`, which asks the plug-in for one:
// for an interlaced clip once per field, each field's rows kept from its
// own drawing, as a render does.
HYPluginResult DrawByFields(const media::PictureShape& shape, SeekingFrames& frames, GWorldPtr dest,
                            const std::function<HYPluginResult(GWorldPtr)>& draw);

}  // namespace hzfix

#endif
