#include "persistence/prefsloader.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/files/FileSpecPath.h"
#include "platform/memory/MacMemory.h"
#include "platform/resources/Resources.h"
#include "record/SettingsTable.h"
#include "tests/platform/files/ScopedTempFolder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr ResType cStrList = 0x53545223;  // 'STR#'

CGImageRef FakeImage(uintptr_t n) { return reinterpret_cast<CGImageRef>(n); }

PluginDataRec SampleConfig() {
    PluginDataRec c{};
    c.startRel = {0.125, 0.875, 0.0625, 0.9375};
    c.endRel = {0.25, 0.75, 0.2, 0.8};
    for (int i = 0; i < cNumSliders; ++i) c.sliders[i] = int16_t(-300 + 111 * i);
    for (int i = 0; i < cNumColors; ++i) {
        c.colors[i] = {uint16_t(0x1000 * i + 1), uint16_t(0x2000 + i), uint16_t(0xFFFF - i)};
    }
    c.frameStartColor = {0xAAAA, 0x0101, 0x5555};
    c.frameEndColor = {0x0202, 0xBBBB, 0x7777};
    c.mediaType = kMediaPAL;
    c.keepProps = true;
    c.theOriginalImage = FakeImage(0x1000);
    c.theRendered = FakeImage(0x2000);
    return c;
}

PluginDataRec OtherConfig() {
    PluginDataRec c{};
    c.startRel = {0.5, 0.5, 0.5, 0.5};
    c.sliders[0] = 7;
    c.mediaType = kMediaNTSC;
    c.theOriginalImage = FakeImage(0x3000);
    c.theRendered = FakeImage(0x4000);
    return c;
}

