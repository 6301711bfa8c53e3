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

struct CueFacts {
    double start = 0;
    std::string text;
    bool operator==(const CueFacts&) const = default;
};

struct ClipDescription {
    std::string title;
    std::vector<ChapterFacts> chapters;
    std::string videoLanguage, audioLanguage;
    double rotation = 0;  // degrees, as the display matrix says
    int fieldOrder = 0;   // AVFieldOrder of the video stream; read only
    // A second sound track, a copy of the first, in this language, starting
    // `secondAudioLead` seconds before the pictures (which are delayed for it).
    std::string secondAudioLanguage;
    double secondAudioLead = 0;
    // A SubRip stream, when not empty. Read back, the times are counted from
    // the first picture, which is what keeps them in step with it.
    std::vector<CueFacts> subtitles;
    // Read only: "video", "audio", "subtitle"... per stream, in order.
    std::vector<std::string> streamKinds;
};

// Copies `in` to `out` packet for packet with `description` added.
void Describe(const std::string& in, const std::string& out, const ClipDescription& description);
ClipDescription ReadDescription(const std::string& path);

// The times of every packet of each stream, in seconds from the first
// picture, in time order.
std::vector<std::vector<double>> PacketTimes(const std::string& path);

}  // namespace hzfixtest

#endif
