// Any bytes as the preferences file, then a save of settings taken from the
// same bytes. Whatever the file held, nothing the user saved is lost without
// a copy, and what is saved is read back exactly.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "persistence/prefsloader.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

std::string lgFolder;

Bytes Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The stored fields of a settings record, from the first bytes of the
// input (zeros past its end); the image references are never stored.
PluginDataRec SettingsFrom(const uint8_t* data, size_t size) {
    PluginDataRec c{};
    uint8_t raw[sizeof(PluginDataRec)] = {};
    std::memcpy(raw, data, std::min(size, sizeof raw));
    std::memcpy(&c, raw, sizeof c);
    c.theOriginalImage = nullptr;
    c.theRendered = nullptr;
    return c;
}

bool SameStored(const PluginDataRec& a, const PluginDataRec& b) {
    return std::memcmp(&a.startRel, &b.startRel, sizeof a.startRel) == 0 &&
           std::memcmp(&a.endRel, &b.endRel, sizeof a.endRel) == 0 &&
           std::memcmp(a.sliders, b.sliders, sizeof a.sliders) == 0 &&
           std::memcmp(a.colors, b.colors, sizeof a.colors) == 0 &&
           std::memcmp(&a.frameStartColor, &b.frameStartColor, sizeof a.frameStartColor) == 0 &&
           std::memcmp(&a.frameEndColor, &b.frameEndColor, sizeof a.frameEndColor) == 0 &&
           a.mediaType == b.mediaType && a.keepProps == b.keepProps;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Every save is made durable: a folder in memory (TMPDIR) keeps that fast.
    std::string pattern = fs::temp_directory_path() / "hz-prefs-fuzz-XXXXXX";
    lgFolder = mkdtemp(pattern.data());
    setenv("XDG_CONFIG_HOME", lgFolder.c_str(), 1);
    std::atexit([] { fs::remove_all(lgFolder); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string prefs = PrefsFilePath();
    const std::string aside = PrefsAsidePath();
    fs::remove(aside);
    Write(prefs, data, size);
    const Bytes before(data, data + size);

    PluginDataRec loaded{};
    const PrefsStatus status = LoadPrefs(&loaded).status;
    PluginDataRec read{};
    if ((ReadConfig(&read) != 0) != (status == PrefsStatus::cOk)) std::abort();
    if (status == PrefsStatus::cOk && !SameStored(read, loaded)) std::abort();

    PluginDataRec fresh = SettingsFrom(data, size);
    const bool saved = SaveConfig(&fresh);
    const Bytes after = Read(prefs);
    if (!saved) {
        if (after != before) std::abort();
        return 0;
    }
    // What was there, if this version refused it, is kept whole.
    if (status == PrefsStatus::cUnsupported && Read(aside) != before) std::abort();
    if (status != PrefsStatus::cUnsupported && fs::exists(aside)) std::abort();
    if (status == PrefsStatus::cDamaged) std::abort();

    PluginDataRec back{};
    if (LoadPrefs(&back).status != PrefsStatus::cOk || !SameStored(back, fresh)) std::abort();
    return 0;
}
