#include <gtest/gtest.h>

#include "apps/hzfix/Cli.h"
#include "apps/hzfix/Progress.h"

namespace hzfix {
namespace {

TEST(HzfixCli, TimesInSecondsOrClockForm) {
    const struct {
        const char* text;
        double seconds;
    } good[] = {{"0", 0}, {"12.5", 12.5}, {"1:02.5", 62.5}, {"1:00:03", 3603}, {"0:59", 59}};
    for (const auto& c : good)
        EXPECT_DOUBLE_EQ(ParseSeconds(c.text, "--start"), c.seconds) << c.text;
    for (const char* bad : {"", "-1", "abc", "1:60", "1::2", "1:2:3:4", "nan", "1e999"})
        EXPECT_THROW(ParseSeconds(bad, "--start"), UsageError) << bad;
}

TEST(HzfixCli, IntegersAreRefusedOutsideTheirRangeNotWrapped) {
    EXPECT_EQ(ParseInteger("-32768", INT16_MIN, INT16_MAX, "--turn"), -32768);
    EXPECT_EQ(ParseInteger("32767", INT16_MIN, INT16_MAX, "--turn"), 32767);
    for (const char* bad : {"32768", "-32769", "65536", "99999999999999999999", "7.5", "", "0x10"})
        EXPECT_THROW(ParseInteger(bad, INT16_MIN, INT16_MAX, "--turn"), UsageError) << bad;
    try {
        ParseInteger("40000", INT16_MIN, INT16_MAX, "--turn");
        FAIL();
    } catch (const UsageError& e) {
        EXPECT_NE(std::string(e.what()).find("--turn"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("out of range"), std::string::npos);
    }
}

TEST(HzfixCli, ColoursWidenEachByteToSixteenBits) {
    Rgb16 c = ParseColor("#FF8000", "--background");
    EXPECT_EQ(c.red, 65535);
    EXPECT_EQ(c.green, 0x8080);
    EXPECT_EQ(c.blue, 0);
    EXPECT_EQ(ParseColor("0a0B0c", "--background").blue, 0x0c0c);
    for (const char* bad : {"#FFF", "#GG0000", "#1234567", "", "red"})
        EXPECT_THROW(ParseColor(bad, "--background"), UsageError) << bad;
}

TEST(HzfixCli, NumberListsNeedExactlyTheirCount) {
    auto n = ParseNumberList("0.25,0.75,-0.1,1.5", 4, "--framing");
    EXPECT_EQ(n, (std::vector<double>{0.25, 0.75, -0.1, 1.5}));
    for (const char* bad : {"0,1,0", "0,1,0,1,1", "0,,0,1", "a,b,c,d"})
        EXPECT_THROW(ParseNumberList(bad, 4, "--framing"), UsageError) << bad;
}

TEST(HzfixCli, OptionsTakeValuesEitherWayAndNegativeNumbersStayPositional) {
    const std::vector<OptionSpec> options = {{"--fade-in", "N", ""}, {"-y", nullptr, ""}};
    ParsedArgs a = ParseArgs({"in.mp4", "--fade-in", "5", "-y", "out.mp4"}, options);
    EXPECT_EQ(a.positional, (std::vector<std::string>{"in.mp4", "out.mp4"}));
    EXPECT_EQ(a.Get("--fade-in"), "5");
    EXPECT_TRUE(a.Has("-y"));
    EXPECT_EQ(ParseArgs({"--fade-in=7"}, options).Get("--fade-in"), "7");
    EXPECT_EQ(ParseArgs({"set", "-3"}, options).positional.back(), "-3");
    EXPECT_EQ(ParseArgs({"--", "-y"}, options).positional.back(), "-y");
    EXPECT_THROW(ParseArgs({"--bogus"}, options), UsageError);
    EXPECT_THROW(ParseArgs({"--fade-in"}, options), UsageError);
    EXPECT_THROW(ParseArgs({"-y=1"}, options), UsageError);
}

TEST(HzfixProgress, MachineBlocksCarryTheKeysProgramsParse) {
    std::string block = Progress::Block(50, 12.5, 25, 4096, 0.5, false);
    EXPECT_NE(block.find("frame=50\n"), std::string::npos);
    EXPECT_NE(block.find("fps=12.50\n"), std::string::npos);
    EXPECT_NE(block.find("out_time=00:00:02.000000\n"), std::string::npos);
    EXPECT_NE(block.find("out_time_us=2000000\n"), std::string::npos);
    EXPECT_NE(block.find("total_size=4096\n"), std::string::npos);
    EXPECT_EQ(block.substr(block.size() - 18), "progress=continue\n");
    EXPECT_NE(Progress::Block(90000, 1, 25, 0, 1, true).find("out_time=01:00:00.000000"),
              std::string::npos);
    EXPECT_EQ(Progress::Block(1, 1, 25, 0, 1, true).substr(0, 8), "frame=1\n");
    EXPECT_NE(Progress::Block(1, 1, 25, 0, 1, true).find("progress=end\n"), std::string::npos);
}

TEST(HzfixProgress, TerminalLineEstimatesTheTimeLeft) {
    EXPECT_EQ(Progress::Line(100, 400, 50), "frame 100/400  50.0 fps  ETA 0:06");
    EXPECT_EQ(Progress::Line(400, 400, 50), "frame 400/400  50.0 fps");
}

}  // namespace
}  // namespace hzfix
