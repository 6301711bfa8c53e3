#include "platform/resources/Resources.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/files/FileSpecPath.h"
#include "platform/files/Files.h"
#include "platform/memory/MacMemory.h"
#include "tests/platform/files/ScopedTempFolder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr ResType cStrList = 0x53545223;  // 'STR#'
constexpr ResType cText = 0x54455854;     // 'TEXT'
constexpr ResType cData = 0x44415441;     // 'DATA'

void Put(Bytes* b, size_t pos, int width, uint32_t value) {
    for (int i = width - 1; i >= 0; --i, value >>= 8) (*b)[pos + i] = uint8_t(value);
}

void Append(Bytes* b, const std::string& s) { b->insert(b->end(), s.begin(), s.end()); }

// Laid out by hand from the classic format, not by the code under test:
// 'STR#' 128 holding "One" and "Two" without a name, 'TEXT' 1 "hello" named
// "Note".
constexpr size_t cMap = 256 + 23;
Bytes SampleFork() {
    Bytes b(256, 0);
    Put(&b, 0, 4, 256);
    Put(&b, 4, 4, cMap);
    Put(&b, 8, 4, 23);
    Put(&b, 12, 4, 75);
    Append(&b, std::string("\0\0\0\x0a\0\x02\x03One\x03Two", 14));
    Append(&b, std::string("\0\0\0\x05hello", 9));
    Bytes map(70, 0);
    Put(&map, 24, 2, 28);
    Put(&map, 26, 2, 70);
    Put(&map, 28, 2, 1);
    Put(&map, 30, 4, cStrList);
    Put(&map, 34, 2, 0);
    Put(&map, 36, 2, 18);
    Put(&map, 38, 4, cText);
    Put(&map, 42, 2, 0);
    Put(&map, 44, 2, 30);
    Put(&map, 46, 2, 128);
    Put(&map, 48, 2, 0xFFFF);
    Put(&map, 51, 3, 0);
    Put(&map, 58, 2, 1);
    Put(&map, 60, 2, 0);
    Put(&map, 63, 3, 14);
    b.insert(b.end(), map.begin(), map.end());
    Append(&b, "\x04Note");
    return b;
}

FSSpec FileSpecFor(const std::string& path) {
    FSSpec fileSpec{};
    const OSErr err = PathToFSSpec(path, &fileSpec);
    EXPECT_TRUE(err == noErr || err == fnfErr) << err;
    return fileSpec;
}

std::string Pascal(const std::string& s) { return std::string(1, char(s.size())) + s; }
ConstStr255Param P(const std::string& pascal) {
    return reinterpret_cast<ConstStr255Param>(pascal.data());
}

Handle NewHandleWith(const std::string& content) {
    Handle h = NewHandle(Size(content.size()));
    std::memcpy(*h, content.data(), content.size());
    return h;
}

std::string Content(Handle h) { return std::string(*h, size_t(GetHandleSize(h))); }

std::string IndString(int16_t id, int16_t index) {
    Str255 s;
    std::memset(s, 0xAA, sizeof s);
    GetIndString(s, id, index);
    return std::string(reinterpret_cast<char*>(s + 1), s[0]);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

int16_t CreateAndOpen(const std::string& path) {
    const FSSpec fileSpec = FileSpecFor(path);
    FSpCreateResFile(&fileSpec, 0, 0, smSystemScript);
    EXPECT_EQ(ResError(), noErr);
    return FSpOpenResFile(&fileSpec, fsRdWrPerm);
}

TEST(Resources, ReadsAForkLaidOutByHand) {
    ScopedTempFolder temp;
    WriteBytes(temp / "sample", SampleFork());
    const FSSpec fileSpec = FileSpecFor(temp / "sample");
    const int16_t ref = FSpOpenResFile(&fileSpec, fsRdPerm);
    ASSERT_GT(ref, 0);
    EXPECT_EQ(CurResFile(), ref);

    Handle text = Get1Resource(cText, 1);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Content(text), "hello");
    EXPECT_EQ(Get1Resource(cText, 1), text);
    int16_t id = 0;
    ResType type = 0;
    Str255 name;
    GetResInfo(text, &id, &type, name);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(type, cText);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Note");
    EXPECT_EQ(IndString(128, 2), "Two");
    EXPECT_EQ(Get1Resource(cText, 2), nullptr);
    EXPECT_EQ(ResError(), resNotFound);

    Handle extra = NewHandleWith("x");
    AddResource(extra, cData, 1, nullptr);
    EXPECT_EQ(ResError(), wPrErr);
    DisposeHandle(extra);
    CloseResFile(ref);
    EXPECT_EQ(ReadBytes(temp / "sample"), SampleFork());
}

