#include "tools/mkresfile/ResourceSource.h"

#include <charconv>
#include <string_view>

namespace {

constexpr ResType cStringListType = 0x53545223;  // 'STR#'
constexpr size_t cMaxStringLength = 255;
constexpr size_t cMaxItems = 32767;

struct TokenRec {
    bool quoted;
    std::string text;
};

std::string TypeName(ResType type) {
    std::string name(4, ' ');
    for (int i = 0; i < 4; ++i) name[i] = static_cast<char>(type >> (24 - 8 * i));
    return "'" + name + "'";
}

// Splits one line into bare words and quoted strings, stopping at a '#'
// that begins a word.
bool Tokenize(std::string_view line, std::vector<TokenRec>* tokens, std::string* why) {
    size_t pos = 0;
    while (pos < line.size()) {
        const char c = line[pos];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++pos;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string text;
            for (++pos;; ++pos) {
                if (pos >= line.size()) {
                    *why = "string not closed before the end of the line";
                    return false;
                }
                if (line[pos] == '"') break;
                if (line[pos] == '\\') {
                    if (pos + 1 >= line.size() || (line[pos + 1] != '"' && line[pos + 1] != '\\')) {
                        *why = "only \\\" and \\\\ may follow a backslash";
                        return false;
                    }
                    ++pos;
                }
                text += line[pos];
            }
            ++pos;
            tokens->push_back({true, std::move(text)});
        } else if (c == '\'') {
            const size_t close = line.find('\'', pos + 1);
            if (close == std::string_view::npos) {
                *why = "type not closed with '";
                return false;
            }
            tokens->push_back({false, std::string(line.substr(pos + 1, close - pos - 1))});
            pos = close + 1;
        } else {
            const size_t end = line.find_first_of(" \t\r\"", pos);
            const size_t stop = end == std::string_view::npos ? line.size() : end;
            tokens->push_back({false, std::string(line.substr(pos, stop - pos))});
            pos = stop;
        }
    }
    return true;
}

bool ParseHeader(const std::vector<TokenRec>& tokens, int line, CompiledResourceRec* resource,
                 std::string* why) {
    const std::string& type = tokens[0].text;
    if (type.size() != 4) {
        *why = "a resource type has four characters, not \"" + type + "\"";
        return false;
    }
    resource->type = 0;
    for (unsigned char c : type) resource->type = (resource->type << 8) | c;
    if (resource->type != cStringListType) {
        *why =
            "cannot compile resources of type " + TypeName(resource->type) + "; only 'STR#' lists";
        return false;
    }
    if (tokens.size() < 2 || tokens[1].quoted) {
        *why = "the type must be followed by a resource ID";
        return false;
    }
    const std::string& id = tokens[1].text;
    int value = 0;
    const auto [end, ec] = std::from_chars(id.data(), id.data() + id.size(), value);
    if (ec != std::errc() || end != id.data() + id.size() || value < INT16_MIN ||
        value > INT16_MAX) {
        *why = "resource ID \"" + id + "\" is not a whole number from -32768 to 32767";
        return false;
    }
    resource->id = static_cast<int16_t>(value);
    if (tokens.size() > 2) {
        if (!tokens[2].quoted) {
            *why = "the resource name must be in double quotes";
            return false;
        }
        resource->name = tokens[2].text;
        if (resource->name.size() > cMaxStringLength) {
            *why = "the resource name is " + std::to_string(resource->name.size()) +
                   " bytes long; at most 255 fit";
            return false;
        }
    }
    if (tokens.size() > 3) {
        *why = "unexpected \"" + tokens[3].text + "\" after the resource name";
        return false;
    }
    resource->line = line;
    return true;
}

}  // namespace

std::vector<uint8_t> CompiledResourceRec::Data() const {
    std::vector<uint8_t> data{static_cast<uint8_t>(items.size() >> 8),
                              static_cast<uint8_t>(items.size())};
    for (const std::string& item : items) {
        data.push_back(static_cast<uint8_t>(item.size()));
        data.insert(data.end(), item.begin(), item.end());
    }
    return data;
}

bool ParseResourceSource(const std::string& text, std::vector<CompiledResourceRec>* resources,
                         SourceErrorRec* error) {
    std::vector<CompiledResourceRec> parsed;
    auto fail = [error](int line, std::string message) {
        *error = {line, std::move(message)};
        return false;
    };
    int lineNumber = 0;
    for (size_t start = 0; start < text.size();) {
        ++lineNumber;
        const size_t newline = text.find('\n', start);
        const size_t end = newline == std::string::npos ? text.size() : newline;
        const std::string_view line(text.data() + start, end - start);
        start = end + 1;

        std::vector<TokenRec> tokens;
        std::string why;
        if (!Tokenize(line, &tokens, &why)) return fail(lineNumber, why);
        if (tokens.empty()) continue;

        if (!tokens[0].quoted) {
            CompiledResourceRec resource{};
            if (!ParseHeader(tokens, lineNumber, &resource, &why)) return fail(lineNumber, why);
            for (const CompiledResourceRec& earlier : parsed) {
                if (earlier.type == resource.type && earlier.id == resource.id) {
                    return fail(lineNumber,
                                TypeName(resource.type) + " " + std::to_string(resource.id) +
                                    " is already defined at line " + std::to_string(earlier.line));
                }
            }
            parsed.push_back(std::move(resource));
            continue;
        }
        if (parsed.empty()) return fail(lineNumber, "string before any resource header");
        for (TokenRec& token : tokens) {
            if (!token.quoted) {
                return fail(lineNumber, "\"" + token.text +
                                            "\" is not in double quotes; a header "
                                            "must start its own line");
            }
            if (token.text.size() > cMaxStringLength) {
                return fail(lineNumber, "string is " + std::to_string(token.text.size()) +
                                            " bytes long; at most 255 fit");
            }
            if (parsed.back().items.size() == cMaxItems) {
                return fail(lineNumber, "a list holds at most 32767 strings");
            }
            parsed.back().items.push_back(std::move(token.text));
        }
    }
    *resources = std::move(parsed);
    return true;
}
