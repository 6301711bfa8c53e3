#include <cstdio>
#include <cstdlib>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/hzfix/SeekingFrames.h"
#include "apps/level/FrameTilt.h"
#include "apps/media/InputFile.h"
#include "platform/files/FileSpecPath.h"
#include "platform/files/Files.h"
#include "platform/quickdraw/QuickDraw.h"

namespace hzfix {

namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}

// The dialog's toolkit would abort the whole process without a display;
// better to say so before the plug-in is even loaded.
void RequireDisplay() {
    if (Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM")) return;
    throw UsageError(
        "configure opens a window and there is no display (DISPLAY and WAYLAND_DISPLAY "
        "are unset); run it in a desktop session, or set QT_QPA_PLATFORM (offscreen for "
        "a window nobody sees)");
}

// The plug-in saves what the dialog confirms into the preferences folder
// but, as on its first platform where that folder always exists, never
// makes it; a fresh account may not have it yet.
void MakePreferencesFolder() {
    int16_t vRefNum;
    int32_t dirID;
    if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID) != noErr)
        throw media::OutputError("cannot make the preferences folder " + PreferencesFolderPath());
}

// The dialog's Level command measures the frame it shows as hzfix level
// measures one frame.
pluginhost::PluginHost::TiltMeter FrameMeter(level::TiltMeter* meter) {
    return [meter](const uint8_t* argb, int32_t rowBytes, int16_t width, int16_t height,
                   HYTiltRec* out) {
        const level::FrameTiltRec tilt = meter->MeasureArgb(argb, rowBytes, width, height);
        *out = HYTiltRec{static_cast<float>(tilt.tiltDegrees), static_cast<float>(tilt.confidence),
                         tilt.reliable};
        return HYPluginResult{kPluginOK};
    };
}

}  // namespace

const std::vector<OptionSpec>& ConfigureOptions() {
    static const std::vector<OptionSpec> options = {
        {"--at", "TIME", "the frame to open on (seconds or [H:]M:S; default the first)", nullptr,
         OptionType::cTime},
    };
    return options;
}

std::string ConfigureHelp() {
    return "usage: hzfix configure CLIP [options]\n"
           "  Opens the effect's settings dialog on CLIP, in the video format (NTSC, PAL or\n"
           "  HD) whose frame fits CLIP's shape best; the dialog can switch. Its position\n"
           "  slider and frame buttons move through the whole clip; Level measures the\n"
           "  horizon of the frame shown as hzfix level does. OK saves the settings:\n"
           "  every later hzfix render starts from them. Cancel (also on Ctrl-C or SIGTERM)\n"
           "  leaves them as they were and exits with status 6 (130 or 143 for a signal).\n"
           "  Needs a display (DISPLAY or WAYLAND_DISPLAY), or QT_QPA_PLATFORM set.\n" +
           OptionsHelp(ConfigureOptions());
}

int RunConfigure(const Context& context, const std::vector<std::string>& words) {
    ParsedArgs args = ParseArgs(words, ConfigureOptions());
    if (args.positional.size() != 1) throw UsageError("configure needs one CLIP");
    RequireDisplay();
    MakePreferencesFolder();

    auto plugin = context.LoadPlugin();
    media::InputFile in(args.positional[0], context.interrupt);
    // The dialog shows the clip as players do; its small preview is not
    // drawn field by field.
    const media::PictureShape shape = media::ShapeOf(in, false);
    RequirePluginFrameSize(in.path(), shape.format.width, shape.format.height);
    const int64_t total = in.frameCount();
    const int64_t at = args.Has("--at") ? FrameAtTime(in, *args.Get("--at"), "--at") : 0;
    if (total > INT32_MAX)
        throw media::InputError(in.path() + " has more frames than the plug-in can count");

    SeekingFrames frames(in, shape);
    pluginhost::PluginHost host(*plugin, frames);
    level::TiltMeter meter;
    host.setTiltMeter(FrameMeter(&meter));
    HYPluginResult result = host.GetInfo(static_cast<int32_t>(total), nullptr);
    if (result != kPluginOK) throw PluginFailure("to describe itself", result);
    pluginhost::ClipSettings clip;
    clip.frameCount = static_cast<int32_t>(total);
    clip.movieWidth = static_cast<int16_t>(in.video().width);
    clip.movieHeight = static_cast<int16_t>(in.video().height);
    result = host.BeginClip(clip);
    if (result != kPluginOK) throw PluginFailure("to begin the clip", result);

    // A host shows the frame in its viewer before the user can press the
    // button; the plug-in learns the clip's extent from that request.
    const Rect viewer = {0, 0, 24, 32};
    GWorldPtr shown = nullptr;
    if (NewGWorld(&shown, 32, &viewer, nullptr, nullptr, 0) != noErr) throw std::bad_alloc();
    result = host.RenderFrame(static_cast<int32_t>(at), shown, viewer);
    DisposeGWorld(shown);
    if (result != kPluginOK) throw PluginFailure("to show frame " + std::to_string(at), result);

    // The dialog closes as Cancel would when the process is asked to end,
    // but only once it is open; before, the request would be lost.
    if (context.interrupt->load()) throw Interrupted();
    const HYPluginResult answer = host.CustomButton(static_cast<int32_t>(at));
    if (context.interrupt->load()) throw Interrupted();
    if (answer != kPluginOK && answer != kPluginCancel)
        throw PluginFailure("to open its settings dialog", answer);
    result = host.EndClip();
    if (result != kPluginOK) throw PluginFailure("to end the clip", result);
    if (answer == kPluginCancel) {
        std::printf("%s: dialog cancelled; the saved settings are unchanged\n", in.path().c_str());
        return kExitCancelled;
    }
    std::printf("%s: settings saved; hzfix settings show lists what render will use\n",
                in.path().c_str());
    return kExitOk;
}

}  // namespace hzfix
