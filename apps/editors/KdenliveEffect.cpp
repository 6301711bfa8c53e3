// Kdenlive's effect description, in the schema of its effects/*.xml.
#include <sstream>

#include "apps/editors/DescriptionParts.h"

namespace hzeditors {

using hzfrei0r::ParamKind;
using hzfrei0r::ParamRec;

namespace {

// "Turn (90° = none)" where the shown range starts below zero.
std::string KdenliveLabel(const ParamRec& p) {
    if (!IsShownDouble(p) || !p.setting) return Label(p);
    const ShownRangeRec r = ShownRange(p);
    if (r.offset >= 0 || r.maximum < 0) return Label(p);
    return Label(p) + " (" + Num(-r.offset) + r.suffix + " = none)";
}

}  // namespace

std::string KdenliveEffect(const std::vector<ParamRec>& params) {
    std::ostringstream x;
    x << "<?xml version=\"1.0\"?>\n<!DOCTYPE kpartgui>\n"
      << "<effect LC_NUMERIC=\"C\" tag=\"" << cService << "\" id=\"" << cService << "\">\n"
      << "    <name>" << cTitle << "</name>\n"
      << "    <description>" << Xml(cDescription) << "</description>\n"
      << "    <author>" << cTitle << "</author>\n";
    for (const ParamRec& p : params) {
        x << "    <parameter ";
        if (p.kind == ParamKind::kColor) {
            x << "type=\"color\" name=\"" << p.name << "\" default=\"" << ColorDefault(*p.setting)
              << "\"";
        } else if (p.kind == ParamKind::kBool) {
            x << "type=\"bool\" name=\"" << p.name << "\" default=\"" << p.setting->defaultValue
              << "\"";
        } else if (IsEdge(p)) {
            const char* extent = p.edge < 2 ? "%width" : "%height";
            x << "type=\"animated\" name=\"" << p.name << "\" default=\"" << Num(EdgeDefault(p))
              << "\" min=\"0\" max=\"" << extent << "\" factor=\"" << extent << "\" suffix=\" px\"";
        } else {
            // Kdenlive 22.12 shows an animated value as value * factor and
            // knows no offset: a signed range is shown from its start, and
            // the label says where "none" lies.
            const ShownRangeRec r = ShownRange(p);
            x << "type=\"animated\" name=\"" << p.name << "\" default=\"" << Num(r.defaultValue)
              << "\" min=\"0\" max=\"" << Num(r.factor) << "\" factor=\"" << Num(r.factor) << "\"";
            if (r.decimals) x << " decimals=\"" << r.decimals << "\"";
            x << " suffix=\"" << Xml(r.suffix) << "\"";
        }
        x << ">\n        <name>" << Xml(KdenliveLabel(p)) << "</name>\n"
          << "        <comment>" << Xml(Comment(p)) << "</comment>\n"
          << "    </parameter>\n";
    }
    x << "</effect>\n";
    return x.str();
}

}  // namespace hzeditors
