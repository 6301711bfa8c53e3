#include "platform/files/Files.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/files/FileSpecPath.h"
#include "tests/platform/files/ScopedTempFolder.h"

namespace {

namespace fs = std::filesystem;

std::string Pascal(const std::string& s) { return std::string(1, char(s.size())) + s; }

ConstStr255Param Bytes(const std::string& s) {
    return reinterpret_cast<ConstStr255Param>(s.data());
}

// The folder FindFolder handed out, read back through a file named in it.
std::string FolderOf(int16_t vRefNum, int32_t dirID) {
    FSSpec fileSpec;
    FSMakeFSSpec(vRefNum, dirID, Bytes(Pascal("x")), &fileSpec);
    std::string path;
    if (FSSpecToPath(&fileSpec, &path) != noErr) return "<none>";
    return path.substr(0, path.size() - 2);
}

struct FindCaseRec {
    const char* label;
    const char*
        xdg;  // nullptr: unset; values starting with '@' are made relative to the temp folder
    const char* makeDirs;
    Boolean create;
    OSErr expected;
    const char* expectedFolder;
};

TEST(FindFolder, LocatesThePreferencesFolder) {
    const FindCaseRec cases[] = {
        {"xdg set", "@/cfg", "cfg", kDontCreateFolder, noErr, "cfg"},
        {"xdg empty", "", "home/.config", kDontCreateFolder, noErr, "home/.config"},
        {"xdg unset", nullptr, "home/.config", kDontCreateFolder, noErr, "home/.config"},
        {"xdg relative", "cfg", "cfg home/.config", kDontCreateFolder, noErr, "home/.config"},
        {"missing", "@/cfg", "", kDontCreateFolder, fnfErr, nullptr},
        {"created", "@/a/b/cfg", "", kCreateFolder, noErr, "a/b/cfg"},
        {"trailing slash", "@/cfg/", "cfg", kDontCreateFolder, noErr, "cfg"},
    };
    for (const FindCaseRec& c : cases) {
        SCOPED_TRACE(c.label);
        ScopedTempFolder temp;
        for (std::string dirs = c.makeDirs; !dirs.empty();) {
            const size_t space = dirs.find(' ');
            fs::create_directories(temp / dirs.substr(0, space));
            dirs = space == std::string::npos ? "" : dirs.substr(space + 1);
        }
        setenv("HOME", (temp / "home").c_str(), 1);
        if (!c.xdg) {
            unsetenv("XDG_CONFIG_HOME");
        } else if (c.xdg[0] == '@') {
            setenv("XDG_CONFIG_HOME", (temp.path() + (c.xdg + 1)).c_str(), 1);
        } else {
            setenv("XDG_CONFIG_HOME", c.xdg, 1);
        }

        int16_t vRefNum = 0;
        int32_t dirID = 0;
        ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, c.create, &vRefNum, &dirID),
                  c.expected);
        if (c.expected != noErr) {
            EXPECT_FALSE(fs::exists(temp / "cfg"));
            continue;
        }
        EXPECT_EQ(FolderOf(vRefNum, dirID), temp / c.expectedFolder);
        if (c.create) {
            EXPECT_EQ(fs::status(temp / c.expectedFolder).permissions(), fs::perms::owner_all);
        }
    }
}

TEST(FindFolder, SameFolderSameIDOtherFolderOtherID) {
    ScopedTempFolder first, second;
    int16_t v1, v2, v3;
    int32_t d1, d2, d3;
    setenv("XDG_CONFIG_HOME", first.path().c_str(), 1);
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, 0, &v1, &d1), noErr);
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, 0, &v2, &d2), noErr);
    setenv("XDG_CONFIG_HOME", second.path().c_str(), 1);
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, 0, &v3, &d3), noErr);
    EXPECT_EQ(d1, d2);
    EXPECT_NE(d1, d3);
    EXPECT_EQ(FolderOf(v1, d1), first.path());
    EXPECT_EQ(FolderOf(v3, d3), second.path());
}