TEST(Resources, WrittenFilesReadBackEntryForEntry) {
    ScopedTempFolder temp;
    const std::string path = temp / "out";
    const int16_t ref = CreateAndOpen(path);
    ASSERT_GT(ref, 0);
    struct EntryRec {
        ResType type;
        int16_t id;
        std::string name;
        std::string data;
    };
    const EntryRec entries[] = {
        {cStrList, 128, "Labels", std::string("\0\x01\x02hi", 5)},
        {cData, -5, "", ""},
        {cText, 32767, std::string(255, 'n'), std::string(70000, 'd')},
        {cStrList, -32768, "", "x"},
    };
    for (const EntryRec& e : entries) {
        AddResource(NewHandleWith(e.data), e.type, e.id, P(Pascal(e.name)));
        ASSERT_EQ(ResError(), noErr);
    }
    Handle duplicate = NewHandleWith("dup");
    AddResource(duplicate, cData, -5, nullptr);
    EXPECT_EQ(ResError(), addResFailed);
    DisposeHandle(duplicate);
    CloseResFile(ref);
    ASSERT_EQ(ResError(), noErr);

    const FSSpec fileSpec = FileSpecFor(path);
    const int16_t again = FSpOpenResFile(&fileSpec, fsRdPerm);
    ASSERT_GT(again, 0);
    for (const EntryRec& e : entries) {
        SCOPED_TRACE(e.id);
        Handle h = Get1Resource(e.type, e.id);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(GetHandleSize(h), Size(e.data.size()));
        EXPECT_EQ(Content(h), e.data);
        Str255 name;
        GetResInfo(h, nullptr, nullptr, name);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), e.name);
        EXPECT_EQ(GetResAttrs(h), 0);
    }
    CloseResFile(again);
}

TEST(Resources, CreateNeverReplacesAFile) {
    ScopedTempFolder temp;
    WriteBytes(temp / "taken", {1, 2, 3});
    const FSSpec fileSpec = FileSpecFor(temp / "taken");
    FSpCreateResFile(&fileSpec, 0, 0, smSystemScript);
    EXPECT_EQ(ResError(), dupFNErr);
    EXPECT_EQ(ReadBytes(temp / "taken"), (Bytes{1, 2, 3}));
}

TEST(Resources, ChainIsSearchedFromTheCurrentFileDown) {
    ScopedTempFolder temp;
    WriteBytes(temp / "lower", SampleFork());
    const FSSpec lowerSpec = FileSpecFor(temp / "lower");
    const int16_t lower = FSpOpenResFile(&lowerSpec, fsRdPerm);
    const int16_t upper = CreateAndOpen(temp / "upper");
    ASSERT_GT(lower, 0);
    ASSERT_GT(upper, 0);
    AddResource(NewHandleWith("upper text"), cText, 1, nullptr);

    EXPECT_EQ(FSpOpenResFile(&lowerSpec, fsRdPerm), lower);
    EXPECT_EQ(CurResFile(), upper);
    EXPECT_EQ(Content(GetResource(cText, 1)), "upper text");
    EXPECT_EQ(IndString(128, 1), "One");
    EXPECT_EQ(Get1Resource(cStrList, 128), nullptr);

    UseResFile(lower);
    EXPECT_EQ(Content(GetResource(cText, 1)), "hello");
    UseResFile(upper + 100);
    EXPECT_EQ(ResError(), resFNotFound);
    EXPECT_EQ(CurResFile(), lower);
    UseResFile(0);
    EXPECT_EQ(GetResource(cText, 1), nullptr);

    UseResFile(upper);
    CloseResFile(upper);
    EXPECT_EQ(CurResFile(), lower);
    EXPECT_EQ(Content(GetResource(cText, 1)), "hello");
    CloseResFile(lower);
    EXPECT_EQ(CurResFile(), 0);
}

