// The editors' descriptions read back as each editor reads them: the value a
// person sets in the user's units reaches the plug-in as the same setting,
// and a limit changed in the table moves with it into both editors.
#include <gtest/gtest.h>

#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "apps/editors/EditorFiles.h"

namespace {

using hzeditors::EditorFiles;
using hzfrei0r::ParamRec;
using hzfrei0r::ParamsOf;

struct KdenliveParam {
    std::map<std::string, std::string> attributes;
    double Number(const char* key, double otherwise = 0) const {
        auto found = attributes.find(key);
        return found == attributes.end() ? otherwise : std::stod(found->second);
    }
};

struct KdenliveEffect {
    std::string tag, id;
    std::vector<KdenliveParam> params;
};

std::string Text(std::span<const SettingDescRec> table, const std::string& path) {
    for (const hzeditors::EditorFileRec& f : EditorFiles(table))
        if (f.path == path) return f.text;
    ADD_FAILURE() << "no " << path;
    return {};
}

KdenliveEffect ReadKdenlive(std::span<const SettingDescRec> table) {
    const std::string text = Text(table, "kdenlive/frei0r_horizonfix.xml");
    QXmlStreamReader xml(QString::fromStdString(text));
    KdenliveEffect effect;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        if (xml.name() == u"effect") {
            effect.tag = xml.attributes().value("tag").toString().toStdString();
            effect.id = xml.attributes().value("id").toString().toStdString();
        } else if (xml.name() == u"parameter") {
            KdenliveParam p;
            for (const QXmlStreamAttribute& a : xml.attributes())
                p.attributes[a.name().toString().toStdString()] =
                    a.value().toString().toStdString();
            effect.params.push_back(p);
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return effect;
}

const ParamRec& Named(const std::vector<ParamRec>& params, const std::string& name) {
    for (const ParamRec& p : params)
        if (p.name == name) return p;
    ADD_FAILURE() << "no parameter " << name;
    return params.front();
}

// What the plug-in's setting becomes when a person types `shown` into the
// Kdenlive field described by `k` (Kdenlive 22.12 divides by the factor and
// knows no offset).
int StepsFromShown(const KdenliveParam& k, const ParamRec& p, double shown) {
    const double unit = shown / k.Number("factor");
    hzfrei0r::ParamValuesRec values;
    hzfrei0r::SetParam(p, &unit, &values);
    return values.settings.sliders[p.setting->index - 1];
}

const KdenliveParam& KdenliveNamed(const KdenliveEffect& e, const std::string& name) {
    for (const KdenliveParam& k : e.params)
        if (k.attributes.at("name") == name) return k;
    ADD_FAILURE() << "Kdenlive has no " << name;
    return e.params.front();
}

TEST(EditorFiles, KdenliveShowsEverySettingInTheUsersUnits) {
    const KdenliveEffect effect = ReadKdenlive(cSettingDescs);
    EXPECT_EQ(effect.tag, "frei0r.horizonfix");
    EXPECT_EQ(effect.id, "frei0r.horizonfix");

    // Every parameter but the dialog-only keep-proportions, each once, and
    // nothing that asks MLT to cut frames into bands.
    std::vector<std::string> described, expected;
    for (const KdenliveParam& k : effect.params) described.push_back(k.attributes.at("name"));
    for (const ParamRec& p : hzfrei0r::Params())
        if (p.name != "keep-proportions") expected.push_back(p.name);
    EXPECT_EQ(described, expected);

    const std::vector<ParamRec>& params = hzfrei0r::Params();
    struct Case {
        const char* name;
        double shownMax, none, shown;
        int steps;
    };
    // Degrees for the turn (0.4 per step), percent for the moves and the
    // enlargement, as the dialog shows them, counted from the range's start
    // (Kdenlive 22.12 has no offset); the label says where none lies.
    for (const Case& c : {Case{"turn", 180, 90, 92.8, 7}, Case{"turn", 180, 90, 0, -225},
                          Case{"move-x", 200, 100, 130, 30}, Case{"move-y", 200, 100, 95, -5},
                          Case{"scale", 125, 25, 15, -10}, Case{"scale", 125, 25, 125, 100}}) {
        SCOPED_TRACE(c.name);
        const KdenliveParam& k = KdenliveNamed(effect, c.name);
        const ParamRec& p = Named(params, c.name);
        EXPECT_EQ(k.attributes.at("type"), "animated");
        EXPECT_EQ(k.attributes.count("offset"), 0u);
        EXPECT_DOUBLE_EQ(k.Number("min", -1), 0);
        EXPECT_DOUBLE_EQ(k.Number("max"), c.shownMax);
        EXPECT_EQ(StepsFromShown(k, p, c.shown), c.steps);
        EXPECT_EQ(StepsFromShown(k, p, c.none), 0);
        // The default, in the parameter's 0..1, shows as no change at all.
        EXPECT_NEAR(k.Number("default") * k.Number("factor"), c.none, 1e-8);
    }
    const std::string xml = Text(cSettingDescs, "kdenlive/frei0r_horizonfix.xml");
    for (const char* label :
         {"Turn (90° = none)", "Move sideways (100% = none)", "Enlarge (25% = none)"})
        EXPECT_NE(xml.find(std::string("<name>") + label + "</name>"), std::string::npos) << label;
    for (const char* edge : {"framing-left", "framing-right"})
        EXPECT_EQ(KdenliveNamed(effect, edge).attributes.at("factor"), "%width");
    for (const char* edge : {"framing-top", "framing-bottom"})
        EXPECT_EQ(KdenliveNamed(effect, edge).attributes.at("factor"), "%height");
    EXPECT_EQ(KdenliveNamed(effect, "framing-right").Number("default"), 1);
    EXPECT_EQ(KdenliveNamed(effect, "background").attributes.at("type"), "color");
    EXPECT_EQ(KdenliveNamed(effect, "mix").Number("default", -1), 0);
}

TEST(EditorFiles, AChangedLimitMovesIntoBothEditorsAndThePlugin) {
    SettingDescRec table[std::size(cSettingDescs)];
    std::copy(std::begin(cSettingDescs), std::end(cSettingDescs), table);
    SettingDescRec* turn =
        std::find_if(std::begin(table), std::end(table),
                     [](const SettingDescRec& d) { return d.name == std::string("turn"); });
    ASSERT_NE(turn, std::end(table));
    turn->minimum = -100;
    turn->maximum = 50;
    turn->defaultValue = 10;

    const std::vector<ParamRec> params = ParamsOf(table);
    const KdenliveEffect effect = ReadKdenlive(table);
    const KdenliveParam& k = KdenliveNamed(effect, "turn");
    EXPECT_DOUBLE_EQ(k.Number("max"), 60);
    EXPECT_NEAR(k.Number("default") * k.Number("factor"), 44, 1e-8);
    EXPECT_EQ(StepsFromShown(k, Named(params, "turn"), 60), 50);
    EXPECT_EQ(StepsFromShown(k, Named(params, "turn"), 38), -5);
    EXPECT_NE(Text(table, "kdenlive/frei0r_horizonfix.xml").find("<name>Turn (40° = none)</name>"),
              std::string::npos);
    EXPECT_NE(Named(params, "turn").explanation.find("-100 to 50"), std::string::npos);

    const std::string ui = Text(table, "shotcut/horizonfix/ui.qml");
    EXPECT_NE(ui.find("minimumValue: -40\n"), std::string::npos);
    EXPECT_NE(ui.find("maximumValue: 20\n"), std::string::npos);
    EXPECT_NE(ui.find("property var factors: [60, "), std::string::npos);
    EXPECT_NE(ui.find("property var offsets: [-40, "), std::string::npos);
    EXPECT_EQ(ui.find("minimumValue: -90\n"), std::string::npos);
}

// Balanced braces, brackets and parentheses outside strings: what a
// generator's slip most often breaks, and what Shotcut then refuses whole.
bool Balanced(const std::string& qml) {
    std::string open;
    char quote = 0;
    for (size_t i = 0; i < qml.size(); ++i) {
        const char c = qml[i];
        if (quote) {
            if (c == '\\')
                ++i;
            else if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '/' && i + 1 < qml.size() && qml[i + 1] == '/') {
            i = qml.find('\n', i);
            if (i == std::string::npos) break;
            continue;
        }
        if (c == '\'' || c == '"')
            quote = c;
        else if (c == '{' || c == '[' || c == '(')
            open += c;
        else if (c == '}' || c == ']' || c == ')') {
            const char want = c == '}' ? '{' : c == ']' ? '[' : '(';
            if (open.empty() || open.back() != want) return false;
            open.pop_back();
        }
    }
    return open.empty() && !quote;
}

TEST(EditorFiles, ShotcutFilterNamesTheServiceItsSlidersAndTheFramingRectangle) {
    const std::string meta = Text(cSettingDescs, "shotcut/horizonfix/meta.qml");
    const std::string ui = Text(cSettingDescs, "shotcut/horizonfix/ui.qml");
    const std::string vui = Text(cSettingDescs, "shotcut/horizonfix/vui.qml");
    for (const std::string* qml : {&meta, &ui, &vui}) {
        EXPECT_TRUE(Balanced(*qml)) << *qml;
        EXPECT_EQ(qml->find("threads"), std::string::npos);
    }
    EXPECT_NE(meta.find("mlt_service: 'frei0r.horizonfix'"), std::string::npos);
    EXPECT_NE(meta.find("allowAnimateIn: true"), std::string::npos);
    EXPECT_NE(meta.find("simpleProperties: ['mix']"), std::string::npos);
    EXPECT_NE(ui.find("property var sliderParams: ['turn', 'move-x', 'scale', 'move-y', 'mix']"),
              std::string::npos);
    // The fades take mix from the untouched frame at the ends to the effect.
    EXPECT_NE(ui.find("startValues: [0.5, 0.5, 0.2, 0.5, 1]"), std::string::npos);
    EXPECT_NE(ui.find("middleValues: [0.5, 0.5, 0.2, 0.5, 0]"), std::string::npos);
    EXPECT_NE(vui.find("Shotcut.RectangleControl"), std::string::npos);
    for (const char* edge :
         {"'framing-left'", "'framing-right'", "'framing-top'", "'framing-bottom'"})
        EXPECT_NE(vui.find(edge), std::string::npos) << edge;
}

}  // namespace
