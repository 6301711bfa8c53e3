#include "apps/hzfix/Commands.h"

namespace hzfix {

const std::vector<CommandRec>& AllCommands() {
    static const std::vector<CommandRec> commands = {
        {"info", "", "what the plug-in says about itself", RunInfo, InfoHelp, InfoOptions},
        {"render", "IN OUT [options]", "apply the effect to a whole clip or part of it", RunRender,
         RenderHelp, RenderOptions},
        {"preview", "IN OUT.png [options]", "one frame with the effect, to try settings out",
         RunPreview, PreviewHelp, PreviewOptions},
        {"thumbnail", "IN OUT.png [options]", "the plug-in's placeholder picture of a clip",
         RunThumbnail, ThumbnailHelp, ThumbnailOptions},
        {"level", "CLIP [options]",
         "measure the tilt of a clip's horizon and the turn that levels it", RunLevel, LevelHelp,
         LevelOptions},
        {"settings", "show|set|reset", "the settings the effect starts from", RunSettings,
         SettingsHelp, SettingsOptions, "show set reset"},
        {"configure", "CLIP [options]", "set them in the effect's dialog, on CLIP's frames",
         RunConfigure, ConfigureHelp, ConfigureOptions},
    };
    return commands;
}

}  // namespace hzfix
