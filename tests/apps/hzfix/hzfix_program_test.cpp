// hzfix as a program users install and call: where it finds the plug-in,
// its help, and options that must not change what it does to their files.
#include <gtest/gtest.h>

#include <filesystem>

#include "record/SettingsTable.h"
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

TEST_F(HzfixProgram, ManualSaysWhereSettingsAreKeptWhatTheEnvironmentChangesAndShowsExamples) {
    const Outcome man = Hzfix({"--man"}, Env());
    ASSERT_EQ(man.status, 0);
    size_t at = 0;
    for (const char* text :
         {".SH EXIT STATUS", ".SH FILES", "$XDG_CONFIG_HOME/hzfix\\-Prefs", "hzfix\\-Prefs.damaged",
          ".SH ENVIRONMENT", "XDG_CONFIG_HOME", "HZFIX_PLUGIN", "HZ_DISABLE_FAST_PATHS",
          ".SH EXAMPLES", "hzfix render clip.mp4 level.mp4 \\-\\-turn 3deg"}) {
        at = man.out.find(text, at);
        EXPECT_NE(at, std::string::npos) << text;
    }
}

// Completion offers the words an action or an option takes, as the
// settings table and the commands' options name them.
TEST_F(HzfixProgram, CompletionOffersTheWordsAnActionOrOptionTakes) {
    const Outcome completion = Hzfix({"--bash-completion"}, Env());
    ASSERT_EQ(completion.status, 0);
    WriteFile(dir / "completion.bash", completion.out);
    std::string formats;
    for (const MediaFormatRec& f : cMediaFormats) formats += std::string(f.name) + " ";
    const struct {
        std::string line;  // the words before the cursor, the last one being completed
        std::string offered;
    } cases[] = {
        {"hzfix settings ", "show set reset "},
        {"hzfix settings s", "show set "},
        {"hzfix settings set --format ", formats},
        {"hzfix --plugin b render in.mp4 out.mp4 --keep-proportions o", "on off "},
        {"hzfix settings show --as ", "file ffmpeg melt "},
        {"hzfix settings set --scale 4 --fo", "--format --for "},
    };
    for (const auto& c : cases) {
        const std::string script = "source " + dir / "completion.bash" + "\nCOMP_WORDS=(" + c.line +
                                   (c.line.back() == ' ' ? "''" : "") +
                                   ")\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n_hzfix\n"
                                   "printf '%s ' \"${COMPREPLY[@]}\"\n";
        const Outcome r = Finish(StartProgram("/bin/bash", {"-c", script}, Env()));
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, c.offered) << c.line;
    }
}

}  // namespace
}  // namespace hzfixtest
