// Command-line words into values: options from a table, times, integers
// in a range, colours. Every malformed word is a UsageError that says
// which option and why; nothing is clamped or wrapped.
#ifndef HZ_APPS_HZFIX_CLI_H
#define HZ_APPS_HZFIX_CLI_H

#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace hzfix {

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// What an option's value must be; ParseArgs refuses any other.
enum class OptionType : uint8_t { cText, cInteger, cTime };

// An integer option whose maximum is this counts frames: as many as the
// plug-in can count, a limit not worth printing in help.
inline constexpr int64_t cFrameCountLimit = INT32_MAX;

struct OptionSpec {
    const char* name;   // "--fade-in", or a short "-y"
    const char* value;  // what the value is called in help; nullptr for a switch
    const char* help;
    const char* choices = nullptr;  // the words the value may be, for completion
    OptionType type = OptionType::cText;
    int64_t minimum = 0, maximum = 0;  // an integer's limits, both allowed
};

struct ParsedArgs {
    std::vector<std::string> positional;
    std::map<std::string, std::string> values;  // option name -> value ("" for a switch)

    bool Has(const std::string& name) const { return values.count(name) != 0; }
    std::optional<std::string> Get(const std::string& name) const;
    // The values of integer and time options, checked when they were parsed.
    std::optional<int64_t> Integer(const std::string& name) const;
    std::optional<double> Seconds(const std::string& name) const;
};

// One line per option, "  --name VALUE      help", for a command's help;
// an integer's limits are added to its help.
std::string OptionsHelp(const std::vector<OptionSpec>& options);

// Options may come anywhere; "--name=value" and "--name value" both work;
// "--" ends the options. An option given twice keeps its last value. An
// integer outside its limits, or a time that is not one, is a UsageError.
ParsedArgs ParseArgs(const std::vector<std::string>& words, const std::vector<OptionSpec>& options);

// "12.5" seconds, "1:02.5" or "0:01:02.5".
double ParseSeconds(const std::string& text, const std::string& what);
int64_t ParseInteger(const std::string& text, int64_t min, int64_t max, const std::string& what);
double ParseNumber(const std::string& text, const std::string& what);
// "a,b,c,d" with exactly `count` numbers.
std::vector<double> ParseNumberList(const std::string& text, size_t count, const std::string& what);
struct Rgb16 {
    uint16_t red, green, blue;
};
// "#RRGGBB" (or without '#'); each 8-bit part is widened to 16 bits.
Rgb16 ParseColor(const std::string& text, const std::string& what);
bool ParseOnOff(const std::string& text, const std::string& what);

}  // namespace hzfix

#endif
