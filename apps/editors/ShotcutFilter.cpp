// Shotcut's filter folder: meta.qml, ui.qml and vui.qml, in the form of
// the filters Shotcut ships.
#include <sstream>

#include "apps/editors/DescriptionParts.h"

namespace hzeditors {

using hzfrei0r::ParamKind;
using hzfrei0r::ParamRec;

namespace {

std::string Header(const char* imports) {
    return std::string(
               "// Made at build time from the effect's settings table; change that, not "
               "this.\n") +
           imports;
}

}  // namespace

std::string ShotcutMeta(const std::vector<ParamRec>& params) {
    std::ostringstream q;
    q << Header("import QtQuick 2.0\nimport org.shotcut.qml 1.0\n\n") << "Metadata {\n"
      << "    type: Metadata.Filter\n"
      << "    name: qsTr(" << Qs(cTitle) << ")\n"
      << "    keywords: qsTr('level straighten horizon rotate tilt turn crop frame')\n"
      << "    mlt_service: " << Qs(cService) << "\n"
      << "    objectName: 'horizonfix'\n"
      << "    qml: 'ui.qml'\n"
      << "    vui: 'vui.qml'\n\n"
      << "    keyframes {\n"
      << "        allowAnimateIn: true\n"
      << "        allowAnimateOut: true\n"
      << "        simpleProperties: ['mix']\n"
      << "        parameters: [\n";
    bool first = true;
    for (const ParamRec& p : params) {
        if (!IsShownDouble(p)) continue;
        if (!first) q << ",\n";
        first = false;
        q << "            Parameter {\n"
          << "                name: qsTr(" << Qs(Label(p)) << ")\n"
          << "                property: " << Qs(p.name) << "\n"
          << "                isCurve: true\n"
          << "                minimum: 0\n"
          << "                maximum: 1\n"
          << "            }";
    }
    q << "\n        ]\n    }\n}\n";
    return q.str();
}

namespace {

struct UiParamsRec {
    std::vector<const ParamRec*> sliders, edges, switches;
    const ParamRec* color = nullptr;
};

template <typename Field>
std::string List(const std::vector<const ParamRec*>& ps, Field field) {
    std::string s = "[";
    for (size_t i = 0; i < ps.size(); ++i) s += (i ? ", " : "") + field(*ps[i], i);
    return s + "]";
}

std::string Name(const ParamRec& p, size_t) { return Qs(p.name); }
std::string Default(const ParamRec& p, size_t) { return Num(ShownRange(p).defaultValue); }
// At the ends of a fade every setting holds its value; only mix moves.
std::string Faded(const ParamRec& p, size_t) {
    return p.setting ? Num(ShownRange(p).defaultValue) : std::string("1");
}

// The lists the controls are made from, and the functions that move values
// between the controls, in the user's units, and the filter's parameters.
std::string UiProperties(const UiParamsRec& u) {
    const auto& [sliders, edges, switches, color] = u;
    auto switchId = [](const ParamRec&, size_t i) { return "switch" + std::to_string(i); };
    auto switchDefault = [](const ParamRec& p, size_t) {
        return std::to_string(p.setting->defaultValue);
    };
    auto factor = [](const ParamRec& p, size_t) { return Num(ShownRange(p).factor); };
    auto offset = [](const ParamRec& p, size_t) { return Num(ShownRange(p).offset); };
    auto sliderId = [](const ParamRec&, size_t i) { return "slider" + std::to_string(i); };
    auto buttonId = [](const ParamRec&, size_t i) { return "keyframes" + std::to_string(i); };
    auto edgeId = [](const ParamRec&, size_t i) { return "edge" + std::to_string(i); };
    auto edgeDefault = [](const ParamRec& p, size_t) { return Num(EdgeDefault(p)); };
    auto edgeExtent = [](const ParamRec& p, size_t) {
        return std::string(p.edge < 2 ? "profile.width" : "profile.height");
    };
    std::ostringstream q;
    q << Header(
             "import QtQuick 2.12\nimport QtQuick.Controls 2.12\nimport QtQuick.Layouts "
             "1.12\nimport Shotcut.Controls 1.0 as Shotcut\n\n")
      << "Shotcut.KeyframableFilter {\n"
      << "    property var sliderParams: " << List(sliders, Name) << "\n"
      << "    property var factors: " << List(sliders, factor) << "\n"
      << "    property var offsets: " << List(sliders, offset) << "\n"
      << "    property var defaults: " << List(sliders, Default) << "\n"
      << "    property var sliders: " << List(sliders, sliderId) << "\n"
      << "    property var buttons: " << List(sliders, buttonId) << "\n"
      << "    property var edgeParams: " << List(edges, Name) << "\n"
      << "    property var edgeDefaults: " << List(edges, edgeDefault) << "\n"
      << "    property var edgeExtents: " << List(edges, edgeExtent) << "\n"
      << "    property var edges: " << List(edges, edgeId) << "\n"
      << "    property var switchParams: " << List(switches, Name) << "\n"
      << "    property var switchDefaults: " << List(switches, switchDefault) << "\n"
      << "    property var switches: " << List(switches, switchId) << "\n"
      << "    property string colorParam: " << Qs(color ? color->name : "") << "\n"
      << "    property string colorDefault: "
      << Qs(color ? ColorDefault(*color->setting) : "#000000") << "\n\n"
      << "    function shown(i, value) {\n"
      << "        return value * factors[i] + offsets[i];\n    }\n\n"
      << "    function stored(i, shownValue) {\n"
      << "        return (shownValue - offsets[i]) / factors[i];\n    }\n\n"
      << "    function setControls() {\n"
      << "        var position = getPosition();\n"
      << "        blockUpdate = true;\n"
      << "        for (var i = 0; i < sliders.length; i++) {\n"
      << "            sliders[i].value = shown(i, filter.getDouble(sliderParams[i], position));\n"
      << "            buttons[i].checked = filter.animateIn <= 0 && filter.animateOut <= 0 && "
         "filter.keyframeCount(sliderParams[i]) > 0;\n"
      << "        }\n"
      << "        for (var e = 0; e < edges.length; e++)\n"
      << "            edges[e].value = filter.getDouble(edgeParams[e]) * edgeExtents[e];\n"
      << "        for (var s = 0; s < switches.length; s++)\n"
      << "            switches[s].checked = filter.getDouble(switchParams[s]) > 0.5;\n"
      << "        background.value = filter.get(colorParam);\n"
      << "        blockUpdate = false;\n"
      << "        enableControls(isSimpleKeyframesActive());\n    }\n\n"
      << "    function enableControls(enabled) {\n"
      << "        for (var i = 0; i < sliders.length; i++)\n"
      << "            sliders[i].enabled = enabled;\n    }\n\n"
      << "    function changeSlider(i) {\n"
      << "        if (blockUpdate)\n            return ;\n"
      << "        var value = stored(i, sliders[i].value);\n"
      << "        if (sliderParams[i] !== 'mix' && (filter.animateIn > 0 || filter.animateOut > "
         "0)) {\n"
      << "            startValues[i] = middleValues[i] = endValues[i] = value;\n"
      << "            updateFilter(sliderParams[i], value, buttons[i], null);\n"
      << "        } else {\n"
      << "            updateFilter(sliderParams[i], value, buttons[i], getPosition());\n"
      << "        }\n    }\n\n"
      << "    function changeEdge(e) {\n"
      << "        if (!blockUpdate)\n"
      << "            filter.set(edgeParams[e], edges[e].value / edgeExtents[e]);\n    }\n\n"
      << "    function updateSimpleKeyframes() {\n"
      << "        setControls();\n"
      << "        for (var i = 0; i < sliders.length; i++)\n"
      << "            updateFilter(sliderParams[i], stored(i, sliders[i].value), buttons[i], "
         "null);\n    }\n\n";
    return q.str();
}

// The keyframes at the fades, the size, the start of a new filter, and the
// layout down to its preset row.
std::string UiLayoutStart(const UiParamsRec& u) {
    std::ostringstream q;
    q << "    keyframableParameters: sliderParams\n"
      << "    startValues: " << List(u.sliders, Faded) << "\n"
      << "    middleValues: " << List(u.sliders, Default) << "\n"
      << "    endValues: " << List(u.sliders, Faded) << "\n"
      << "    width: 400\n"
      << "    height: " << 60 + 32 * (u.sliders.size() + u.edges.size() + u.switches.size() + 1)
      << "\n"
      << "    Component.onCompleted: {\n"
      << "        if (filter.isNew) {\n"
      << "            for (var i = 0; i < sliderParams.length; i++)\n"
      << "                filter.set(sliderParams[i], defaults[i]);\n"
      << "            for (var e = 0; e < edgeParams.length; e++)\n"
      << "                filter.set(edgeParams[e], edgeDefaults[e]);\n"
      << "            for (var s = 0; s < switchParams.length; s++)\n"
      << "                filter.set(switchParams[s], switchDefaults[s]);\n"
      << "            filter.set(colorParam, colorDefault);\n"
      << "            filter.savePreset(preset.parameters);\n"
      << "        }\n"
      << "        setControls();\n    }\n\n"
      << "    GridLayout {\n"
      << "        anchors.fill: parent\n"
      << "        anchors.margins: 8\n"
      << "        columns: 4\n\n"
      << "        Label {\n            text: qsTr('Preset')\n"
      << "            Layout.alignment: Qt.AlignRight\n        }\n\n"
      << "        Shotcut.Preset {\n            id: preset\n\n"
      << "            parameters: "
         "sliderParams.concat(edgeParams).concat(switchParams).concat([colorParam])\n"
      << "            Layout.columnSpan: 3\n"
      << "            onBeforePresetLoaded: resetSimpleKeyframes()\n"
      << "            onPresetSelected: {\n"
      << "                setControls();\n"
      << "                initializeSimpleKeyframes();\n            }\n        }\n";
    return q.str();
}

std::string UiSliderRows(const std::vector<const ParamRec*>& sliders) {
    std::ostringstream q;
    for (size_t i = 0; i < sliders.size(); ++i) {
        const ParamRec& p = *sliders[i];
        const ShownRangeRec r = ShownRange(p);
        double step = 1;
        for (int d = 0; d < r.decimals; ++d) step /= 10;
        q << "\n        Label {\n            text: qsTr(" << Qs(Label(p)) << ")\n"
          << "            Layout.alignment: Qt.AlignRight\n\n"
          << "            Shotcut.HoverTip {\n                text: qsTr(" << Qs(Comment(p))
          << ")\n            }\n        }\n\n"
          << "        Shotcut.SliderSpinner {\n            id: slider" << i << "\n\n"
          << "            minimumValue: " << Num(r.minimum) << "\n"
          << "            maximumValue: " << Num(r.maximum) << "\n"
          << "            stepSize: " << Num(step) << "\n"
          << "            decimals: " << r.decimals << "\n"
          << "            suffix: " << Qs(r.suffix) << "\n"
          << "            onValueChanged: changeSlider(" << i << ")\n        }\n\n"
          << "        Shotcut.UndoButton {\n"
          << "            onClicked: slider" << i << ".value = shown(" << i << ", defaults[" << i
          << "])\n        }\n\n"
          << "        Shotcut.KeyframesButton {\n            id: keyframes" << i << "\n\n"
          << "            onToggled: {\n"
          << "                enableControls(true);\n"
          << "                toggleKeyframes(checked, sliderParams[" << i << "], stored(" << i
          << ", slider" << i << ".value));\n            }\n        }\n";
    }
    return q.str();
}

std::string UiEdgeRows(const std::vector<const ParamRec*>& edges) {
    std::ostringstream q;
    for (size_t e = 0; e < edges.size(); ++e) {
        q << "\n        Label {\n            text: qsTr(" << Qs(Label(*edges[e])) << ")\n"
          << "            Layout.alignment: Qt.AlignRight\n        }\n\n"
          << "        Shotcut.SliderSpinner {\n            id: edge" << e << "\n\n"
          << "            minimumValue: 0\n"
          << "            maximumValue: edgeExtents[" << e << "]\n"
          << "            suffix: ' px'\n"
          << "            onValueChanged: changeEdge(" << e << ")\n        }\n\n"
          << "        Shotcut.UndoButton {\n"
          << "            onClicked: edge" << e << ".value = edgeDefaults[" << e
          << "] * edgeExtents[" << e << "]\n        }\n\n"
          << "        Item {\n            width: 1\n        }\n";
    }
    return q.str();
}

// On/off settings that change the picture, one check box a row.
std::string UiSwitchRows(const std::vector<const ParamRec*>& switches) {
    std::ostringstream q;
    for (size_t s = 0; s < switches.size(); ++s)
        q << "\n        CheckBox {\n            id: switch" << s << "\n\n"
          << "            text: qsTr(" << Qs(Label(*switches[s])) << ")\n"
          << "            Layout.columnSpan: 4\n"
          << "            onClicked: filter.set(switchParams[" << s << "], checked ? 1 : 0)\n"
          << "        }\n";
    return q.str();
}

// The colour row, and the connections that keep the controls with the
// filter and the playhead.
std::string UiEnd(const ParamRec* color) {
    std::ostringstream q;
    q << "\n        Label {\n            text: qsTr("
      << Qs(color ? color->setting->label : "Background colour") << ")\n"
      << "            Layout.alignment: Qt.AlignRight\n        }\n\n"
      << "        Shotcut.ColorPicker {\n            id: background\n\n"
      << "            Layout.columnSpan: 3\n"
      << "            onValueChanged: {\n"
      << "                if (!blockUpdate)\n"
      << "                    filter.set(colorParam, value);\n            }\n        }\n\n"
      << "        Item {\n            Layout.fillHeight: true\n        }\n    }\n\n"
      << "    Connections {\n"
      << "        function onChanged() {\n            setControls();\n        }\n\n"
      << "        function onInChanged() {\n            updateSimpleKeyframes();\n        }\n\n"
      << "        function onOutChanged() {\n            updateSimpleKeyframes();\n        }\n\n"
      << "        function onAnimateInChanged() {\n            updateSimpleKeyframes();\n"
      << "        }\n\n"
      << "        function onAnimateOutChanged() {\n            updateSimpleKeyframes();\n"
      << "        }\n\n"
      << "        function onPropertyChanged(name) {\n            setControls();\n        }\n\n"
      << "        target: filter\n    }\n\n"
      << "    Connections {\n"
      << "        function onPositionChanged() {\n            setControls();\n        }\n\n"
      << "        target: producer\n    }\n}\n";
    return q.str();
}

}  // namespace

// Sliders carry their own keyframes; with fades on, only mix moves in them
// and every other setting holds, as the effect's own fades do.
std::string ShotcutUi(const std::vector<ParamRec>& params) {
    UiParamsRec u;
    for (const ParamRec& p : params) {
        if (IsShownDouble(p)) u.sliders.push_back(&p);
        if (IsEdge(p)) u.edges.push_back(&p);
        if (p.kind == ParamKind::kColor) u.color = &p;
        if (p.kind == ParamKind::kBool) u.switches.push_back(&p);
    }
    return UiProperties(u) + UiLayoutStart(u) + UiSliderRows(u.sliders) + UiEdgeRows(u.edges) +
           UiSwitchRows(u.switches) + UiEnd(u.color);
}

// The framing rectangle drawn on the video, held in profile pixels while
// the parameters keep fractions of the frame.
std::string ShotcutVui(const std::vector<ParamRec>& params) {
    std::string edge[4];
    for (const ParamRec& p : params)
        if (IsEdge(p)) edge[p.edge] = Qs(p.name);
    std::ostringstream q;
    q << Header("import QtQuick 2.1\nimport Shotcut.Controls 1.0 as Shotcut\n\n")
      << "Shotcut.VuiBase {\n"
      << "    property real zoom: (video.zoom > 0) ? video.zoom : 1\n"
      << "    property bool blockUpdate: false\n\n"
      << "    function framing() {\n"
      << "        var left = filter.getDouble(" << edge[0] << ") * profile.width;\n"
      << "        var top = filter.getDouble(" << edge[2] << ") * profile.height;\n"
      << "        return Qt.rect(left, top, filter.getDouble(" << edge[1]
      << ") * profile.width - left, filter.getDouble(" << edge[3]
      << ") * profile.height - top);\n    }\n\n"
      << "    function showFraming() {\n"
      << "        if (!blockUpdate)\n            rectangle.setHandles(framing());\n    }\n\n"
      << "    function setFraming(rect) {\n"
      << "        blockUpdate = true;\n"
      << "        var x = rect.x / rectangle.widthScale / profile.width;\n"
      << "        var y = rect.y / rectangle.heightScale / profile.height;\n"
      << "        filter.set(" << edge[0] << ", x);\n"
      << "        filter.set(" << edge[1]
      << ", x + rect.width / rectangle.widthScale / profile.width);\n"
      << "        filter.set(" << edge[2] << ", y);\n"
      << "        filter.set(" << edge[3]
      << ", y + rect.height / rectangle.heightScale / profile.height);\n"
      << "        blockUpdate = false;\n    }\n\n"
      << "    Component.onCompleted: {\n"
      << "        application.showStatusMessage(qsTr('Drag the framing rectangle\\'s corners "
         "and edges; click in it and hold Shift to move it'));\n"
      << "        showFraming();\n    }\n\n"
      << "    Flickable {\n"
      << "        anchors.fill: parent\n"
      << "        interactive: false\n"
      << "        clip: true\n"
      << "        contentWidth: video.rect.width * zoom\n"
      << "        contentHeight: video.rect.height * zoom\n"
      << "        contentX: video.offset.x\n"
      << "        contentY: video.offset.y\n\n"
      << "        Item {\n"
      << "            id: videoItem\n\n"
      << "            x: video.rect.x\n"
      << "            y: video.rect.y\n"
      << "            width: video.rect.width\n"
      << "            height: video.rect.height\n"
      << "            scale: zoom\n\n"
      << "            Shotcut.RectangleControl {\n"
      << "                id: rectangle\n\n"
      << "                widthScale: video.rect.width / profile.width\n"
      << "                heightScale: video.rect.height / profile.height\n"
      << "                handleSize: Math.max(Math.round(8 / zoom), 4)\n"
      << "                borderSize: Math.max(Math.round(1.33 / zoom), 1)\n"
      << "                onWidthScaleChanged: setHandles(framing())\n"
      << "                onHeightScaleChanged: setHandles(framing())\n"
      << "                onRectChanged: setFraming(rect)\n"
      << "            }\n        }\n    }\n\n"
      << "    Connections {\n"
      << "        function onChanged() {\n            showFraming();\n"
      << "            videoItem.enabled = filter.get('disable') !== '1';\n        }\n\n"
      << "        target: filter\n    }\n}\n";
    return q.str();
}

}  // namespace hzeditors