TEST(Resources, HandleOwnershipFollowsTheCalls) {
    ScopedTempFolder temp;
    const std::string path = temp / "f";
    int16_t ref = CreateAndOpen(path);
    AddResource(NewHandleWith("keep"), cText, 1, nullptr);
    AddResource(NewHandleWith("drop"), cText, 2, nullptr);
    Handle added = NewHandleWith("new");
    AddResource(added, cText, 3, nullptr);
    ReleaseResource(added);
    EXPECT_EQ(ResError(), resAttrErr);
    DetachResource(added);
    EXPECT_EQ(ResError(), resAttrErr);
    UpdateResFile(ref);
    ASSERT_EQ(ResError(), noErr);
    EXPECT_EQ(GetResAttrs(added), 0);

    ReleaseResource(added);
    EXPECT_EQ(ResError(), noErr);
    Handle reloaded = Get1Resource(cText, 3);
    ASSERT_NE(reloaded, nullptr);
    EXPECT_EQ(Content(reloaded), "new");

    Handle detached = Get1Resource(cText, 1);
    DetachResource(detached);
    EXPECT_EQ(ResError(), noErr);
    Handle fresh = Get1Resource(cText, 1);
    EXPECT_NE(fresh, detached);
    DisposeHandle(detached);

    Handle removed = Get1Resource(cText, 2);
    RemoveResource(removed);
    EXPECT_EQ(ResError(), noErr);
    RemoveResource(removed);
    EXPECT_EQ(ResError(), rmvResFailed);
    DisposeHandle(removed);

    SetHandleSize(reloaded, 9);
    std::memcpy(*reloaded, "rewritten", 9);
    ChangedResource(reloaded);
    CloseResFile(ref);
    ASSERT_EQ(ResError(), noErr);

    const FSSpec fileSpec = FileSpecFor(path);
    ref = FSpOpenResFile(&fileSpec, fsRdPerm);
    EXPECT_EQ(Content(Get1Resource(cText, 1)), "keep");
    EXPECT_EQ(Get1Resource(cText, 2), nullptr);
    EXPECT_EQ(Content(Get1Resource(cText, 3)), "rewritten");
    CloseResFile(ref);
}

TEST(Resources, IndexedStringsAreBoundsChecked) {
    ScopedTempFolder temp;
    const int16_t ref = CreateAndOpen(temp / "strings");
    AddResource(NewHandleWith(std::string("\0\x03\x01"
                                          "a\x02"
                                          "bc",
                                          7)),
                cStrList, 200, nullptr);
    AddResource(NewHandleWith(std::string("\0\x05\x01"
                                          "a\x09"
                                          "bc",
                                          7)),
                cStrList, 201, nullptr);
    AddResource(NewHandleWith(std::string("\0", 1)), cStrList, 202, nullptr);
    const struct {
        int16_t id, index;
        const char* expected;
    } cases[] = {
        {200, 1, "a"}, {200, 2, "bc"}, {200, 0, ""}, {200, 3, ""}, {200, -1, ""},
        {201, 1, "a"}, {201, 2, ""},   {201, 5, ""}, {202, 1, ""}, {999, 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << "/" << c.index);
        EXPECT_EQ(IndString(c.id, c.index), c.expected);
    }
    CloseResFile(ref);
}

