// The readable source the bundle's string lists are written in, turned into
// resource data. One resource per header line, its items on the lines after:
//
//   # a comment, to the end of the line
//   STR# 128 "Slider labels"     type, ID, optional name
//     "Turn"  "Move"             items: double-quoted, \" and \\ escaped
//
// A type with a space in it is written in single quotes ('STR '). Only
// 'STR#' string lists are understood; items and names are bytes as written,
// at most 255 of them.
#ifndef HZ_TOOLS_RESOURCESOURCE_H
#define HZ_TOOLS_RESOURCESOURCE_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/types/MacTypes.h"

struct CompiledResourceRec {
    ResType type;
    int16_t id;
    std::string name;
    std::vector<std::string> items;
    int line;
    // What goes in the file: a big-endian count, then each item after its
    // length byte.
    std::vector<uint8_t> Data() const;
};

struct SourceErrorRec {
    int line;
    std::string message;
};

bool ParseResourceSource(const std::string& text, std::vector<CompiledResourceRec>* resources,
                         SourceErrorRec* error);

#endif