struct NameCaseRec {
    const char* label;
    std::string name;  // without the length byte
    OSErr expected;
};

TEST(FSMakeFSSpec, JudgesNamesAndFillsTheSpec) {
    ScopedTempFolder temp;
    WriteBytes(temp / "present", {1, 2, 3});
    const std::string roman = "caf\x8E \xC9";  // high bytes pass through untouched
    const NameCaseRec cases[] = {
        {"present", "present", noErr},
        {"absent", "absent", fnfErr},
        {"high bytes", roman, fnfErr},
        {"longest", std::string(63, 'n'), fnfErr},
        {"too long", std::string(64, 'n'), bdNamErr},
        {"empty", "", bdNamErr},
        {"slash", "a/b", bdNamErr},
        {"nul", std::string("a\0b", 3), bdNamErr},
        {"dot", ".", bdNamErr},
        {"dot dot", "..", bdNamErr},
        {"dot name", ".hidden", fnfErr},
    };
    int16_t vRefNum;
    int32_t dirID;
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, 0, &vRefNum, &dirID), noErr);
    for (const NameCaseRec& c : cases) {
        SCOPED_TRACE(c.label);
        FSSpec fileSpec{};
        ASSERT_EQ(FSMakeFSSpec(vRefNum, dirID, Bytes(Pascal(c.name)), &fileSpec), c.expected);
        if (c.expected == bdNamErr) continue;
        EXPECT_EQ(fileSpec.vRefNum, vRefNum);
        EXPECT_EQ(int32_t{fileSpec.parID}, dirID);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(fileSpec.name + 1), fileSpec.name[0]),
                  c.name);
        std::string path;
        ASSERT_EQ(FSSpecToPath(&fileSpec, &path), noErr);
        EXPECT_EQ(path, temp / c.name);
    }
}

TEST(FSMakeFSSpec, UnknownOrVanishedFolderIsDirNF) {
    ScopedTempFolder temp;
    const std::string folder = temp / "prefs";
    fs::create_directory(folder);
    setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    int16_t vRefNum;
    int32_t dirID;
    ASSERT_EQ(FindFolder(kOnSystemDisk, kPreferencesFolderType, 0, &vRefNum, &dirID), noErr);
    FSSpec fileSpec;
    EXPECT_EQ(FSMakeFSSpec(vRefNum, dirID + 1000, Bytes(Pascal("f")), &fileSpec), dirNFErr);
    EXPECT_EQ(FSMakeFSSpec(vRefNum + 1, dirID, Bytes(Pascal("f")), &fileSpec), dirNFErr);
    fs::remove(folder);
    EXPECT_EQ(FSMakeFSSpec(vRefNum, dirID, Bytes(Pascal("f")), &fileSpec), dirNFErr);

    FSSpec forged{};
    forged.vRefNum = vRefNum;
    forged.parID = dirID;
    forged.name[0] = 2;
    forged.name[1] = '.';
    forged.name[2] = '.';
    std::string path;
    EXPECT_EQ(FSSpecToPath(&forged, &path), bdNamErr);
}

TEST(PathToFSSpec, RelativePathsArePinnedToTheWorkingFolder) {
    ScopedTempFolder temp;
    fs::create_directory(temp / "sub");
    WriteBytes(temp / "sub/file", {0});
    const fs::path before = fs::current_path();
    fs::current_path(temp.path());
    FSSpec present, absent;
    const OSErr presentErr = PathToFSSpec("sub/file", &present);
    const OSErr absentErr = PathToFSSpec("new", &absent);
    const OSErr missingFolderErr = PathToFSSpec("nowhere/new", &absent);
    fs::current_path(before);

    EXPECT_EQ(presentErr, noErr);
    EXPECT_EQ(absentErr, fnfErr);
    EXPECT_EQ(missingFolderErr, dirNFErr);
    std::string path;
    ASSERT_EQ(FSSpecToPath(&present, &path), noErr);
    EXPECT_EQ(fs::canonical(path), fs::canonical(temp / "sub/file"));
}

}  // namespace
