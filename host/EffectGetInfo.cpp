#include "host/EffectData.h"
#include "platform/resources/Resources.h"
#include "platform/text/TextUtils.h"

namespace {

enum {
    cSliderLabelsID = 128,
    cSliderEndLabelsID = 129,
    cButtonTitleID = 130,
    cGroupNameID = 17000
};
constexpr HYPluginChoiceFlags cOurPluginFlags = 0x00000380 | 0x00001000;
constexpr int32_t cBaseMemoryNeeded = 50000;
constexpr float cHostSliderDefault = 0.5f;

// A text that does not fit its field is cut, the zero byte always kept.
void CopyStringItem(char* field, int fieldSize, int16_t listID, int16_t index) {
    Str255 item;
    GetIndString(item, listID, index);
    CopyPascalStringToCBuffer(item, field, fieldSize);
}

}  // namespace

HYPluginResult EffectGetInfo(int16_t which, HYPluginParams* params) {
    params->getInfo.pluginType = kPluginFilterType;
    params->getInfo.pluginFlags |= cOurPluginFlags;
    SetFilterParamInfo(which, params);
    return kPluginOK;
}

void SetFilterParamInfo(int16_t, HYPluginParams* params) {
    HYPluginGetInfo& info = params->getInfo;
    HY2PluginGetInfo& info2 = params->getInfo2;
    info.framesToBeRendered = info2.selectedFrames;
    info.takeFromClipBefore = 0;
    info.takeFromClipAfter = info2.selectedFrames;
    info.minSpeedFrames = 0;
    info.maxSpeedFrames = 0;
    info.mustTakeFromSingleClips = false;
    info2.baseMemoryNeeded = cBaseMemoryNeeded;
    for (int16_t i = 0; i < kHYFilterSliderCount; ++i) {
        HYPluginFilterSliderInfo& slider = info2.filterSliders[i];
        CopyStringItem(slider.label, sizeof slider.label, cSliderLabelsID,
                       static_cast<int16_t>(i + 1));
        CopyStringItem(slider.minLabel, sizeof slider.minLabel, cSliderEndLabelsID,
                       static_cast<int16_t>(2 * i + 1));
        CopyStringItem(slider.maxLabel, sizeof slider.maxLabel, cSliderEndLabelsID,
                       static_cast<int16_t>(2 * i + 2));
        slider.defaultValue = cHostSliderDefault;
    }
    CopyStringItem(params->getInfo3.buttonTitle, sizeof params->getInfo3.buttonTitle,
                   cButtonTitleID, 1);
    CopyStringItem(info2.group, sizeof info2.group, cGroupNameID, 1);
}
