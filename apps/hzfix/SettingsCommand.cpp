#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "apps/media/LibAv.h"
#include "engine/PluginData.h"
#include "persistence/prefsloader.h"
#include "platform/files/FileSpecPath.h"
#include "platform/files/Files.h"

namespace hzfix {

namespace {

// On the dialog's frame for the settings' format.
int PixelsOf(const PluginDataRec& c, int16_t value) {
    const MediaFrameRec f = MediaFrame(c.mediaType);
    return SliderPixels(std::max(f.width, f.height), value);
}

std::string OnFrame(const PluginDataRec& c) {
    const MediaFrameRec f = MediaFrame(c.mediaType);
    return " on a " + std::to_string(f.width) + "x" + std::to_string(f.height) + " (" + f.name +
           ") frame";
}

std::string Hex(const RGBColor& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red >> 8, c.green >> 8, c.blue >> 8);
    return text;
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string Percent(double fraction) { return Number(fraction * 100) + "%"; }

int16_t Slider(const std::string& text, const std::string& what) {
    return static_cast<int16_t>(ParseInteger(text, INT16_MIN, INT16_MAX, what));
}

std::string Moved(int pixels, const char* positive, const char* negative) {
    if (pixels == 0) return "not moved";
    return std::to_string(std::abs(pixels)) + " pixels " + (pixels > 0 ? positive : negative);
}

// One row per field of the settings record: how it is set, shown and told.
struct Field {
    const char* name;
    const char* argument;  // what the value is called in help
    const char* help;
    std::function<void(PluginDataRec&, const std::string&)> set;
    std::function<std::string(const PluginDataRec&)> value;
    std::function<std::string(const PluginDataRec&)> meaning;
};

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {"framing", "L,R,T,B", "framing rectangle as fractions of the frame (0,1,0,1: all of it)",
         [](PluginDataRec& c, const std::string& v) {
             auto n = ParseNumberList(v, 4, "--framing");
             c.startRel = {n[0], n[1], n[2], n[3]};
         },
         [](const PluginDataRec& c) {
             const RelRect& r = c.startRel;
             return Number(r.left) + "," + Number(r.right) + "," + Number(r.top) + "," +
                    Number(r.bottom);
         },
         [](const PluginDataRec& c) {
             const RelRect& r = c.startRel;
             if (r.left == 0 && r.right == 1 && r.top == 0 && r.bottom == 1)
                 return std::string("the whole frame is kept");
             return "keeps " + Percent(r.left) + " to " + Percent(r.right) + " of the width, " +
                    Percent(r.top) + " to " + Percent(r.bottom) +
                    " of the height; the rest shows the background";
         }},
        {"turn", "STEPS",
         "turn the picture 0.4 degree per step, counter-clockwise for positive steps",
         [](PluginDataRec& c, const std::string& v) {
             c.sliders[cTurnSlider - 1] = Slider(v, "--turn");
         },
         [](const PluginDataRec& c) { return std::to_string(c.sliders[cTurnSlider - 1]); },
         [](const PluginDataRec& c) {
             const int s = c.sliders[cTurnSlider - 1];
             if (s == 0) return std::string("not turned");
             char text[64];
             std::snprintf(text, sizeof text, "turned %.1f degrees %s", std::abs(TurnDegrees(s)),
                           s > 0 ? "counter-clockwise" : "clockwise");
             return std::string(text);
         }},
        {"move-x", "N", "move right by N% of the framing rectangle's longer side (left if <0)",
         [](PluginDataRec& c, const std::string& v) {
             c.sliders[cMoveXSlider - 1] = Slider(v, "--move-x");
         },
         [](const PluginDataRec& c) { return std::to_string(c.sliders[cMoveXSlider - 1]); },
         [](const PluginDataRec& c) {
             return Moved(PixelsOf(c, c.sliders[cMoveXSlider - 1]), "right", "left") + OnFrame(c);
         }},
        {"scale", "N", "grow each side by N% of the longer side (shrink if <0)",
         [](PluginDataRec& c, const std::string& v) {
             c.sliders[cScaleSlider - 1] = Slider(v, "--scale");
         },
         [](const PluginDataRec& c) { return std::to_string(c.sliders[cScaleSlider - 1]); },
         [](const PluginDataRec& c) {
             const int z = PixelsOf(c, c.sliders[cScaleSlider - 1]);
             if (z == 0) return "not scaled" + OnFrame(c);
             return std::string("each side ") + (z > 0 ? "grows" : "shrinks") + " by " +
                    std::to_string(std::abs(z)) + " pixels" + OnFrame(c);
         }},
        {"move-y", "N", "move down by N% of the longer side (up if <0)",
         [](PluginDataRec& c, const std::string& v) {
             c.sliders[cMoveYSlider - 1] = Slider(v, "--move-y");
         },
         [](const PluginDataRec& c) { return std::to_string(c.sliders[cMoveYSlider - 1]); },
         [](const PluginDataRec& c) {
             return Moved(PixelsOf(c, c.sliders[cMoveYSlider - 1]), "down", "up") + OnFrame(c);
         }},
        {"background", "#RRGGBB", "colour where the picture does not reach",
         [](PluginDataRec& c, const std::string& v) {
             Rgb16 rgb = ParseColor(v, "--background");
             c.colors[cBackgroundColor - 1] = {rgb.red, rgb.green, rgb.blue};
         },
         [](const PluginDataRec& c) { return Hex(c.colors[cBackgroundColor - 1]); },
         [](const PluginDataRec&) {
             return std::string("fills the frame where the picture does not reach");
         }},
        {"frame-color", "#RRGGBB", "colour of the framing rectangle in the dialog",
         [](PluginDataRec& c, const std::string& v) {
             Rgb16 rgb = ParseColor(v, "--frame-color");
             c.frameStartColor = {rgb.red, rgb.green, rgb.blue};
         },
         [](const PluginDataRec& c) { return Hex(c.frameStartColor); },
         [](const PluginDataRec&) {
             return std::string("draws the framing rectangle in the dialog");
         }},
        {"format", "ntsc|pal|hd", "the frame size the dialog works at",
         [](PluginDataRec& c, const std::string& v) {
             if (v == "ntsc")
                 c.mediaType = kMediaNTSC;
             else if (v == "pal")
                 c.mediaType = kMediaPAL;
             else if (v == "hd")
                 c.mediaType = kMediaHD;
             else
                 throw UsageError("--format: '" + v + "' is not ntsc, pal or hd");
         },
         [](const PluginDataRec& c) {
             switch (c.mediaType) {
                 case kMediaNTSC:
                     return std::string("ntsc");
                 case kMediaPAL:
                     return std::string("pal");
                 case kMediaHD:
                     return std::string("hd");
                 default:
                     return std::to_string(c.mediaType);
             }
         },
         [](const PluginDataRec& c) {
             const MediaFrameRec f = MediaFrame(c.mediaType);
             return std::string("the dialog works on ") + f.name + " frames, " +
                    std::to_string(f.width) + "x" + std::to_string(f.height);
         }},
        {"keep-proportions", "on|off", "hold the framing rectangle's proportions",
         [](PluginDataRec& c, const std::string& v) {
             c.keepProps = ParseOnOff(v, "--keep-proportions");
         },
         [](const PluginDataRec& c) { return std::string(c.keepProps ? "on" : "off"); },
         [](const PluginDataRec& c) {
             return std::string(c.keepProps
                                    ? "dragging holds the framing rectangle's proportions to a "
                                      "picture, when there is one"
                                    : "the framing rectangle is dragged freely");
         }},
    };
    return fields;
}

