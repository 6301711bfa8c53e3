#include "persistence/prefsloader.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/files/FileSpecPath.h"
#include "platform/files/Files.h"
#include "platform/files/ReplaceFile.h"
#include "platform/memory/MacMemory.h"
#include "platform/resources/ResourceFork.h"
#include "platform/resources/Resources.h"
#include "record/SettingsTable.h"

namespace {

constexpr Size cConfigSaveSize = sizeof(ConfigSaveRec);

enum class MissingFile { cReport, cCreateAndReport, cCreateAndOpen };

struct OpenPrefsRec {
    PrefsResultRec result;
    int16_t refNum;
    int16_t previousResFile;
};

PrefsResultRec Ok() { return {PrefsStatus::cOk, std::string()}; }

std::string Describe(OSErr err) {
    switch (err) {
        case dskFulErr:
            return "the disk is full";
        case permErr:
        case wPrErr:
            return "permission denied";
        case memFullErr:
            return "out of memory";
        default:
            return "error " + std::to_string(err);
    }
}

std::string PascalPrefsName() {
    const std::string name = std::string(cProductCode) + cPrefName;
    return std::string(1, static_cast<char>(name.size())) + name;
}

ConstStr255Param AsPascal(const std::string& pascal) {
    return reinterpret_cast<ConstStr255Param>(pascal.data());
}

// A file where the folder should be is a mistake in the user's environment
// (XDG_CONFIG_HOME), not a folder yet to be made.
std::string MissingFolderMessage() {
    const std::string folder = PreferencesFolderPath();
    struct stat info;
    if (folder.empty() || stat(folder.c_str(), &info) != 0)
        return "the preferences folder " + folder + " does not exist";
    const char* config = std::getenv("XDG_CONFIG_HOME");
    return "the preferences folder " + folder + " is not a folder" +
           (config && config[0] == '/' ? " (XDG_CONFIG_HOME names it)" : "");
}

// The resource layer keeps a chain of open files; the caller's current one
// is put back so opening the preferences does not disturb it.
void ClosePrefs(const OpenPrefsRec& open) {
    CloseResFile(open.refNum);
    UseResFile(open.previousResFile);
}

OpenPrefsRec OpenPrefs(MissingFile missing, int8_t permission) {
    OpenPrefsRec open{Ok(), -1, CurResFile()};
    int16_t vRefNum;
    int32_t dirID;
    if (FindFolder(kOnSystemDisk, kPreferencesFolderType, kDontCreateFolder, &vRefNum, &dirID) !=
        noErr) {
        open.result = {PrefsStatus::cNoFolder, MissingFolderMessage()};
        return open;
    }
    FSSpec fileSpec;
    const std::string name = PascalPrefsName();
    OSErr err = FSMakeFSSpec(vRefNum, dirID, AsPascal(name), &fileSpec);
    if (err == fnfErr && missing != MissingFile::cReport) {
        FSpCreateResFile(&fileSpec, cPrefsCreator, cPrefsType, smSystemScript);
        if (missing == MissingFile::cCreateAndOpen && ResError() == noErr) err = noErr;
    }
    struct stat info;
    if (err == noErr && stat(PrefsFilePath().c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        open.result = {PrefsStatus::cFailed,
                       PrefsFilePath() + " is not a regular file and was left as it is"};
        return open;
    }
    if (err != noErr) {
        open.result =
            err == fnfErr
                ? PrefsResultRec{PrefsStatus::cNoFile, PrefsFilePath() + " does not exist"}
                : PrefsResultRec{PrefsStatus::cFailed,
                                 "cannot reach " + PrefsFilePath() + ": " + Describe(err)};
        return open;
    }

    open.refNum = FSpOpenResFile(&fileSpec, permission);
    if (open.refNum != -1) UseResFile(open.refNum);
    err = ResError();
    if (err == noErr) return open;
    if (open.refNum != -1) ClosePrefs(open);
    open.refNum = -1;
    if (err == mapReadErr) {
        open.result = {PrefsStatus::cDamaged,
                       PrefsFilePath() + " is damaged and was left as it is"};
    } else {
        open.result = {PrefsStatus::cFailed,
                       "cannot open " + PrefsFilePath() + ": " + Describe(err)};
    }
    return open;
}

bool BlockToConfig(PluginDataPtr theConfig, ConfigSaveH theSave, std::string* why) {
    if (!theConfig || !theSave) {
        *why = "nothing to read";
        return false;
    }
    // Checked before any byte is read: a short entry must not be read past
    // its end.
    const Size size = GetHandleSize(reinterpret_cast<Handle>(theSave));
    if (size < cConfigSaveSize) {
        *why = "the saved settings are " + std::to_string(size) + " bytes long, not " +
               std::to_string(cConfigSaveSize);
        return false;
    }
    ConfigSaveRec block;
    std::memcpy(&block, *theSave, sizeof block);
    if (block.sizeInBytes == __builtin_bswap32(cConfigSaveSize)) {
        *why = "the saved settings come from a machine of the other byte order";
        return false;
    }
    if (block.sizeInBytes != cConfigSaveSize) {
        *why = "the saved settings give their size as " + std::to_string(block.sizeInBytes) +
               " bytes, not " + std::to_string(cConfigSaveSize);
        return false;
    }
    if (block.version != cConfigSaveVersion) {
        *why = "the saved settings are version " + std::to_string(block.version) +
               "; this version reads " + std::to_string(cConfigSaveVersion);
        return false;
    }
    theConfig->startRel = block.startRel;
    theConfig->endRel = block.endRel;
    std::memcpy(theConfig->sliders, block.sliders, sizeof block.sliders);
    std::memcpy(theConfig->colors, block.colors, sizeof block.colors);
    theConfig->frameStartColor = block.frameStartColor;
    theConfig->frameEndColor = block.frameEndColor;
    theConfig->mediaType = block.mediaType;
    theConfig->keepProps = block.keepProps;
    return true;
}

ConfigSaveRec MakeBlock(const PluginDataRec* theConfig) {
    ConfigSaveRec block;
    std::memset(&block, 0, sizeof block);
    block.sizeInBytes = cConfigSaveSize;
    block.version = cConfigSaveVersion;
    block.startRel = theConfig->startRel;
    block.endRel = theConfig->endRel;
    std::memcpy(block.colors, theConfig->colors, sizeof block.colors);
    std::memcpy(block.sliders, theConfig->sliders, sizeof block.sliders);
    block.frameStartColor = theConfig->frameStartColor;
    block.frameEndColor = theConfig->frameEndColor;
    block.mediaType = theConfig->mediaType;
    block.keepProps = theConfig->keepProps;
    block.miscString[0] = sizeof cConfigSaveMiscString - 1;
    std::memcpy(block.miscString + 1, cConfigSaveMiscString, sizeof cConfigSaveMiscString - 1);
    return block;
}

bool ConfigToBlock(const PluginDataRec* theConfig, ConfigSaveH theSave) {
    if (!theConfig || !theSave) return false;
    if (GetHandleSize(reinterpret_cast<Handle>(theSave)) < cConfigSaveSize) return false;
    const ConfigSaveRec block = MakeBlock(theConfig);
    std::memcpy(*theSave, &block, sizeof block);
    return true;
}

PrefsResultRec Load(PluginDataPtr theConfig, MissingFile missing) {
    if (!theConfig) return {PrefsStatus::cFailed, "no settings to read into"};
    const OpenPrefsRec open = OpenPrefs(missing, fsRdPerm);
    if (open.result.status != PrefsStatus::cOk) return open.result;

    Handle block = Get1Resource(cPrefsType, cPrefsResID);
    if (!block) {
        ClosePrefs(open);
        return {PrefsStatus::cNoSettings, PrefsFilePath() + " holds no saved settings"};
    }
    DetachResource(block);
    ClosePrefs(open);
    std::string why;
    const bool read = BlockToConfig(theConfig, reinterpret_cast<ConfigSaveH>(block), &why);
    DisposeHandle(block);
    if (!read) return {PrefsStatus::cUnsupported, PrefsFilePath() + ": " + why};
    return Ok();
}

// A block this version refuses may be a newer version's or hold what a user
// wants back; it is copied whole before anything replaces it.
OSErr KeepAside() {
    std::ifstream in(PrefsFilePath(), std::ios::binary);
    if (!in) return ioErr;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    if (in.bad()) return ioErr;
    return ReplaceFile(PrefsAsidePath(), bytes);
}

bool Refused(Handle block) {
    PluginDataRec scratch{};
    std::string why;
    return !BlockToConfig(&scratch, reinterpret_cast<ConfigSaveH>(block), &why);
}

PrefsResultRec WriteFailure(OSErr err) {
    return {PrefsStatus::cFailed, "cannot write " + PrefsFilePath() + ": " + Describe(err) +
                                      "; the file keeps its previous settings"};
}

// The old block leaves the map only once the new one is made, and the file
// is written once with both changes, so a failure at any step keeps the
// settings saved before.
PrefsResultRec Store(const PluginDataRec* theConfig) {
    if (!theConfig) return {PrefsStatus::cFailed, "no settings to save"};
    const OpenPrefsRec open = OpenPrefs(MissingFile::cCreateAndOpen, fsRdWrPerm);
    if (open.result.status != PrefsStatus::cOk) return open.result;

    Handle fresh = NewHandleClear(cConfigSaveSize);
    if (!fresh) {
        ClosePrefs(open);
        return WriteFailure(memFullErr);
    }
    ConfigToBlock(theConfig, reinterpret_cast<ConfigSaveH>(fresh));

    const std::string name = std::string(1, sizeof cPrefsResName - 1) + cPrefsResName;
    std::string keptAside;
    Handle old = Get1Resource(cPrefsType, cPrefsResID);
    if (old) {
        OSErr err = noErr;
        try {
            if (Refused(old)) {
                err = KeepAside();
                keptAside = PrefsAsidePath();
            }
        } catch (const std::bad_alloc&) {
            err = memFullErr;
        }
        if (err == noErr) {
            RemoveResource(old);
            err = ResError();
        }
        if (err != noErr) {
            DisposeHandle(fresh);
            ClosePrefs(open);
            return WriteFailure(err);
        }
    }
    AddResource(fresh, cPrefsType, cPrefsResID, AsPascal(name));
    const OSErr addErr = ResError();
    if (addErr != noErr) {
        if (old) AddResource(old, cPrefsType, cPrefsResID, AsPascal(name));
        DisposeHandle(fresh);
        ClosePrefs(open);
        return WriteFailure(addErr);
    }
    DisposeHandle(old);

    UpdateResFile(open.refNum);
    const OSErr updateErr = ResError();
    ReleaseResource(fresh);
    CloseResFile(open.refNum);
    // A failed update leaves the change pending, and closing tries it again.
    const OSErr closeErr = ResError();
    UseResFile(open.previousResFile);
    if (updateErr != noErr && closeErr != noErr) return WriteFailure(updateErr);
    return {PrefsStatus::cOk, "", keptAside};
}

// A file the resource layer cannot read keeps nothing it could keep; the
// fresh one holding the defaults replaces it in one step, once the damaged
// one is safe beside it.
PrefsResultRec ReplaceDamaged() {
    OSErr err = noErr;
    try {
        err = KeepAside();
        if (err == noErr) {
            const ConfigSaveRec block = MakeBlock(&cDefaultSettings);
            const auto* bytes = reinterpret_cast<const uint8_t*>(&block);
            std::vector<uint8_t> fork;
            err = BuildResourceFork({{cPrefsType, cPrefsResID, true, cPrefsResName, 0,
                                      std::vector<uint8_t>(bytes, bytes + sizeof block)}},
                                    &fork);
            if (err == noErr) err = ReplaceFile(PrefsFilePath(), fork);
        }
    } catch (const std::bad_alloc&) {
        err = memFullErr;
    }
    if (err != noErr)
        return {PrefsStatus::cFailed, "cannot replace the damaged " + PrefsFilePath() + ": " +
                                          Describe(err) + "; it was left as it is"};
    return {PrefsStatus::cOk, "", PrefsAsidePath()};
}

}  // namespace

Boolean ReadConfig(PluginDataPtr theConfig) {
    return Load(theConfig, MissingFile::cCreateAndReport).status == PrefsStatus::cOk;
}

Boolean SaveConfig(PluginDataPtr theConfig) { return Store(theConfig).status == PrefsStatus::cOk; }

Boolean Config2Save(PluginDataPtr theConfig, ConfigSaveH theSave) {
    return ConfigToBlock(theConfig, theSave);
}

std::vector<uint8_t> Config2Bytes(const PluginDataRec& theConfig) {
    Handle block = NewHandleClear(cConfigSaveSize);
    if (!block) throw std::bad_alloc();
    ConfigToBlock(&theConfig, reinterpret_cast<ConfigSaveH>(block));
    const auto* bytes = reinterpret_cast<const uint8_t*>(*block);
    std::vector<uint8_t> copy(bytes, bytes + cConfigSaveSize);
    DisposeHandle(block);
    return copy;
}

Boolean Save2Config(PluginDataPtr theConfig, ConfigSaveH theSave) {
    std::string why;
    return BlockToConfig(theConfig, theSave, &why);
}

PrefsResultRec LoadPrefs(PluginDataRec* theConfig) { return Load(theConfig, MissingFile::cReport); }

PrefsResultRec StorePrefs(const PluginDataRec& theConfig) { return Store(&theConfig); }

PrefsResultRec ResetPrefs() {
    const OpenPrefsRec open = OpenPrefs(MissingFile::cReport, fsRdWrPerm);
    if (open.result.status == PrefsStatus::cNoFolder ||
        open.result.status == PrefsStatus::cNoFile) {
        return Ok();
    }
    if (open.result.status == PrefsStatus::cDamaged) return ReplaceDamaged();
    if (open.result.status != PrefsStatus::cOk) return open.result;
    Handle block = Get1Resource(cPrefsType, cPrefsResID);
    if (!block) {
        ClosePrefs(open);
        return Ok();
    }
    OSErr err = noErr;
    const bool refused = Refused(block);
    try {
        if (refused) err = KeepAside();
    } catch (const std::bad_alloc&) {
        err = memFullErr;
    }
    if (err != noErr) {
        ClosePrefs(open);
        return WriteFailure(err);
    }
    RemoveResource(block);
    DisposeHandle(block);
    CloseResFile(open.refNum);
    err = ResError();
    UseResFile(open.previousResFile);
    if (err != noErr) return WriteFailure(err);
    return {PrefsStatus::cOk, "", refused ? PrefsAsidePath() : ""};
}

std::string PrefsAsidePath() { return PrefsFilePath() + cPrefsAsideSuffix; }

std::string PrefsFilePath() {
    const std::string folder = PreferencesFolderPath();
    return (folder.empty() ? std::string("~/.config") : folder) + "/" + cProductCode + cPrefName;
}
