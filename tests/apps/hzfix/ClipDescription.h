// What a clip says about itself besides its pictures and sound: title,
// chapters, stream languages, display rotation; written onto a clip made for
// a test, and read back from what hzfix wrote.
#ifndef HZ_TESTS_APPS_HZFIX_CLIPDESCRIPTION_H
#define HZ_TESTS_APPS_HZFIX_CLIPDESCRIPTION_H

#include <string>
#include <vector>

namespace hzfixtest {

struct ChapterFacts {
    double start = 0, end = 0;
    std::string title;
    bool operator==(const ChapterFacts&) const = default;
};

struct ClipDescription {
    std::string title;
    std::vector<ChapterFacts> chapters;
    std::string videoLanguage, audioLanguage;
    double rotation = 0;  // degrees, as the display matrix says
    int fieldOrder = 0;   // AVFieldOrder of the video stream; read only
};

// Copies `in` to `out` packet for packet with `description` added.
void Describe(const std::string& in, const std::string& out, const ClipDescription& description);
ClipDescription ReadDescription(const std::string& path);

}  // namespace hzfixtest

#endif
