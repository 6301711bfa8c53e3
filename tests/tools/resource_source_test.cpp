#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/files/FileSpecPath.h"
#include "platform/resources/Resources.h"
#include "tests/platform/files/ScopedTempFolder.h"
#include "tools/mkresfile/ResourceSource.h"

namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::string>;

constexpr ResType cStrList = 0x53545223;  // 'STR#'

TEST(ResourceSource, CompilesWellFormedSources) {
    const struct {
        const char* label;
        std::string text;
        int16_t id;
        std::string name;
        Items items;
    } cases[] = {
        {"plain",
         "# c\nSTR# 128 \"Labels\"\n  \"Turn\"\n  \"Move\"\n",
         128,
         "Labels",
         {"Turn", "Move"}},
        {"escapes",
         "STR# 1\n\"say \\\"hi\\\"\" \"back\\\\slash\"",
         1,
         "",
         {"say \"hi\"", "back\\slash"}},
        {"quoted type, CRLF", "'STR#' -32768 \"n\"\r\n\"a\" # note\r\n", -32768, "n", {"a"}},
        {"hash inside strings", "STR# 5\n\"#1\" \"a # b\"", 5, "", {"#1", "a # b"}},
        {"empty list", "STR# 32767 \"none\"\n\n", 32767, "none", {}},
        {"longest item",
         "STR# 2\n\"" + std::string(255, 'x') + "\"",
         2,
         "",
         {std::string(255, 'x')}},
        {"empty item", "STR# 3\n\"\"", 3, "", {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<CompiledResourceRec> resources;
        SourceErrorRec error{};
        ASSERT_TRUE(ParseResourceSource(c.text, &resources, &error)) << error.message;
        ASSERT_EQ(resources.size(), 1u);
        EXPECT_EQ(resources[0].type, cStrList);
        EXPECT_EQ(resources[0].id, c.id);
        EXPECT_EQ(resources[0].name, c.name);
        EXPECT_EQ(resources[0].items, c.items);
    }
}

TEST(ResourceSource, ReportsTheLineAndTheFault) {
    const struct {
        std::string text;
        int line;
        const char* says;
    } cases[] = {
        {"STR# 1\n\"open", 2, "not closed"},
        {"STR# 1\n\"a\\n\"", 2, "backslash"},
        {"STR# 1\n\n\"" + std::string(256, 'x') + "\"", 3, "256 bytes"},
        {"STR# 1 \"" + std::string(256, 'x') + "\"", 1, "name is 256 bytes"},
        {"STR# 40000", 1, "-32768 to 32767"},
        {"STR# 12a", 1, "not a whole number"},
        {"STR# \"name\"", 1, "followed by a resource ID"},
        {"STR# 4\n\"a\"\nSTR# 4", 3, "already defined at line 1"},
        {"# only a comment\n\"orphan\"", 2, "before any resource header"},
        {"STR# 1\n\"a\" b", 2, "\"b\" is not in double quotes"},
        {"TEXT 1", 1, "only 'STR#'"},
        {"STR 1", 1, "four characters"},
        {"STR# 1 \"n\" extra", 1, "after the resource name"},
        {"STR# 1 name", 1, "in double quotes"},
        {"'STR# 1", 1, "not closed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        std::vector<CompiledResourceRec> resources;
        SourceErrorRec error{};
        ASSERT_FALSE(ParseResourceSource(c.text, &resources, &error));
        EXPECT_EQ(error.line, c.line);
        EXPECT_NE(error.message.find(c.says), std::string::npos) << error.message;
    }
}

TEST(ResourceSource, ListDataIsCountThenLengthPrefixedItems) {
    CompiledResourceRec list{cStrList, 1, "", {"a", "", "bc"}, 1};
    EXPECT_EQ(list.Data(), (std::vector<uint8_t>{0, 3, 1, 'a', 0, 2, 'b', 'c'}));
}

std::string IndString(int16_t id, int16_t index) {
    Str255 s;
    GetIndString(s, id, index);
    return std::string(reinterpret_cast<char*>(s + 1), s[0]);
}

int RunTool(const std::string& source, const std::string& output, const std::string& errors) {
    const std::string command =
        std::string(HZ_MKRESFILE) + " '" + source + "' '" + output + "' 2>'" + errors + "'";
    return std::system(command.c_str());
}

// The bundle's own strings, through the real tool, as the host reads them.
TEST(Mkresfile, BundleStringsFitTheHost) {
    ScopedTempFolder temp;
    const std::string output = temp / "Strings.rsrc";
    WriteBytes(output, {'s', 't', 'a', 'l', 'e'});
    ASSERT_EQ(RunTool(HZ_BUNDLE_STRINGS, output, temp / "errors"), 0);

    FSSpec fileSpec;
    ASSERT_EQ(PathToFSSpec(output, &fileSpec), noErr);
    const int16_t ref = FSpOpenResFile(&fileSpec, fsRdPerm);
    ASSERT_GT(ref, 0);
    const struct {
        int16_t id;
        int16_t count;
        size_t maxLength;
    } lists[] = {{128, 3, 255}, {129, 6, 255}, {130, 1, 31}, {17000, 1, 255}};
    for (const auto& list : lists) {
        SCOPED_TRACE(list.id);
        for (int16_t i = 1; i <= list.count; ++i) {
            EXPECT_FALSE(IndString(list.id, i).empty()) << i;
            EXPECT_LE(IndString(list.id, i).size(), list.maxLength) << i;
        }
        EXPECT_EQ(IndString(list.id, list.count + 1), "");
    }
    EXPECT_EQ(IndString(17000, 1), "Horizon Fix");
    CloseResFile(ref);
}

TEST(Mkresfile, BadSourceNamesFileAndLineAndWritesNothing) {
    ScopedTempFolder temp;
    const std::string source = temp / "bad.txt";
    const std::string output = temp / "out.rsrc";
    WriteBytes(source, {'S', 'T', 'R', '#', ' ', '1', '\n', '\n', '"', 'x'});
    WriteBytes(output, {'o', 'l', 'd'});
    EXPECT_NE(RunTool(source, output, temp / "errors"), 0);
    const std::vector<unsigned char> errors = ReadBytes(temp / "errors");
    EXPECT_NE(std::string(errors.begin(), errors.end()).find(source + ":3: "), std::string::npos);
    EXPECT_FALSE(fs::exists(output));
}

}  // namespace