bool SameRel(const RelRect& a, const RelRect& b) {
    return a.left == b.left && a.right == b.right && a.top == b.top && a.bottom == b.bottom;
}
bool SameColor(const RGBColor& a, const RGBColor& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// Every stored field, and the image references as the destination had them.
void ExpectSettings(const PluginDataRec& got, const PluginDataRec& stored, CGImageRef original,
                    CGImageRef rendered) {
    EXPECT_TRUE(SameRel(got.startRel, stored.startRel));
    EXPECT_TRUE(SameRel(got.endRel, stored.endRel));
    for (int i = 0; i < cNumSliders; ++i) EXPECT_EQ(got.sliders[i], stored.sliders[i]) << i;
    for (int i = 0; i < cNumColors; ++i) EXPECT_TRUE(SameColor(got.colors[i], stored.colors[i]));
    EXPECT_TRUE(SameColor(got.frameStartColor, stored.frameStartColor));
    EXPECT_TRUE(SameColor(got.frameEndColor, stored.frameEndColor));
    EXPECT_EQ(got.mediaType, stored.mediaType);
    EXPECT_EQ(got.keepProps, stored.keepProps);
    EXPECT_EQ(got.theOriginalImage, original);
    EXPECT_EQ(got.theRendered, rendered);
}

// A block as SaveConfig writes it, for tests to damage.
Bytes BlockOf(PluginDataRec c) {
    Handle h = NewHandleClear(sizeof(ConfigSaveRec));
    EXPECT_TRUE(Config2Save(&c, reinterpret_cast<ConfigSaveH>(h)));
    Bytes b(*h, *h + sizeof(ConfigSaveRec));
    DisposeHandle(h);
    return b;
}

struct ExtraResourceRec {
    ResType type;
    int16_t id;
    Bytes data;
};

// Writes the preferences file afresh through the resource layer, with or
// without a 'Pref' 1 block.
void WritePrefsFile(const ScopedTempFolder& temp, const Bytes* block,
                    const std::vector<ExtraResourceRec>& extras = {}) {
    fs::remove(temp / "hzfix-Prefs");
    FSSpec fileSpec;
    PathToFSSpec(temp / "hzfix-Prefs", &fileSpec);
    FSpCreateResFile(&fileSpec, cPrefsCreator, cPrefsType, smSystemScript);
    const int16_t ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
    ASSERT_GT(ref, 0);
    auto add = [](const Bytes& data, ResType type, int16_t id) {
        Handle h = NewHandle(Size(data.size()));
        std::memcpy(*h, data.data(), data.size());
        AddResource(h, type, id, nullptr);
        ASSERT_EQ(ResError(), noErr);
    };
    if (block) add(*block, cPrefsType, cPrefsResID);
    for (const ExtraResourceRec& e : extras) add(e.data, e.type, e.id);
    CloseResFile(ref);
    ASSERT_EQ(ResError(), noErr);
}

// The 'Pref' 1 block and its name as they lie in the file; empty if absent.
Bytes StoredBlock(const ScopedTempFolder& temp, std::string* name = nullptr) {
    FSSpec fileSpec;
    PathToFSSpec(temp / "hzfix-Prefs", &fileSpec);
    const int16_t ref = FSpOpenResFile(&fileSpec, fsRdPerm);
    EXPECT_GT(ref, 0);
    Bytes b;
    if (Handle h = Get1Resource(cPrefsType, cPrefsResID)) {
        b.assign(*h, *h + GetHandleSize(h));
        Str255 pascal;
        GetResInfo(h, nullptr, nullptr, pascal);
        if (name) name->assign(reinterpret_cast<char*>(pascal + 1), pascal[0]);
    }
    CloseResFile(ref);
    return b;
}

TEST(Prefs, RoundTripKeepsEveryStoredField) {
    ScopedTempFolder temp;
    PluginDataRec saved = SampleConfig();
    ASSERT_TRUE(SaveConfig(&saved));

    PluginDataRec read = OtherConfig();
    ASSERT_TRUE(ReadConfig(&read));
    ExpectSettings(read, saved, FakeImage(0x3000), FakeImage(0x4000));

    std::string name;
    const Bytes block = StoredBlock(temp, &name);
    EXPECT_EQ(name, "Config Settings");
    ASSERT_EQ(block.size(), 392u);
    const char misc[] = "Config save for vond iMovie plug-in";
    EXPECT_EQ(block[135], 35);
    EXPECT_EQ(std::memcmp(&block[136], misc, 35), 0);
    EXPECT_EQ(std::count(block.begin() + 136 + 35, block.end(), 0), 392 - 136 - 35);
}

TEST(Prefs, MissingFileIsCreatedByReadAndFilledBySave) {
    ScopedTempFolder temp;
    PluginDataRec defaults = OtherConfig();
    EXPECT_FALSE(ReadConfig(&defaults));
    ASSERT_TRUE(fs::exists(temp / "hzfix-Prefs"));
    EXPECT_TRUE(StoredBlock(temp).empty());
    ExpectSettings(defaults, OtherConfig(), FakeImage(0x3000), FakeImage(0x4000));

    ASSERT_TRUE(SaveConfig(&defaults));
    PluginDataRec read = SampleConfig();
    ASSERT_TRUE(ReadConfig(&read));
    ExpectSettings(read, defaults, FakeImage(0x1000), FakeImage(0x2000));
}

TEST(Prefs, StoredBlocksAreJudgedBeforeUse) {
    const auto put32 = [](Bytes* b, size_t at, uint32_t v) { std::memcpy(&(*b)[at], &v, 4); };
    const struct {
        const char* label;
        std::function<void(Bytes*)> alter;
        bool accepted;
        PrefsStatus status;
    } cases[] = {
        {"as written", [](Bytes*) {}, true, PrefsStatus::cOk},
        {"other text", [](Bytes* b) { std::memcpy(&(*b)[135], "\x05other", 6); }, true,
         PrefsStatus::cOk},
        {"longer entry", [](Bytes* b) { b->resize(500, 0xEE); }, true, PrefsStatus::cOk},
        {"version 2", [&](Bytes* b) { put32(b, 4, 2); }, false, PrefsStatus::cUnsupported},
        {"size field 391", [&](Bytes* b) { put32(b, 0, 391); }, false, PrefsStatus::cUnsupported},
        {"other byte order",
         [&](Bytes* b) {
             put32(b, 0, __builtin_bswap32(392));
             put32(b, 4, __builtin_bswap32(3));
         },
         false, PrefsStatus::cUnsupported},
        // Under AddressSanitizer any read past the 100 bytes fails the test.
        {"short entry", [](Bytes* b) { b->resize(100); }, false, PrefsStatus::cUnsupported},
        {"empty entry", [](Bytes* b) { b->clear(); }, false, PrefsStatus::cUnsupported},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScopedTempFolder temp;
        Bytes block = BlockOf(SampleConfig());
        c.alter(&block);
        WritePrefsFile(temp, &block);
        const Bytes file = ReadBytes(temp / "hzfix-Prefs");

        PluginDataRec read = OtherConfig();
        EXPECT_EQ(ReadConfig(&read), c.accepted);
        ExpectSettings(read, c.accepted ? SampleConfig() : OtherConfig(), FakeImage(0x3000),
                       FakeImage(0x4000));
        PluginDataRec loaded = OtherConfig();
        const PrefsResultRec result = LoadPrefs(&loaded);
        EXPECT_EQ(result.status, c.status) << result.message;
        EXPECT_EQ(result.message.empty(), c.accepted);
        EXPECT_EQ(ReadBytes(temp / "hzfix-Prefs"), file);
    }
}

TEST(Prefs, FileWithoutSettingsReadsNothingAndKeepsOtherResources) {
    ScopedTempFolder temp;
    const Bytes strings = {0, 1, 3, 'a', 'b', 'c'};
    WritePrefsFile(temp, nullptr, {{cStrList, 5, strings}});
    const Bytes file = ReadBytes(temp / "hzfix-Prefs");
    PluginDataRec read = OtherConfig();
    EXPECT_FALSE(ReadConfig(&read));
    EXPECT_EQ(LoadPrefs(&read).status, PrefsStatus::cNoSettings);
    ExpectSettings(read, OtherConfig(), FakeImage(0x3000), FakeImage(0x4000));
    EXPECT_EQ(ReadBytes(temp / "hzfix-Prefs"), file);

    const Bytes old = BlockOf(OtherConfig());
    WritePrefsFile(temp, &old, {{cStrList, 5, strings}});
    PluginDataRec saved = SampleConfig();
    ASSERT_TRUE(SaveConfig(&saved));
    FSSpec fileSpec;
    PathToFSSpec(temp / "hzfix-Prefs", &fileSpec);
    const int16_t ref = FSpOpenResFile(&fileSpec, fsRdPerm);
    Str255 item;
    GetIndString(item, 5, 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(item + 1), item[0]), "abc");
    CloseResFile(ref);
    EXPECT_EQ(StoredBlock(temp), BlockOf(SampleConfig()));
}