TEST(Resources, FileDeletedWhileOpenIsWrittenAgain) {
    ScopedTempFolder temp;
    WriteBytes(temp / "gone", SampleFork());
    const FSSpec fileSpec = FileSpecFor(temp / "gone");
    const int16_t ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
    ASSERT_GT(ref, 0);
    fs::remove(temp / "gone");
    AddResource(NewHandleWith("late"), cData, 7, nullptr);
    UpdateResFile(ref);
    ASSERT_EQ(ResError(), noErr);
    CloseResFile(ref);

    const int16_t again = FSpOpenResFile(&fileSpec, fsRdPerm);
    ASSERT_GT(again, 0);
    EXPECT_EQ(Content(Get1Resource(cData, 7)), "late");
    EXPECT_EQ(Content(Get1Resource(cText, 1)), "hello");
    EXPECT_EQ(IndString(128, 1), "One");
    CloseResFile(again);
}

// Each case makes the save fail part of the way through; the file must stay
// as it was and no temporary file may be left behind.
TEST(Resources, FailedSaveLeavesTheOldFile) {
    struct FailureRec {
        const char* label;
        std::function<void(const ScopedTempFolder&)> breakIt;
        std::function<void(const ScopedTempFolder&)> mendIt;
        std::string folderAfter;
        OSErr expected;
    };
    const FailureRec cases[] = {
        {"file too large for the limit",
         [](const ScopedTempFolder&) {
             signal(SIGXFSZ, SIG_IGN);
             const rlimit limit{400, RLIM_INFINITY};
             setrlimit(RLIMIT_FSIZE, &limit);
         },
         [](const ScopedTempFolder&) {
             const rlimit limit{RLIM_INFINITY, RLIM_INFINITY};
             setrlimit(RLIMIT_FSIZE, &limit);
         },
         "folder", dskFulErr},
        {"folder replaced by a file",
         [](const ScopedTempFolder& temp) {
             fs::rename(temp / "folder", temp / "moved");
             WriteBytes(temp / "folder", {0});
         },
         [](const ScopedTempFolder& temp) {
             fs::remove(temp / "folder");
             fs::rename(temp / "moved", temp / "folder");
         },
         "moved", dirNFErr},
    };
    for (const FailureRec& c : cases) {
        SCOPED_TRACE(c.label);
        ScopedTempFolder temp;
        fs::create_directory(temp / "folder");
        WriteBytes(temp / "folder/f", SampleFork());
        const FSSpec fileSpec = FileSpecFor(temp / "folder/f");
        const int16_t ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
        ASSERT_GT(ref, 0);
        AddResource(NewHandleWith(std::string(2000, 'z')), cData, 1, nullptr);

        c.breakIt(temp);
        UpdateResFile(ref);
        const OSErr failed = ResError();
        const Bytes left = ReadBytes(temp / (c.folderAfter + "/f"));
        const std::vector<std::string> entries = FolderEntries(temp / c.folderAfter);
        c.mendIt(temp);
        EXPECT_EQ(failed, c.expected);
        EXPECT_EQ(left, SampleFork());
        EXPECT_EQ(entries, std::vector<std::string>{"f"});

        UpdateResFile(ref);
        EXPECT_EQ(ResError(), noErr);
        CloseResFile(ref);
        EXPECT_GT(ReadBytes(temp / "folder/f").size(), 2000u);
    }
}

