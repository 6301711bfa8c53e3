// The classic resource fork layout, read from and written to memory. Kept
// apart from the open-file bookkeeping so a damaged file can be examined
// without touching any state.
#ifndef HZ_PLATFORM_RESOURCEFORK_H
#define HZ_PLATFORM_RESOURCEFORK_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/types/MacTypes.h"

struct ResourceEntryRec {
    ResType type;
    int16_t id;
    bool hasName;
    std::string name;
    uint8_t attributes;
    std::vector<uint8_t> data;
};

// False for anything that is not a consistent fork: regions outside the
// bytes or overlapping, lists that do not fit or share bytes, repeated types
// or IDs. Entries come out grouped by type in the order the map lists them.
bool ParseResourceFork(const uint8_t* bytes, size_t length, std::vector<ResourceEntryRec>* entries);

// ioErr when the entries cannot be expressed in the format's 16- and 24-bit
// offsets. Types keep the order of their first entry.
OSErr BuildResourceFork(const std::vector<ResourceEntryRec>& entries, std::vector<uint8_t>* bytes);

#endif
