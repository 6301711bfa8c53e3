#include "apps/hzfix/PrefsWarning.h"

#include <cstdio>
#include <string>

#include "persistence/prefsloader.h"

namespace hzfix {

void WarnOfUnusablePrefs() {
    PluginDataRec config = cDefaultSettings;
    const PrefsResultRec r = LoadPrefs(&config);
    std::string advice;
    switch (r.status) {
        case PrefsStatus::cOk:
        case PrefsStatus::cNoFolder:
        case PrefsStatus::cNoFile:
        case PrefsStatus::cNoSettings:
            return;
        case PrefsStatus::cUnsupported:
            // The plug-in's first save keeps the whole file there first.
            advice = "; the effect starts from its defaults, and the file is kept as " +
                     PrefsAsidePath() + " when they are saved";
            break;
        default:
            advice = "; the effect starts from its defaults; delete it to start afresh";
            break;
    }
    std::fprintf(stderr, "hzfix: %s%s\n", r.message.c_str(), advice.c_str());
}

}  // namespace hzfix
