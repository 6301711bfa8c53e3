#include "apps/hzfix/SettingFields.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "apps/hzfix/Errors.h"

namespace hzfix {

namespace {

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

std::string Percent(double fraction) { return Number(fraction * 100) + "%"; }

std::string Hex(const RGBColor& c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", c.red >> 8, c.green >> 8, c.blue >> 8);
    return text;
}

std::string Degrees(double degrees) { return Number(degrees) + "deg"; }

int16_t& SliderOf(const SettingDescRec& d, PluginDataRec* c) { return c->sliders[d.index - 1]; }
int16_t SliderOf(const SettingDescRec& d, const PluginDataRec& c) { return c.sliders[d.index - 1]; }

RGBColor& ColorOf(const SettingDescRec& d, PluginDataRec* c) {
    return d.place == SettingPlace::cColors ? c->colors[d.index - 1] : c->frameStartColor;
}
RGBColor ColorOf(const SettingDescRec& d, const PluginDataRec& c) {
    return d.place == SettingPlace::cColors ? c.colors[d.index - 1] : c.frameStartColor;
}

// An on/off lives in its own field or in a slot of the sliders.
bool OnOffOf(const SettingDescRec& d, const PluginDataRec& c) {
    return d.place == SettingPlace::cSliders ? c.sliders[d.index - 1] != 0 : c.keepProps;
}
void SetOnOff(const SettingDescRec& d, PluginDataRec* c, bool on) {
    if (d.place == SettingPlace::cSliders)
        c->sliders[d.index - 1] = on ? 1 : 0;
    else
        c->keepProps = on;
}

bool KnownFormat(int16_t mediaType) {
    for (const MediaFormatRec& f : cMediaFormats)
        if (f.mediaType == mediaType) return true;
    return false;
}

// The formats' names, with their sizes when asked.
std::string FormatNames(const std::string& separator, bool sizes) {
    std::string text;
    for (const MediaFormatRec& f : cMediaFormats) {
        if (!text.empty()) text += separator;
        text += f.name;
        if (sizes)
            text += std::string(" ") + std::to_string(f.width) + "x" + std::to_string(f.height);
    }
    return text;
}

std::string RectangleRule(const SettingDescRec& d) {
    return "each edge " + std::to_string(d.minimum) + " to " + std::to_string(d.maximum) +
           ", left below right, top below bottom";
}

// Why r cannot be meant as a framing, or "" when it can.
std::string RectangleFault(const SettingDescRec& d, const RelRect& r) {
    for (double edge : {r.left, r.right, r.top, r.bottom})
        if (!(edge >= d.minimum && edge <= d.maximum))
            return Number(edge) + " is outside the frame";
    if (!(r.left < r.right))
        return "left " + Number(r.left) + " is not below right " + Number(r.right);
    if (!(r.top < r.bottom))
        return "top " + Number(r.top) + " is not below bottom " + Number(r.bottom);
    return "";
}

}  // namespace

std::string SettingLimits(const SettingDescRec& d) {
    switch (d.kind) {
        case SettingKind::cSlider: {
            std::string text = std::to_string(d.minimum) + " to " + std::to_string(d.maximum);
            if (d.unit == SettingUnit::cTurnSteps)
                text += " (" + Degrees(TurnDegrees(static_cast<int16_t>(d.minimum))) + " to " +
                        Degrees(TurnDegrees(static_cast<int16_t>(d.maximum))) + ")";
            return text;
        }
        case SettingKind::cSubStep:
            return std::to_string(d.minimum) + " to " + std::to_string(d.maximum);
        case SettingKind::cRectangle:
            return RectangleRule(d);
        case SettingKind::cChoice:
            return FormatNames(", ", true);
        case SettingKind::cColor:
        case SettingKind::cOnOff:
            return "";
    }
    return "";
}

namespace {

std::string Argument(const SettingDescRec& d) {
    switch (d.kind) {
        case SettingKind::cSlider:
            return d.unit == SettingUnit::cTurnSteps ? "STEPS|DEGdeg" : "N";
        case SettingKind::cSubStep:
            return "N";
        case SettingKind::cRectangle:
            return "L,R,T,B";
        case SettingKind::cColor:
            return "#RRGGBB";
        case SettingKind::cChoice:
            return FormatNames("|", false);
        case SettingKind::cOnOff:
            return "on|off";
    }
    return "";
}

std::string Choices(const SettingDescRec& d) {
    if (d.kind == SettingKind::cOnOff) return "on off";
    return d.kind == SettingKind::cChoice ? FormatNames(" ", false) : "";
}

// "2.8deg" (or "2.8°") is degrees, taken to the nearest step; anything else
// is steps. Sets *steps and returns the note, or "" for steps.
std::string TurnWords(const SettingDescRec& d, const std::string& text, const std::string& what,
                      int16_t* steps) {
    for (const std::string unit : {"deg", "\u00B0"}) {
        if (text.size() <= unit.size() ||
            text.compare(text.size() - unit.size(), unit.size(), unit))
            continue;
        const double degrees = ParseNumber(text.substr(0, text.size() - unit.size()), what);
        const double rounded = std::round(degrees / TurnDegrees(1));
        if (!(rounded >= d.minimum && rounded <= d.maximum))
            throw UsageError(what + ": " + text + " is out of range (" +
                             Degrees(TurnDegrees(static_cast<int16_t>(d.minimum))) + " to " +
                             Degrees(TurnDegrees(static_cast<int16_t>(d.maximum))) + ")");
        *steps = static_cast<int16_t>(rounded);
        char note[64];
        std::snprintf(note, sizeof note, " \u2192 %d steps, %.1f\u00B0", *steps,
                      TurnDegrees(*steps));
        return text + note;
    }
    *steps = static_cast<int16_t>(ParseInteger(text, d.minimum, d.maximum, what));
    return "";
}

// The longer side of the framing rectangle on a frame, in whole pixels as
// the renderer cuts it: a move or an enlargement is a share of it.
int FramingLongerSide(const RelRect& r, int width, int height) {
    const auto edge = [](int extent, double fraction) {
        const double e = std::trunc(extent * fraction);
        return std::isfinite(e) ? std::clamp(e, -32768.0, 32767.0) : 0.0;
    };
    const double w = edge(width, r.right) - edge(width, r.left);
    const double h = edge(height, r.bottom) - edge(height, r.top);
    return static_cast<int>(std::max({w, h, 0.0}));
}

std::string SliderMeaning(const SettingDescRec& d, const PluginDataRec& c,
                          const ShownFrameRec& frame) {
    const int16_t v = SliderOf(d, c);
    std::string text;
    switch (d.unit) {
        case SettingUnit::cTurnSteps: {
            if (v == 0) return "not turned";
            char words[64];
            std::snprintf(words, sizeof words, "turned %.1f degrees ", std::abs(TurnDegrees(v)));
            text = words + std::string(v > 0 ? d.more : d.less);
            break;
        }
        case SettingUnit::cShiftShare:
        case SettingUnit::cGrowShare: {
            const int pixels =
                SliderPixels(FramingLongerSide(c.startRel, frame.width, frame.height), v);
            if (d.unit == SettingUnit::cShiftShare)
                text = pixels == 0 ? "not moved"
                                   : std::to_string(std::abs(pixels)) + " pixels " +
                                         (pixels > 0 ? d.more : d.less);
            else
                text = pixels == 0
                           ? "not scaled"
                           : std::string("each side ") + (pixels > 0 ? d.more : d.less) + " by " +
                                 std::to_string(std::abs(pixels)) + " pixels" +
                                 (UniformScale(c) ? ", the shorter sides in proportion" : "");
            text += " on " + frame.words;
            break;
        }
        case SettingUnit::cNone:
        case SettingUnit::cFraction:
            text = std::to_string(v);
            break;
    }
    if (OutsideLimits(d, c))
        text += "; outside " + SettingLimits(d) + ", the dialog shows " +
                std::to_string(ClampToDesc(d, v));
    return text;
}

}  // namespace

const std::vector<OptionSpec>& SettingOptions() {
    struct Words {
        std::string name, argument, help, choices;
    };
    static const std::vector<Words> words = [] {
        std::vector<Words> w;
        for (const SettingDescRec& d : cSettingDescs) {
            const std::string limits = SettingLimits(d);
            w.push_back({std::string("--") + d.name, Argument(d),
                         d.help + (limits.empty() ? "" : "; " + limits), Choices(d)});
        }
        return w;
    }();
    static const std::vector<OptionSpec> options = [] {
        std::vector<OptionSpec> o;
        for (const Words& w : words)
            o.push_back({w.name.c_str(), w.argument.c_str(), w.help.c_str(),
                         w.choices.empty() ? nullptr : w.choices.c_str()});
        return o;
    }();
    return options;
}

std::string SetSetting(const SettingDescRec& d, const std::string& words, const std::string& what,
                       PluginDataRec* c) {
    switch (d.kind) {
        case SettingKind::cSlider:
            if (d.unit == SettingUnit::cTurnSteps) {
                // What the words say is the whole turn, as the note on them
                // gives it.
                c->sliders[cTurnFineSlot - 1] = 0;
                return TurnWords(d, words, what, &SliderOf(d, c));
            }
            SliderOf(d, c) = static_cast<int16_t>(ParseInteger(words, d.minimum, d.maximum, what));
            return "";
        case SettingKind::cSubStep:
            SliderOf(d, c) = static_cast<int16_t>(ParseInteger(words, d.minimum, d.maximum, what));
            return "";
        case SettingKind::cRectangle: {
            const std::vector<double> n = ParseNumberList(words, 4, what);
            const RelRect r = {n[0], n[1], n[2], n[3]};
            const std::string fault = RectangleFault(d, r);
            if (!fault.empty())
                throw UsageError(what + ": " + fault + " (L,R,T,B: " + RectangleRule(d) + ")");
            c->startRel = r;
            return "";
        }
        case SettingKind::cColor: {
            const Rgb16 rgb = ParseColor(words, what);
            ColorOf(d, c) = {rgb.red, rgb.green, rgb.blue};
            return "";
        }
        case SettingKind::cChoice:
            for (const MediaFormatRec& f : cMediaFormats) {
                if (words == f.name) {
                    c->mediaType = f.mediaType;
                    return "";
                }
            }
            throw UsageError(what + ": '" + words + "' is not one of " + SettingLimits(d));
        case SettingKind::cOnOff:
            SetOnOff(d, c, ParseOnOff(words, what));
            return "";
    }
    return "";
}

std::string SettingValue(const SettingDescRec& d, const PluginDataRec& c) {
    switch (d.kind) {
        case SettingKind::cSlider:
        case SettingKind::cSubStep:
            return std::to_string(SliderOf(d, c));
        case SettingKind::cRectangle: {
            const RelRect& r = c.startRel;
            return Number(r.left) + "," + Number(r.right) + "," + Number(r.top) + "," +
                   Number(r.bottom);
        }
        case SettingKind::cColor:
            return Hex(ColorOf(d, c));
        case SettingKind::cChoice:
            return KnownFormat(c.mediaType) ? MediaFormat(c.mediaType).name
                                            : std::to_string(c.mediaType);
        case SettingKind::cOnOff:
            return OnOffOf(d, c) ? "on" : "off";
    }
    return "";
}

bool OutsideLimits(const SettingDescRec& d, const PluginDataRec& c) {
    switch (d.kind) {
        case SettingKind::cSlider:
        case SettingKind::cSubStep:
            return SliderOf(d, c) < d.minimum || SliderOf(d, c) > d.maximum;
        case SettingKind::cRectangle:
            return !RectangleFault(d, c.startRel).empty();
        case SettingKind::cChoice:
            return !KnownFormat(c.mediaType);
        case SettingKind::cColor:
        case SettingKind::cOnOff:
            return false;
    }
    return false;
}

ShownFrameRec DialogFrame(const PluginDataRec& c) {
    const MediaFormatRec& f = MediaFormat(c.mediaType);
    return {f.width, f.height,
            "a " + std::to_string(f.width) + "x" + std::to_string(f.height) + " (" + f.label +
                ") frame"};
}

ShownFrameRec ClipFrame(const std::string& path, int width, int height) {
    return {width, height,
            path + "'s " + std::to_string(width) + "x" + std::to_string(height) + " frames"};
}

std::string SettingMeaning(const SettingDescRec& d, const PluginDataRec& c,
                           const ShownFrameRec& frame) {
    switch (d.kind) {
        case SettingKind::cSlider:
            return SliderMeaning(d, c, frame);
        case SettingKind::cSubStep: {
            const int16_t v = SliderOf(d, c);
            if (v == 0) return "the turn is whole steps";
            char words[96];
            std::snprintf(words, sizeof words, "turned %.3f degrees further %s than its steps",
                          std::abs(TurnDegrees(1) * v / 100), v > 0 ? d.more : d.less);
            return words + std::string(OutsideLimits(d, c) ? "; outside " + SettingLimits(d) : "");
        }
        case SettingKind::cRectangle: {
            const RelRect& r = c.startRel;
            if (r.left == 0 && r.right == 1 && r.top == 0 && r.bottom == 1)
                return "the whole frame is kept";
            std::string text = "keeps " + Percent(r.left) + " to " + Percent(r.right) +
                               " of the width, " + Percent(r.top) + " to " + Percent(r.bottom) +
                               " of the height; the rest shows the background";
            if (OutsideLimits(d, c)) text += " (" + RectangleFault(d, r) + ")";
            return text;
        }
        case SettingKind::cColor:
            return d.help;
        case SettingKind::cChoice: {
            const MediaFormatRec& f = MediaFormat(c.mediaType);
            return std::string("the dialog works on ") + f.label + " frames, " +
                   std::to_string(f.width) + "x" + std::to_string(f.height) +
                   (KnownFormat(c.mediaType)
                        ? ""
                        : " (no format is numbered " + std::to_string(c.mediaType) + ")");
        }
        case SettingKind::cOnOff:
            return OnOffOf(d, c) ? d.more : d.less;
    }
    return "";
}

bool ApplySettingOptions(const ParsedArgs& args, PluginDataRec* settings, SettingNotes* notes) {
    bool any = false;
    for (const SettingDescRec& d : cSettingDescs) {
        const std::string option = std::string("--") + d.name;
        if (auto v = args.Get(option)) {
            const std::string note = SetSetting(d, *v, option, settings);
            if (!note.empty()) (*notes)[d.name] = note;
            any = true;
        }
    }
    return any;
}

std::string SettingsFileText(const PluginDataRec& settings) {
    std::string text = "# Horizon Fix settings: NAME = VALUE, as hzfix settings set takes them\n";
    for (const SettingDescRec& d : cSettingDescs)
        text += std::string(d.name) + " = " + SettingValue(d, settings) + "\n";
    return text;
}

void ReadSettingsFile(const std::string& path, PluginDataRec* settings, SettingNotes* notes) {
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
        const SettingDescRec* desc = nullptr;
        for (const SettingDescRec& d : cSettingDescs)
            if (name == d.name) desc = &d;
        if (!desc) throw UsageError(where + ": no setting is called '" + name + "'");
        try {
            const std::string note =
                SetSetting(*desc, trimmed(line.substr(equals + 1)), name, settings);
            if (!note.empty()) (*notes)[desc->name] = note;
        } catch (const UsageError& e) {
            throw UsageError(where + ": " + e.what());
        }
    }
}

}  // namespace hzfix
