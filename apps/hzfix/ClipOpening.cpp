#include "apps/hzfix/ClipOpening.h"

#include "apps/hzfix/Errors.h"
#include "apps/media/SameFile.h"

namespace hzfix {

OpenedClip OpenClip(const Context& context, const ParsedArgs& args, const StreamFiles& files) {
    OpenedClip opened;
    opened.run = ResolveRunSettings(args, PrintWarning);
    media::RefuseOutputOverInput(files.in(), files.out());
    opened.plugin = context.LoadPlugin();
    opened.in = std::make_unique<media::InputFile>(files.in(), context.interrupt);
    opened.shape = media::ShapeOf(*opened.in, args.Has("--keep-rotation"));
    RequirePluginFrameSize(files.in(), opened.shape.format.width, opened.shape.format.height);
    return opened;
}

}  // namespace hzfix
