// Any text as a resource source: it compiles or names a line that exists,
// and what compiles goes into a resource file and comes back byte for byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/resources/ResourceFork.h"
#include "tools/mkresfile/ResourceSource.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<CompiledResourceRec> resources;
    SourceErrorRec error{};
    if (!ParseResourceSource(text, &resources, &error)) {
        const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        if (error.line < 1 || error.line > lines || error.message.empty()) std::abort();
        return 0;
    }
    std::vector<ResourceEntryRec> entries;
    for (const CompiledResourceRec& r : resources) {
        const std::vector<uint8_t> bytes = r.Data();
        // A count, then each item after its length byte.
        size_t expected = 2;
        for (const std::string& item : r.items) expected += 1 + item.size();
        if (bytes.size() != expected || ((bytes[0] << 8) | bytes[1]) != int(r.items.size()))
            std::abort();
        entries.push_back({r.type, r.id, !r.name.empty(), r.name, 0, bytes});
    }
    std::vector<uint8_t> file;
    if (BuildResourceFork(entries, &file) != noErr) return 0;
    std::vector<ResourceEntryRec> back;
    if (!ParseResourceFork(file.data(), file.size(), &back) || back.size() != entries.size())
        std::abort();
    for (const ResourceEntryRec& e : entries) {
        const auto found = std::find_if(back.begin(), back.end(), [&](const ResourceEntryRec& b) {
            return b.type == e.type && b.id == e.id;
        });
        if (found == back.end() || found->data != e.data || found->name != e.name) std::abort();
    }
    return 0;
}
