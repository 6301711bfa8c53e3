#include "apps/hzfix/SettingFields.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "apps/hzfix/Errors.h"

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

// "7" is seven steps; "2.8deg" (or "2.8°") is degrees, taken to the nearest
// step. The steps are what is stored.
int16_t TurnSteps(const std::string& text) {
    for (const std::string unit : {"deg", "\u00B0"}) {
        if (text.size() <= unit.size() ||
            text.compare(text.size() - unit.size(), unit.size(), unit))
            continue;
        const double degrees = ParseNumber(text.substr(0, text.size() - unit.size()), "--turn");
        const double steps = std::round(degrees / TurnDegrees(1));
        if (std::abs(steps) > INT16_MAX) throw UsageError("--turn: " + text + " is too far");
        return static_cast<int16_t>(steps);
    }
    return Slider(text, "--turn");
}

std::string Moved(int pixels, const char* positive, const char* negative) {
    if (pixels == 0) return "not moved";
    return std::to_string(std::abs(pixels)) + " pixels " + (pixels > 0 ? positive : negative);
}

}  // namespace

const std::vector<SettingField>& SettingFields() {
    static const std::vector<SettingField> fields = {
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
        {"turn", "STEPS|DEGdeg",
         "turn counter-clockwise (clockwise if <0): STEPS of 0.4 degree, or DEGdeg",
         [](PluginDataRec& c, const std::string& v) { c.sliders[cTurnSlider - 1] = TurnSteps(v); },
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

const std::vector<OptionSpec>& SettingOptions() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const SettingField& f : SettingFields()) n.push_back(std::string("--") + f.name);
        return n;
    }();
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> o;
        for (size_t i = 0; i < SettingFields().size(); ++i)
            o.push_back({names[i].c_str(), SettingFields()[i].argument, SettingFields()[i].help});
        return o;
    }();
    return options;
}

bool ApplySettingOptions(const ParsedArgs& args, PluginDataRec* settings) {
    bool any = false;
    for (const SettingField& f : SettingFields()) {
        if (auto v = args.Get(std::string("--") + f.name)) {
            f.set(*settings, *v);
            any = true;
        }
    }
    return any;
}

std::string SettingsFileText(const PluginDataRec& settings) {
    std::string text = "# Horizon Fix settings: NAME = VALUE, as hzfix settings set takes them\n";
    for (const SettingField& f : SettingFields())
        text += std::string(f.name) + " = " + f.value(settings) + "\n";
    return text;
}

void ReadSettingsFile(const std::string& path, PluginDataRec* settings) {
    std::ifstream file(path);
    if (!file) throw SettingsError("cannot read the settings file " + path, false);
    std::string line;
    for (int number = 1; std::getline(file, line); ++number) {
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        const size_t equals = line.find('=');
        const auto trimmed = [](std::string s) {
            s.erase(0, s.find_first_not_of(" \t\r"));
            s.erase(s.find_last_not_of(" \t\r") + 1);
            return s;
        };
        const std::string where = path + ":" + std::to_string(number);
        if (equals == std::string::npos) throw UsageError(where + ": not NAME = VALUE");
        const std::string name = trimmed(line.substr(0, equals));
        const SettingField* field = nullptr;
        for (const SettingField& f : SettingFields())
            if (name == f.name) field = &f;
        if (!field) throw UsageError(where + ": no setting is called '" + name + "'");
        try {
            field->set(*settings, trimmed(line.substr(equals + 1)));
        } catch (const UsageError& e) {
            throw UsageError(where + ": " + e.what());
        }
    }
}

}  // namespace hzfix
