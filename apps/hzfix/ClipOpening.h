// What render, preview and thumbnail open before their own work, in the
// order that fails soonest on what the user typed: the run's settings, the
// output not over the input, the plug-in, the clip and the shape its
// pictures are shown in.
#ifndef HZ_APPS_HZFIX_CLIPOPENING_H
#define HZ_APPS_HZFIX_CLIPOPENING_H

#include <memory>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/RunSettings.h"
#include "apps/hzfix/StandardStreams.h"
#include "apps/media/InputFile.h"
#include "apps/media/ShownPictures.h"
#include "apps/pluginhost/PluginHost.h"

namespace hzfix {

struct OpenedClip {
    RunSettingsRec run;
    std::unique_ptr<pluginhost::LoadedPlugin> plugin;
    std::unique_ptr<media::InputFile> in;
    media::PictureShape shape;
};

// `args` holds the run's settings options and --keep-rotation. Throws what
// each step throws; a damaged preferences file is only a warning.
OpenedClip OpenClip(const Context& context, const ParsedArgs& args, const StreamFiles& files);

}  // namespace hzfix

#endif
