#include "apps/editors/DescriptionParts.h"

#include <cstdio>

namespace hzeditors {

using hzfrei0r::ParamKind;
using hzfrei0r::ParamRec;

namespace {

constexpr const char* cMixLabel = "Untouched picture";
constexpr const char* cEdgeNames[] = {"left", "right", "top", "bottom"};

}  // namespace

// Enough digits for any slider's step, and no float noise (180, not
// 180.00000000000003).
std::string Num(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.12g", v);
    return text;
}

std::string Xml(const std::string& s) {
    std::string out;
    for (char c : s) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A single-quoted QML string.
std::string Qs(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'' || c == '\\') out += '\\';
        out += c;
    }
    return out + "'";
}

bool IsEdge(const ParamRec& p) { return p.setting && p.setting->kind == SettingKind::cRectangle; }
bool IsShownDouble(const ParamRec& p) { return p.kind == ParamKind::kDouble && !IsEdge(p); }

std::string Label(const ParamRec& p) {
    if (!p.setting) return cMixLabel;
    if (IsEdge(p)) return std::string(p.setting->label) + ": " + cEdgeNames[p.edge] + " edge";
    return p.setting->label;
}

// What the two directions of a slider do, in the table's words.
std::string Comment(const ParamRec& p) {
    if (!p.setting) return "100%: the clip as it came, for fading the effect in and out";
    const SettingDescRec& d = *p.setting;
    if (d.kind == SettingKind::cSlider && d.more && d.less)
        return std::string("Positive: ") + d.more + "; negative: " + d.less;
    if (IsEdge(p)) return "In pixels of the frame";
    return d.help;
}

double EdgeDefault(const ParamRec& p) {
    const SettingDescRec& d = *p.setting;
    // The default framing is the whole range: left and top at its start.
    return hzfrei0r::ToUnit(d, p.edge % 2 == 0 ? d.minimum : d.maximum);
}

std::string ColorDefault(const SettingDescRec& d) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(d.defaultValue) & 0xFFFFFF);
    return text;
}

}  // namespace hzeditors
