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
#include "engine/DataHandling.h"
#include "engine/PluginData.h"
#include "persistence/prefsloader.h"
#include "platform/files/FileSpecPath.h"

namespace hzfix {

const char kSettingsHelp[] =
    "usage: hzfix settings show | set OPTIONS | reset\n"
    "  The settings the plug-in starts every clip from (the preferences file).\n"
    "  show   print every setting and what it does\n"
    "  reset  forget the saved settings; the effect starts from its defaults\n"
    "  set    change the settings named, keep the others:\n"
    "    --framing L,R,T,B       framing rectangle as fractions of the frame\n"
    "                            (0,1,0,1 is the whole frame)\n"
    "    --turn STEPS            turn the picture 0.4 degree per step, counter-clockwise\n"
    "                            for positive steps\n"
    "    --move-x N              move right by N% of the frame's longer side (left if <0)\n"
    "    --move-y N              move down by N% of the longer side (up if <0)\n"
    "    --scale N               grow each side by N% of the longer side (shrink if <0)\n"
    "    --background #RRGGBB    colour where the picture does not reach\n"
    "    --frame-color #RRGGBB   colour of the framing rectangle in the dialog\n"
    "    --format ntsc|pal|hd    the frame size the dialog works at\n"
    "    --keep-proportions on|off  hold the framing rectangle's proportions\n"
    "  Steps and percentages are whole numbers from -32768 to 32767.\n";

namespace {

struct FrameSize {
    const char* name;
    int width, height;
};

// The dialog's frame for each format; any other value works as NTSC.
FrameSize FormatFrame(int16_t mediaType) {
    switch (mediaType) {
        case kMediaPAL:
            return {"PAL", 720, 576};
        case kMediaHD:
            return {"HD", 960, 540};
        default:
            return {"NTSC", 720, 480};
    }
}

// The renderer's rule: a share of the longer side, truncated toward zero.
int PixelsOf(const PluginDataRec& c, int16_t value) {
    const FrameSize f = FormatFrame(c.mediaType);
    return std::max(f.width, f.height) * value / 100;
}

std::string OnFrame(const PluginDataRec& c) {
    const FrameSize f = FormatFrame(c.mediaType);
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
    std::function<void(PluginDataRec&, const std::string&)> set;
    std::function<std::string(const PluginDataRec&)> value;
    std::function<std::string(const PluginDataRec&)> meaning;
};

const std::vector<Field>& Fields() {
    static const std::vector<Field> fields = {
        {"framing",
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
        {"turn",
         [](PluginDataRec& c, const std::string& v) {
             c.sliders[cTurnSlider - 1] = Slider(v, "--turn");
         },
         [](const PluginDataRec& c) { return std::to_string(c.sliders[cTurnSlider - 1]); },
         [](const PluginDataRec& c) {
             const int s = c.sliders[cTurnSlider - 1];
             if (s == 0) return std::string("not turned");
             char text[64];
             std::snprintf(text, sizeof text, "turned %.1f degrees %s", std::abs(s) * 0.4,
                           s > 0 ? "counter-clockwise" : "clockwise");
             return std::string(text);
         }},
        {"move-x",
         [](PluginDataRec& c, const std::string& v) {
             c.sliders[cMoveXSlider - 1] = Slider(v, "--move-x");
         },
         [](const PluginDataRec& c) { return std::to_string(c.sliders[cMoveXSlider - 1]); },
         [](const PluginDataRec& c) {
             return Moved(PixelsOf(c, c.sliders[cMoveXSlider - 1]), "right", "left") + OnFrame(c);
         }},
        {"scale",
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
        {"move-y",
         [](PluginDataRec& c, const std::string& v) {
             c.sliders[cMoveYSlider - 1] = Slider(v, "--move-y");
         },
         [](const PluginDataRec& c) { return std::to_string(c.sliders[cMoveYSlider - 1]); },
         [](const PluginDataRec& c) {
             return Moved(PixelsOf(c, c.sliders[cMoveYSlider - 1]), "down", "up") + OnFrame(c);
         }},
        {"background",
         [](PluginDataRec& c, const std::string& v) {
             Rgb16 rgb = ParseColor(v, "--background");
             c.colors[cBackgroundColor - 1] = {rgb.red, rgb.green, rgb.blue};
         },
         [](const PluginDataRec& c) { return Hex(c.colors[cBackgroundColor - 1]); },
         [](const PluginDataRec&) {
             return std::string("fills the frame where the picture does not reach");
         }},
        {"frame-color",
         [](PluginDataRec& c, const std::string& v) {
             Rgb16 rgb = ParseColor(v, "--frame-color");
             c.frameStartColor = {rgb.red, rgb.green, rgb.blue};
         },
         [](const PluginDataRec& c) { return Hex(c.frameStartColor); },
         [](const PluginDataRec&) {
             return std::string("draws the framing rectangle in the dialog");
         }},
        {"format",
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
             const FrameSize f = FormatFrame(c.mediaType);
             return std::string("the dialog works on ") + f.name + " frames, " +
                    std::to_string(f.width) + "x" + std::to_string(f.height);
         }},
        {"keep-proportions",
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

PluginDataRec Defaults() {
    PluginDataRec config{};
    ResetConfig(&config, true);
    return config;
}

// The saved settings, or the defaults when none are saved; `saved` tells.
PluginDataRec Load(bool* saved) {
    PluginDataRec config = Defaults();
    PrefsResultRec r = LoadPrefs(&config);
    switch (r.status) {
        case PrefsStatus::cOk:
            *saved = true;
            return config;
        case PrefsStatus::cNoFolder:
        case PrefsStatus::cNoFile:
        case PrefsStatus::cNoSettings:
            *saved = false;
            return Defaults();
        default:
            throw media::InputError(r.message + "; remove it to start over");
    }
}

void Show(const PluginDataRec& config, bool saved) {
    std::printf("file: %s (%s)\n", PrefsFilePath().c_str(),
                saved ? "saved settings" : "nothing saved: the effect's defaults");
    for (const Field& f : Fields())
        std::printf("%-17s %-22s %s\n", f.name, f.value(config).c_str(), f.meaning(config).c_str());
}

void MakeFolder(const std::string& path) {
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (!partial.empty() && mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            throw media::OutputError("cannot make the folder " + partial + ": " +
                                     std::strerror(errno));
    }
}

}  // namespace

int RunSettings(const Context&, const std::vector<std::string>& words) {
    std::vector<OptionSpec> options;
    std::vector<std::string> names;
    for (const Field& f : Fields()) names.push_back(std::string("--") + f.name);
    for (size_t i = 0; i < names.size(); ++i) options.push_back({names[i].c_str(), "VALUE", ""});
    ParsedArgs args = ParseArgs(words, options);
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
        if (r.status != PrefsStatus::cOk) throw media::OutputError(r.message);
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
    MakeFolder(PreferencesFolderPath());
    PrefsResultRec r = StorePrefs(config);
    if (r.status != PrefsStatus::cOk) throw media::OutputError(r.message);
    Show(config, true);
    return kExitOk;
}

}  // namespace hzfix