TEST(Resources, DamagedFilesAreRefusedAndLeftAlone) {
    const struct {
        const char* label;
        std::function<void(Bytes*)> damage;
    } cases[] = {
        {"empty", [](Bytes* b) { b->clear(); }},
        {"header only", [](Bytes* b) { b->resize(16); }},
        {"map cut short", [](Bytes* b) { b->pop_back(); }},
        {"data beyond the end", [](Bytes* b) { Put(b, 0, 4, 100000); }},
        {"map length beyond the end", [](Bytes* b) { Put(b, 12, 4, 76); }},
        {"data runs into the map", [](Bytes* b) { Put(b, 8, 4, 24); }},
        {"map inside the header", [](Bytes* b) { Put(b, 4, 4, 8); }},
        {"type list in the map header", [](Bytes* b) { Put(b, cMap + 24, 2, 4); }},
        {"name list beyond the map", [](Bytes* b) { Put(b, cMap + 26, 2, 200); }},
        {"type count too large", [](Bytes* b) { Put(b, cMap + 28, 2, 50); }},
        {"reference list inside the type list", [](Bytes* b) { Put(b, cMap + 36, 2, 2); }},
        {"two types share one list", [](Bytes* b) { Put(b, cMap + 44, 2, 18); }},
        {"reference count beyond the map", [](Bytes* b) { Put(b, cMap + 42, 2, 10); }},
        {"repeated type", [](Bytes* b) { Put(b, cMap + 38, 4, cStrList); }},
        {"repeated ID",
         [](Bytes* b) {
             Put(b, cMap + 28, 2, 0);
             Put(b, cMap + 34, 2, 1);
             Put(b, cMap + 58, 2, 128);
         }},
        {"name beyond the map", [](Bytes* b) { Put(b, cMap + 60, 2, 10); }},
        {"name length beyond the map", [](Bytes* b) { Put(b, cMap + 70, 1, 200); }},
        {"entry beyond the data", [](Bytes* b) { Put(b, cMap + 63, 3, 20); }},
        {"entry length beyond the data", [](Bytes* b) { Put(b, 256 + 14, 4, 6); }},
        {"entries overlap", [](Bytes* b) { Put(b, cMap + 63, 3, 0); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScopedTempFolder temp;
        Bytes damaged = SampleFork();
        c.damage(&damaged);
        WriteBytes(temp / "bad", damaged);
        const FSSpec fileSpec = FileSpecFor(temp / "bad");
        for (int8_t permission : {fsRdPerm, fsRdWrPerm, fsCurPerm}) {
            EXPECT_EQ(FSpOpenResFile(&fileSpec, permission), -1);
            EXPECT_EQ(ResError(), mapReadErr);
        }
        EXPECT_EQ(ReadBytes(temp / "bad"), damaged);
        EXPECT_EQ(CurResFile(), 0);
    }
}

// Seeded, so a failure names the round that reproduces it.
TEST(Resources, RandomDamageNeverCrashesOrWrites) {
    ScopedTempFolder temp;
    const Bytes valid = SampleFork();
    const std::string path = temp / "fuzz";
    const FSSpec fileSpec = FileSpecFor(path);
    std::mt19937 random(20240611);
    int opened = 0;
    for (int round = 0; round < 3000; ++round) {
        SCOPED_TRACE(round);
        Bytes bytes = valid;
        const int flips = 1 + int(random() % 6);
        for (int i = 0; i < flips; ++i)
            bytes[random() % bytes.size()] ^= uint8_t(1 + random() % 255);
        if (random() % 4 == 0) bytes.resize(random() % bytes.size());
        WriteBytes(path, bytes);

        const int16_t ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
        if (ref < 0) {
            EXPECT_EQ(ResError(), mapReadErr);
        } else {
            ++opened;
            for (ResType type : {cStrList, cText}) {
                for (int16_t id : {1, 128}) {
                    if (Handle h = Get1Resource(type, id)) ReleaseResource(h);
                }
            }
            for (int16_t index = 0; index < 4; ++index) IndString(128, index);
            CloseResFile(ref);
            EXPECT_EQ(ResError(), noErr);
        }
        ASSERT_EQ(ReadBytes(path), bytes);
    }
    // Flips inside resource data leave a readable file; those must open.
    EXPECT_GT(opened, 0);
}

}  // namespace
