// The effect's settings kept between sessions: a fixed block stored as
// resource 'Pref' 1 of a preferences file in the user's preferences folder.
// Nothing here ever tells the user about a failure; callers get false.
#ifndef HZ_PERSISTENCE_PREFSLOADER_H
#define HZ_PERSISTENCE_PREFSLOADER_H

#include <cstddef>
#include <string>
#include <vector>

#include "platform/types/MacTypes.h"
#include "record/PluginData.h"

inline constexpr char cProductCode[] = "hzfix";
inline constexpr char cPrefName[] = "-Prefs";
inline constexpr OSType cPrefsType = 0x50726566;     // 'Pref'
inline constexpr OSType cPrefsCreator = 0x766F6E64;  // 'vond'
inline constexpr int16_t cPrefsResID = 1;
inline constexpr char cPrefsResName[] = "Config Settings";
inline constexpr uint32_t cConfigSaveVersion = 3;
inline constexpr char cConfigSaveMiscString[] = "Config save for vond iMovie plug-in";
inline constexpr char cPrefsAsideSuffix[] = ".damaged";

// Native byte order and no pointers, so the block is the same 392 bytes on
// every ABI; a block from a machine of the other byte order is refused.
struct ConfigSaveRec {
    uint32_t sizeInBytes;
    uint32_t version;
    RelRect startRel;
    RelRect endRel;
    RGBColor colors[cNumColors];
    int16_t sliders[cNumSliders];
    RGBColor frameStartColor;
    RGBColor frameEndColor;
    int16_t mediaType;
    Boolean keepProps;
    Str255 miscString;
    uint8_t padding;
};
typedef ConfigSaveRec* ConfigSavePtr;
typedef ConfigSavePtr* ConfigSaveH;

static_assert(sizeof(ConfigSaveRec) == 392);
static_assert(offsetof(ConfigSaveRec, version) == 4);
static_assert(offsetof(ConfigSaveRec, startRel) == 8);
static_assert(offsetof(ConfigSaveRec, endRel) == 40);
static_assert(offsetof(ConfigSaveRec, colors) == 72);
static_assert(offsetof(ConfigSaveRec, sliders) == 108);
static_assert(offsetof(ConfigSaveRec, frameStartColor) == 120);
static_assert(offsetof(ConfigSaveRec, frameEndColor) == 126);
static_assert(offsetof(ConfigSaveRec, mediaType) == 132);
static_assert(offsetof(ConfigSaveRec, keepProps) == 134);
static_assert(offsetof(ConfigSaveRec, miscString) == 135);
static_assert(offsetof(ConfigSaveRec, padding) == 391);

// Reads the saved settings into theConfig. A missing preferences file is
// created empty, so there is then nothing to read.
Boolean ReadConfig(PluginDataPtr theConfig);
// Replaces the saved settings in one write; on failure the file keeps the
// settings it held. A preferences file that is gone is made again; one that
// is not a regular file is never opened nor written.
Boolean SaveConfig(PluginDataPtr theConfig);
// theSave must hold at least a whole ConfigSaveRec.
Boolean Config2Save(PluginDataPtr theConfig, ConfigSaveH theSave);
// The same block as bytes, as a host hands a clip its settings.
std::vector<uint8_t> Config2Bytes(const PluginDataRec& theConfig);
// Leaves theConfig as it was unless theSave is a whole block of this size
// and version. The image references are never stored nor touched.
Boolean Save2Config(PluginDataPtr theConfig, ConfigSaveH theSave);

// For the host program's settings command, which tells the user what went
// wrong. These never create the preferences file or its folder, except that
// StorePrefs creates the file as SaveConfig does.
enum class PrefsStatus { cOk, cNoFolder, cNoFile, cNoSettings, cDamaged, cUnsupported, cFailed };

struct PrefsResultRec {
    PrefsStatus status;
    // Names the file and says what is wrong with it; empty on success.
    std::string message;
    // Where a file holding settings that could not be read was kept before
    // it was replaced; empty when nothing was.
    std::string keptAside = {};
};

PrefsResultRec LoadPrefs(PluginDataRec* theConfig);
PrefsResultRec StorePrefs(const PluginDataRec& theConfig);
// Takes the saved settings out of the file, keeping anything else in it,
// so the effect starts from its own defaults. cOk if there were none.
// Reset is how a user repairs the file: a damaged one is kept aside and
// replaced by one holding the defaults, and settings this version refuses
// are kept aside before they go. Messages say what is wrong, and the advice
// is the caller's.
PrefsResultRec ResetPrefs();
// Where the preferences file is or would be.
std::string PrefsFilePath();
// Where a file holding settings this version refuses is kept, whole, before
// a save replaces it; the newest such file is kept.
std::string PrefsAsidePath();

#endif
