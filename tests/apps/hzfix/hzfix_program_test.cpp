// hzfix as a program users install and call: where it finds the plug-in,
// its help, and options that must not change what it does to their files.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/apps/hzfix/HzfixTestKit.h"

namespace hzfixtest {
namespace {

namespace fs = std::filesystem;

class HzfixProgram : public ::testing::Test {
  protected:
    TempDir dir;
    std::vector<std::string> Env(std::vector<std::string> more = {}) const {
        more.push_back("XDG_CONFIG_HOME=" + dir / "config");
        return more;
    }
};

// Installed as PREFIX/bin/hzfix with PREFIX/lib/horizonfix/HorizonFix.bundle,
// hzfix finds its bundle; HZFIX_PLUGIN and --plugin point elsewhere.
TEST_F(HzfixProgram, FindsItsInstalledBundleOrTheOneItIsPointedAt) {
    fs::create_directories(dir / "prefix/bin");
    fs::create_directories(dir / "prefix/lib/horizonfix");
    fs::copy_file(HzfixPath(), dir / "prefix/bin/hzfix");
    fs::copy(BundleDir(), dir / "prefix/lib/horizonfix/HorizonFix.bundle",
             fs::copy_options::recursive);
    Outcome r = Finish(StartProgram(dir / "prefix/bin/hzfix", {"info"}, Env()));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("prefix/bin/../lib/horizonfix/HorizonFix.bundle"), std::string::npos)
        << r.out;

    r = Finish(
        StartProgram(dir / "prefix/bin/hzfix", {"info"}, Env({"HZFIX_PLUGIN=" + dir / "nowhere"})));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(dir / "nowhere"), std::string::npos) << r.err;
    r = Finish(StartProgram(dir / "prefix/bin/hzfix", {"--plugin", BundleDir(), "info"},
                            Env({"HZFIX_PLUGIN=" + dir / "nowhere"})));
    EXPECT_EQ(r.status, 0) << r.err;
}

TEST_F(HzfixProgram, InfoLeavesNoPreferencesFileAndOptionsWorkAfterTheCommand) {
    Outcome r = Hzfix({"--plugin", BundleDir(), "info", "-v"}, Env());
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(Exists(dir / "config/hzfix-Prefs"));
    EXPECT_FALSE(Exists(dir / "config"));

    r = Hzfix({"info", "--help"}, Env());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: hzfix info", 0), 0u) << r.out;
    // A preset the encoder does not know is a usage error, found before any work.
    r = Hzfix({"render", "in.mp4", dir / "out.mp4", "--preset", "quick"}, Env());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--preset: 'quick'"), std::string::npos) << r.err;
}

TEST_F(HzfixProgram, PicturesAreWrittenInTheTypeTheirNameSays) {
    MakeClip(dir / "in.mp4", ClipSpec{});
    const std::string plugin = BundleDir();
    ASSERT_EQ(Hzfix({"--plugin", plugin, "thumbnail", dir / "in.mp4", dir / "t.jpg"}, Env()).status,
              0);
    ASSERT_EQ(Hzfix({"--plugin", plugin, "preview", dir / "in.mp4", dir / "p.PNG"}, Env()).status,
              0);
    EXPECT_EQ(ReadFile(dir / "t.jpg").substr(0, 2), "\xFF\xD8");
    EXPECT_EQ(ReadFile(dir / "p.PNG").substr(1, 3), "PNG");
    const Outcome gif =
        Hzfix({"--plugin", plugin, "thumbnail", dir / "in.mp4", dir / "t.gif"}, Env());
    EXPECT_NE(gif.status, 0);
    EXPECT_NE(gif.err.find("end it in .png or .jpg"), std::string::npos) << gif.err;
    EXPECT_FALSE(Exists(dir / "t.gif"));
}

// "-" reads the clip from standard input and writes the result to standard
// output, the summary going to standard error instead.
TEST_F(HzfixProgram, AClipFlowsThroughStandardInputAndOutput) {
    MakeClip(dir / "in.mp4", ClipSpec{});
    Child child =
        StartProgram(HzfixPath(), {"--plugin", BundleDir(), "render", "-", "-", "-f", "mkv", "-q"},
                     Env(), dir / "in.mp4");
    Outcome r = Finish(child);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("-: 40 frames"), std::string::npos) << r.err;
    WriteFile(dir / "out.mkv", r.out);
    EXPECT_EQ(Inspect(dir / "out.mkv").frames, 40);

    r = Hzfix({"--plugin", BundleDir(), "render", dir / "in.mp4", "-"}, Env());
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("needs its type"), std::string::npos) << r.err;
}

// The manual page and the completion come from the same tables as the help.
TEST_F(HzfixProgram, ManualAndCompletionNameEveryCommandAndOption) {
    const Outcome man = Hzfix({"--man"}, Env());
    const Outcome completion = Hzfix({"--bash-completion"}, Env());
    ASSERT_EQ(man.status, 0);
    ASSERT_EQ(completion.status, 0);
    for (const char* command : {"info", "render", "preview", "thumbnail", "settings"}) {
        EXPECT_NE(man.out.find(std::string(".SS ") + command + "\n"), std::string::npos) << command;
        EXPECT_NE(completion.out.find(std::string(command) + ") opts="), std::string::npos);
    }
    EXPECT_NE(man.out.find("\\-\\-side\\-by\\-side"), std::string::npos);
    EXPECT_NE(completion.out.find("--side-by-side"), std::string::npos);
}

}  // namespace
}  // namespace hzfixtest
