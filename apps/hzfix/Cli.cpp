#include "apps/hzfix/Cli.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace hzfix {

std::optional<std::string> ParsedArgs::Get(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
}

std::string OptionsHelp(const std::vector<OptionSpec>& options) {
    std::vector<std::string> left;
    size_t width = 0;
    for (const OptionSpec& o : options) {
        left.push_back(std::string("  ") + o.name + (o.value ? std::string(" ") + o.value : ""));
        width = std::max(width, left.back().size() + 2);
    }
    std::string text;
    for (size_t i = 0; i < options.size(); ++i) {
        const OptionSpec& o = options[i];
        left[i].resize(width, ' ');
        text += left[i] + o.help;
        if (o.type == OptionType::cInteger && o.maximum != cFrameCountLimit)
            text += "; " + std::to_string(o.minimum) + " to " + std::to_string(o.maximum);
        text += "\n";
    }
    return text;
}

ParsedArgs ParseArgs(const std::vector<std::string>& words,
                     const std::vector<OptionSpec>& options) {
    ParsedArgs out;
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (optionsEnded || word.size() < 2 || word[0] != '-' || word == "-") {
            out.positional.push_back(word);
            continue;
        }
        if (word == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = word;
        std::optional<std::string> inlineValue;
        if (auto eq = word.find('='); word.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = word.substr(0, eq);
            inlineValue = word.substr(eq + 1);
        }
        const OptionSpec* match = nullptr;
        for (const auto& s : options)
            if (name == s.name) match = &s;
        if (!match) {
            // A negative number is a value, not an unknown option.
            char* end = nullptr;
            std::strtod(word.c_str(), &end);
            if (end && *end == '\0') {
                out.positional.push_back(word);
                continue;
            }
            throw UsageError("unknown option " + name);
        }
        if (!match->value) {
            if (inlineValue) throw UsageError(name + " takes no value");
            out.values[name] = "";
        } else if (inlineValue) {
            out.values[name] = *inlineValue;
        } else {
            if (i + 1 >= words.size())
                throw UsageError(name + " needs a value (" + match->value + ")");
            out.values[name] = words[++i];
        }
        const std::string& value = out.values[name];
        if (match->type == OptionType::cInteger)
            ParseInteger(value, match->minimum, match->maximum, name);
        if (match->type == OptionType::cTime) ParseSeconds(value, name);
    }
    return out;
}

std::optional<int64_t> ParsedArgs::Integer(const std::string& name) const {
    const auto v = Get(name);
    if (!v) return std::nullopt;
    return ParseInteger(*v, INT64_MIN, INT64_MAX, name);
}

std::optional<double> ParsedArgs::Seconds(const std::string& name) const {
    const auto v = Get(name);
    if (!v) return std::nullopt;
    return ParseSeconds(*v, name);
}

double ParseNumber(const std::string& text, const std::string& what) {
    errno = 0;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(value))
        throw UsageError(what + ": '" + text + "' is not a number");
    return value;
}

int64_t ParseInteger(const std::string& text, int64_t min, int64_t max, const std::string& what) {
    errno = 0;
    char* end = nullptr;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0')
        throw UsageError(what + ": '" + text + "' is not a whole number");
    if (errno == ERANGE || value < min || value > max)
        throw UsageError(what + ": " + text + " is out of range (" + std::to_string(min) + " to " +
                         std::to_string(max) + ")");
    return value;
}

double ParseSeconds(const std::string& text, const std::string& what) {
    const std::string bad = what + ": '" + text + "' is not a time (seconds, or [H:]M:S)";
    double total = 0;
    size_t begin = 0;
    for (int part = 0;; ++part) {
        const size_t colon = text.find(':', begin);
        const std::string field =
            text.substr(begin, colon == std::string::npos ? colon : colon - begin);
        double value;
        try {
            value = ParseNumber(field, what);
        } catch (const UsageError&) {
            throw UsageError(bad);
        }
        // Minutes and seconds after the first field stay below 60.
        if (part > 2 || value < 0 || (part > 0 && value >= 60)) throw UsageError(bad);
        total = total * 60 + value;
        if (colon == std::string::npos) break;
        begin = colon + 1;
    }
    return total;
}

std::vector<double> ParseNumberList(const std::string& text, size_t count,
                                    const std::string& what) {
    std::vector<double> numbers;
    size_t begin = 0;
    for (;;) {
        size_t comma = text.find(',', begin);
        numbers.push_back(ParseNumber(
            text.substr(begin, comma == std::string::npos ? comma : comma - begin), what));
        if (comma == std::string::npos) break;
        begin = comma + 1;
    }
    if (numbers.size() != count)
        throw UsageError(what + ": expected " + std::to_string(count) +
                         " numbers separated by commas, got " + std::to_string(numbers.size()));
    return numbers;
}

Rgb16 ParseColor(const std::string& text, const std::string& what) {
    std::string hex = !text.empty() && text[0] == '#' ? text.substr(1) : text;
    bool ok = hex.size() == 6;
    for (char c : hex) ok = ok && std::isxdigit(static_cast<unsigned char>(c));
    if (!ok) throw UsageError(what + ": '" + text + "' is not a colour like #RRGGBB");
    auto channel = [&](int i) {
        auto v = static_cast<uint16_t>(std::strtoul(hex.substr(i * 2, 2).c_str(), nullptr, 16));
        return static_cast<uint16_t>(v * 257);
    };
    return {channel(0), channel(1), channel(2)};
}

bool ParseOnOff(const std::string& text, const std::string& what) {
    if (text == "on" || text == "yes" || text == "true" || text == "1") return true;
    if (text == "off" || text == "no" || text == "false" || text == "0") return false;
    throw UsageError(what + ": '" + text + "' is neither on nor off");
}

}  // namespace hzfix