TEST(Prefs, FailedSaveKeepsTheSavedSettings) {
    ScopedTempFolder temp;
    PluginDataRec first = SampleConfig();
    ASSERT_TRUE(SaveConfig(&first));
    const Bytes before = ReadBytes(temp / "hzfix-Prefs");

    // Small enough that the new file cannot be written in full, large
    // enough that a file without the block could be.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{400, RLIM_INFINITY};
    setrlimit(RLIMIT_FSIZE, &limit);
    PluginDataRec second = OtherConfig();
    const bool saved = SaveConfig(&second);
    const PrefsResultRec stored = StorePrefs(second);
    limit.rlim_cur = RLIM_INFINITY;
    setrlimit(RLIMIT_FSIZE, &limit);

    EXPECT_FALSE(saved);
    EXPECT_EQ(stored.status, PrefsStatus::cFailed);
    EXPECT_NE(stored.message.find("disk is full"), std::string::npos) << stored.message;
    EXPECT_EQ(ReadBytes(temp / "hzfix-Prefs"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1);
    PluginDataRec read = OtherConfig();
    ASSERT_TRUE(ReadConfig(&read));
    ExpectSettings(read, first, FakeImage(0x3000), FakeImage(0x4000));
}

TEST(Prefs, FileDeletedWhileRunningIsWrittenAgain) {
    ScopedTempFolder temp;
    PluginDataRec first = SampleConfig();
    ASSERT_TRUE(SaveConfig(&first));
    fs::remove(temp / "hzfix-Prefs");
    PluginDataRec second = OtherConfig();
    ASSERT_TRUE(SaveConfig(&second));
    PluginDataRec read = SampleConfig();
    ASSERT_TRUE(ReadConfig(&read));
    ExpectSettings(read, second, FakeImage(0x1000), FakeImage(0x2000));
}

TEST(Prefs, DamagedFileIsNeitherReadNorOverwritten) {
    ScopedTempFolder temp;
    PluginDataRec saved = SampleConfig();
    ASSERT_TRUE(SaveConfig(&saved));
    Bytes damaged = ReadBytes(temp / "hzfix-Prefs");
    damaged.resize(damaged.size() - 10);
    WriteBytes(temp / "hzfix-Prefs", damaged);

    PluginDataRec read = OtherConfig();
    EXPECT_FALSE(ReadConfig(&read));
    EXPECT_FALSE(SaveConfig(&read));
    EXPECT_EQ(LoadPrefs(&read).status, PrefsStatus::cDamaged);
    EXPECT_EQ(StorePrefs(read).status, PrefsStatus::cDamaged);
    ExpectSettings(read, OtherConfig(), FakeImage(0x3000), FakeImage(0x4000));
    EXPECT_EQ(ReadBytes(temp / "hzfix-Prefs"), damaged);
}

// Reset is how a user repairs the file; nothing it held is lost on the way.
TEST(Prefs, ResetKeepsWhatItCannotReadBesideAndStartsFromTheDefaults) {
    ScopedTempFolder temp;
    const std::string aside = temp / "hzfix-Prefs.damaged";
    PluginDataRec saved = SampleConfig();
    ASSERT_TRUE(SaveConfig(&saved));
    Bytes damaged = ReadBytes(temp / "hzfix-Prefs");
    damaged.resize(damaged.size() - 10);
    WriteBytes(temp / "hzfix-Prefs", damaged);

    const PrefsResultRec reset = ResetPrefs();
    ASSERT_EQ(reset.status, PrefsStatus::cOk) << reset.message;
    EXPECT_EQ(reset.keptAside, aside);
    EXPECT_EQ(ReadBytes(aside), damaged);
    PluginDataRec read = OtherConfig();
    ASSERT_EQ(LoadPrefs(&read).status, PrefsStatus::cOk);
    ExpectSettings(read, cDefaultSettings, FakeImage(0x3000), FakeImage(0x4000));

    // Settings this version refuses are kept before they go, too.
    Bytes version2 = BlockOf(SampleConfig());
    const uint32_t two = 2;
    std::memcpy(&version2[4], &two, 4);
    WritePrefsFile(temp, &version2);
    const Bytes refused = ReadBytes(temp / "hzfix-Prefs");
    EXPECT_EQ(ResetPrefs().keptAside, aside);
    EXPECT_EQ(ReadBytes(aside), refused);
    EXPECT_TRUE(StoredBlock(temp).empty());

    // Settings it reads go without a copy.
    ASSERT_EQ(StorePrefs(SampleConfig()).status, PrefsStatus::cOk);
    EXPECT_EQ(ResetPrefs().keptAside, "");
    EXPECT_EQ(ReadBytes(aside), refused);
}

TEST(Prefs, MissingFolderIsNeverCreated) {
    ScopedTempFolder temp;
    const std::string folder = temp / "absent";
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    PluginDataRec c = SampleConfig();
    EXPECT_FALSE(ReadConfig(&c));
    EXPECT_FALSE(SaveConfig(&c));
    const PrefsResultRec result = LoadPrefs(&c);
    EXPECT_EQ(result.status, PrefsStatus::cNoFolder);
    EXPECT_NE(result.message.find(folder), std::string::npos);
    EXPECT_EQ(ResetPrefs().status, PrefsStatus::cOk);
    EXPECT_FALSE(fs::exists(folder));
}

TEST(Prefs, SettingsCommandNeverCreatesOnReadAndResetKeepsTheRest) {
    ScopedTempFolder temp;
    PluginDataRec c = OtherConfig();
    const PrefsResultRec missing = LoadPrefs(&c);
    EXPECT_EQ(missing.status, PrefsStatus::cNoFile);
    EXPECT_EQ(missing.message, PrefsFilePath() + " does not exist");
    EXPECT_FALSE(fs::exists(temp / "hzfix-Prefs"));
    EXPECT_EQ(PrefsFilePath(), temp / "hzfix-Prefs");

    ASSERT_EQ(StorePrefs(SampleConfig()).status, PrefsStatus::cOk);
    ASSERT_EQ(LoadPrefs(&c).status, PrefsStatus::cOk);
    ExpectSettings(c, SampleConfig(), FakeImage(0x3000), FakeImage(0x4000));

    const Bytes block = BlockOf(SampleConfig());
    WritePrefsFile(temp, &block, {{cStrList, 5, {0, 0}}});
    EXPECT_EQ(ResetPrefs().status, PrefsStatus::cOk);
    EXPECT_TRUE(StoredBlock(temp).empty());
    EXPECT_EQ(LoadPrefs(&c).status, PrefsStatus::cNoSettings);
    EXPECT_EQ(ResetPrefs().status, PrefsStatus::cOk);
}

TEST(Prefs, RefusedSettingsAreKeptAsideBeforeASaveReplacesThem) {
    ScopedTempFolder temp;
    const std::string aside = temp / "hzfix-Prefs.damaged";
    Bytes other = BlockOf(SampleConfig());
    const uint32_t version2 = 2;
    std::memcpy(&other[4], &version2, 4);
    WritePrefsFile(temp, &other);
    const Bytes refused = ReadBytes(temp / "hzfix-Prefs");

    PluginDataRec fresh = OtherConfig();
    ASSERT_TRUE(SaveConfig(&fresh));
    EXPECT_EQ(ReadBytes(aside), refused);
    EXPECT_EQ(StoredBlock(temp), BlockOf(OtherConfig()));
    // Settings this version reads are replaced without a copy.
    ASSERT_TRUE(SaveConfig(&fresh));
    EXPECT_EQ(ReadBytes(aside), refused);

    // The newest refused file is the one kept.
    Bytes shorter = BlockOf(SampleConfig());
    shorter.resize(100);
    WritePrefsFile(temp, &shorter);
    const Bytes newer = ReadBytes(temp / "hzfix-Prefs");
    ASSERT_EQ(StorePrefs(SampleConfig()).status, PrefsStatus::cOk);
    EXPECT_EQ(ReadBytes(aside), newer);

    // Without room for the copy the refused settings stay where they are.
    WritePrefsFile(temp, &other);
    fs::remove(aside);
    fs::create_directory(aside);
    EXPECT_EQ(StorePrefs(OtherConfig()).status, PrefsStatus::cFailed);
    EXPECT_EQ(ReadBytes(temp / "hzfix-Prefs"), refused);
}

// Whatever sits under the file's name and is not a plain file is refused at
// once, never opened for reading (a FIFO would wait for a writer forever)
// nor replaced.
TEST(Prefs, OddFilesUnderThePrefsNameAreRefusedWithoutWaiting) {
    ScopedTempFolder temp;
    const std::string prefs = temp / "hzfix-Prefs";
    ASSERT_EQ(mkfifo(prefs.c_str(), 0600), 0);
    alarm(20);
    PluginDataRec c = OtherConfig();
    EXPECT_FALSE(ReadConfig(&c));
    EXPECT_FALSE(SaveConfig(&c));
    const PrefsResultRec loaded = LoadPrefs(&c);
    EXPECT_EQ(loaded.status, PrefsStatus::cFailed);
    EXPECT_NE(loaded.message.find("not a regular file"), std::string::npos) << loaded.message;
    EXPECT_EQ(StorePrefs(c).status, PrefsStatus::cFailed);
    EXPECT_EQ(ResetPrefs().status, PrefsStatus::cFailed);
    alarm(0);
    EXPECT_TRUE(fs::is_fifo(prefs));
    fs::remove(prefs);
    fs::create_directory(prefs);
    EXPECT_EQ(StorePrefs(c).status, PrefsStatus::cFailed);
    EXPECT_TRUE(fs::is_directory(prefs));
}

TEST(Prefs, SavingThroughALinkKeepsTheLink) {
    ScopedTempFolder temp;
    fs::create_directory(temp / "synced");
    fs::create_symlink("synced/hzfix-Prefs", temp / "hzfix-Prefs");
    PluginDataRec saved = SampleConfig();
    ASSERT_TRUE(SaveConfig(&saved));
    ASSERT_TRUE(SaveConfig(&saved));
    EXPECT_TRUE(fs::is_symlink(temp / "hzfix-Prefs"));
    EXPECT_EQ(ReadBytes(temp / "synced/hzfix-Prefs"), ReadBytes(temp / "hzfix-Prefs"));
    PluginDataRec read = OtherConfig();
    ASSERT_TRUE(ReadConfig(&read));
    ExpectSettings(read, SampleConfig(), FakeImage(0x3000), FakeImage(0x4000));
}

TEST(Prefs, AFileWhereTheFolderShouldBeIsNamedAsSuch) {
    ScopedTempFolder temp;
    const std::string notFolder = temp / "config";
    WriteBytes(notFolder, {'x'});
    setenv("XDG_CONFIG_HOME", notFolder.c_str(), 1);
    PluginDataRec c = OtherConfig();
    const PrefsResultRec r = LoadPrefs(&c);
    EXPECT_EQ(r.status, PrefsStatus::cNoFolder);
    EXPECT_NE(r.message.find(notFolder + " is not a folder (XDG_CONFIG_HOME"), std::string::npos)
        << r.message;
}

}  // namespace
