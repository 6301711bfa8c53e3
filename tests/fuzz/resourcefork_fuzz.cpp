// Any bytes as a resource file: the reader either refuses them or gives
// entries that the writer turns back into a file read the same way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/resources/ResourceFork.h"

namespace {

bool SameEntries(const std::vector<ResourceEntryRec>& a, const std::vector<ResourceEntryRec>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].type != b[i].type || a[i].id != b[i].id || a[i].hasName != b[i].hasName ||
            a[i].name != b[i].name || a[i].attributes != b[i].attributes || a[i].data != b[i].data)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<ResourceEntryRec> entries;
    if (!ParseResourceFork(data, size, &entries)) return 0;
    std::vector<uint8_t> rebuilt;
    if (BuildResourceFork(entries, &rebuilt) != noErr) return 0;
    std::vector<ResourceEntryRec> again;
    if (!ParseResourceFork(rebuilt.data(), rebuilt.size(), &again)) std::abort();
    if (!SameEntries(entries, again)) std::abort();
    return 0;
}
