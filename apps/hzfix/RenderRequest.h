// What `hzfix render` was asked for, read from its words before anything is
// opened, so a mistyped option costs nothing.
#ifndef HZ_APPS_HZFIX_RENDERREQUEST_H
#define HZ_APPS_HZFIX_RENDERREQUEST_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "apps/hzfix/Cli.h"
#include "apps/media/VideoEncoderChoice.h"

namespace hzfix {

struct RenderRequest {
    ParsedArgs args;  // for the run's settings and --keep-rotation
    std::string in, out, outType;
    bool replace = false, proxy = false, quiet = false, stats = false;
    std::optional<int64_t> fadeIn, fadeOut;
    double startSeconds = 0;
    std::optional<double> durationSeconds;
    media::VideoEncoding encoding;
    std::string audioEncoder;  // empty: copied where it can be, else the usual one
    std::optional<std::string> progressPath;
};

RenderRequest ParseRenderRequest(const std::vector<std::string>& words);

}  // namespace hzfix

#endif