// The saved settings, or the defaults when none are saved; `saved` tells.
PluginDataRec Load(bool* saved) {
    PluginDataRec config = cDefaultSettings;
    PrefsResultRec r = LoadPrefs(&config);
    switch (r.status) {
        case PrefsStatus::cOk:
            *saved = true;
            return config;
        case PrefsStatus::cNoFolder:
        case PrefsStatus::cNoFile:
        case PrefsStatus::cNoSettings:
            *saved = false;
            return cDefaultSettings;
        default:
            throw SettingsError(r.message + "; remove it to start over", false);
    }
}

void Show(const PluginDataRec& config, bool saved) {
    std::printf("file: %s (%s)\n", PrefsFilePath().c_str(),
                saved ? "saved settings" : "nothing saved: the effect's defaults");
    for (const Field& f : Fields())
        std::printf("%-17s %-22s %s\n", f.name, f.value(config).c_str(), f.meaning(config).c_str());
}

// The preferences folder, made if it is missing, as the plug-in makes it.
void MakePreferencesFolder() {
    int16_t vRefNum = 0;
    int32_t dirID = 0;
    if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kCreateFolder, &vRefNum, &dirID) != noErr)
        throw SettingsError("cannot make the preferences folder " + PreferencesFolderPath() + ": " +
                                std::strerror(errno),
                            true);
}

// One option of `settings set` per field.
const std::vector<OptionSpec>& SetOptions() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const Field& f : Fields()) n.push_back(std::string("--") + f.name);
        return n;
    }();
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> o;
        for (size_t i = 0; i < Fields().size(); ++i)
            o.push_back({names[i].c_str(), Fields()[i].argument, Fields()[i].help});
        return o;
    }();
    return options;
}

}  // namespace

std::string SettingsHelp() {
    return "usage: hzfix settings show | set OPTIONS | reset\n"
           "  The settings the plug-in starts every clip from (the preferences file).\n"
           "  show   print every setting and what it does\n"
           "  reset  forget the saved settings; the effect starts from its defaults\n"
           "  set    change the settings named, keep the others:\n" +
           OptionsHelp(SetOptions()) +
           "  Steps and percentages are whole numbers from -32768 to 32767.\n";
}

int RunSettings(const Context&, const std::vector<std::string>& words) {
    ParsedArgs args = ParseArgs(words, SetOptions());
    if (args.positional.size() != 1) throw UsageError("settings needs one of show, set, reset");
    const std::string& action = args.positional[0];
    if (action != "set" && !args.values.empty())
        throw UsageError("settings " + action + " takes no options");

    if (action == "show") {
        bool saved = false;
        PluginDataRec config = Load(&saved);
        Show(config, saved);
        return kExitOk;
    }
    if (action == "reset") {
        PrefsResultRec r = ResetPrefs();
        if (r.status != PrefsStatus::cOk) throw SettingsError(r.message, true);
        std::printf("settings reset: the effect starts from its defaults\n");
        return kExitOk;
    }
    if (action != "set") throw UsageError("settings: unknown action '" + action + "'");
    if (args.values.empty()) throw UsageError("settings set: name at least one setting");

    bool saved = false;
    PluginDataRec config = Load(&saved);
    // Every value is checked before anything is written.
    for (const Field& f : Fields())
        if (auto v = args.Get(std::string("--") + f.name)) f.set(config, *v);
    MakePreferencesFolder();
    PrefsResultRec r = StorePrefs(config);
    if (r.status != PrefsStatus::cOk) throw SettingsError(r.message, true);
    Show(config, true);
    return kExitOk;
}

}  // namespace hzfix
