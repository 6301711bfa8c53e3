#include "platform/files/ReplaceFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/files/Leftovers.h"
#include "tests/platform/files/ScopedTempFolder.h"

namespace {
// The error every fsync of this process answers with while not 0: a disk
// that takes the bytes into its cache and then cannot keep them.
std::atomic<int> lgFsyncError{0};
}  // namespace

// This program's own fsync stands in for the C library's, so the code under
// test meets the failure without a hook of its own.
extern "C" int fsync(int fd) {
    if (const int err = lgFsyncError.load()) {
        errno = err;
        return -1;
    }
    return static_cast<int>(syscall(SYS_fsync, fd));
}

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

// The ID of a process that has ended and been reaped.
pid_t GonePid() {
    const pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

void Touch(const std::string& path) { WriteBytes(path, {'x'}); }

TEST(ReplaceFile, ALinkKeepsItsPlaceAndWhatItLeadsToIsReplaced) {
    ScopedTempFolder temp;
    fs::create_directory(temp / "real");
    WriteBytes(temp / "real/target", {'o', 'l', 'd'});
    const struct {
        const char* label;
        std::string link;
        std::string leadsTo;
    } cases[] = {
        {"absolute", temp / "absolute", temp / "real/target"},
        {"relative", temp / "relative", "real/target"},
        {"link to a link", temp / "chained", "absolute"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fs::create_symlink(c.leadsTo, c.link);
        const Bytes fresh(c.link.begin(), c.link.end());
        ASSERT_EQ(ReplaceFile(c.link, fresh), noErr);
        EXPECT_TRUE(fs::is_symlink(c.link));
        EXPECT_EQ(ReadBytes(temp / "real/target"), fresh);
    }
    // A link to nothing yet makes the file it names.
    fs::create_symlink("real/later", temp / "dangling");
    ASSERT_EQ(ReplaceFile(temp / "dangling", {'n'}), noErr);
    EXPECT_TRUE(fs::is_symlink(temp / "dangling"));
    EXPECT_EQ(ReadBytes(temp / "real/later"), Bytes{'n'});
    // Links in a circle lead nowhere: the name itself is replaced.
    fs::create_symlink("loop-b", temp / "loop-a");
    fs::create_symlink("loop-a", temp / "loop-b");
    EXPECT_EQ(FollowLinks(temp / "loop-a"), temp / "loop-a");
}

TEST(ReplaceFile, BytesTheDiskCannotKeepLeaveTheOldFileAsItWas) {
    ScopedTempFolder temp;
    WriteBytes(temp / "prefs", {'o', 'l', 'd'});
    lgFsyncError = EIO;
    const OSErr err = ReplaceFile(temp / "prefs", {'n', 'e', 'w'});
    lgFsyncError = 0;
    EXPECT_EQ(err, ioErr);
    EXPECT_EQ(ReadBytes(temp / "prefs"), (Bytes{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(temp.path()), fs::directory_iterator()), 1)
        << "the temporary file is removed";
}

TEST(ReplaceFile, OnlyLeftoversOfGoneProcessesAreRemoved) {
    ScopedTempFolder temp;
    const std::string gone = std::to_string(GonePid());
    const std::string self = std::to_string(getpid());
    const std::string removed[] = {".prefs.tmp-" + gone + "-0", ".prefs.tmp-" + gone + "-17"};
    const std::string kept[] = {
        ".prefs.tmp-" + self + "-3",  // this process is still writing it
        ".prefs.tmp-1-0",             // process 1 always runs
        ".other.tmp-" + gone + "-0",  // not this file's
        ".prefs.tmp-x" + gone,        // no process ID where one belongs
        "prefs.tmp-" + gone + "-0",   // not a hidden temporary
    };
    for (const std::string& name : removed) Touch(temp / name);
    for (const std::string& name : kept) Touch(temp / name);
    fs::create_directory(temp / (".prefs.tmp-" + gone + "-9"));

    ASSERT_EQ(ReplaceFile(temp / "prefs", {'p'}), noErr);
    for (const std::string& name : removed) EXPECT_FALSE(fs::exists(temp / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(temp / name)) << name;
    EXPECT_TRUE(fs::is_directory(temp / (".prefs.tmp-" + gone + "-9")));
    EXPECT_EQ(ReadBytes(temp / "prefs"), Bytes{'p'});

    // The same rule for any prefix, as the render's partial outputs use it.
    Touch(temp / (".clip.part-" + gone + ".mp4"));
    Touch(temp / (".clip.part-" + self + ".mp4"));
    RemoveLeftovers(temp.path(), ".clip.part-");
    EXPECT_FALSE(fs::exists(temp / (".clip.part-" + gone + ".mp4")));
    EXPECT_TRUE(fs::exists(temp / (".clip.part-" + self + ".mp4")));
}

}  // namespace
