// What the hzfix tests share: clips made with the FFmpeg libraries, the
// hzfix program run as a child process, and measurements of its output.
#ifndef HZ_TESTS_APPS_HZFIX_HZFIXTESTKIT_H
#define HZ_TESTS_APPS_HZFIX_HZFIXTESTKIT_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/pixfmt.h>
}

namespace hzfixtest {

struct Rgb {
    int r, g, b;
};

struct ClipSpec {
    int width = 160;
    int height = 120;
    int fps = 25;
    int frames = 40;
    bool audio = true;
    bool interlaced = false;   // top field first
    std::string pixelFormat;   // empty: the writer's choice
    std::string audioEncoder;  // empty: the writer's choice
    std::string videoEncoder;  // empty: the writer's choice
    // Tagged as HDR10 (PQ, BT.2020) with kHdrMastering and kHdrLight.
    bool hdr10 = false;
    // When not empty, frame f is shown at frameTimes[f] seconds (variable
    // rate, no sound); `frames` is then its size.
    std::vector<double> frameTimes;
    AVColorRange range = AVCOL_RANGE_MPEG;
    AVColorSpace matrix = AVCOL_SPC_BT709;
    // Colour of each frame; the default is a mid grey.
    std::function<Rgb(int frame, int x, int y)> paint;
};

// A ClipSpec's paint that shows one picture on every frame: `argb` holds
// its rows of `width` pixels, A R G B each.
std::function<Rgb(int frame, int x, int y)> PaintPicture(std::vector<uint8_t> argb, int width);

// The HDR10 descriptions of a ClipSpec with hdr10: a P3 display of 1000
// cd/m2 and 0.005 at least, light levels 1000 and 400.
inline constexpr int kHdrMaxLuminance = 1000, kHdrMaxCll = 1000, kHdrMaxFall = 400;

// Writes a clip (H.264 video, AAC tone when recipe.audio) with the FFmpeg
// libraries through the apps' own writer.
void MakeClip(const std::string& path, const ClipSpec& recipe);
// A file with an audio stream and no video.
void MakeAudioOnly(const std::string& path);

struct Outcome {
    int status = -1;  // exit status, or 128 + signal
    std::string out, err;
};

// Runs hzfix with `args` and the extra environment `env` ("NAME=value").
Outcome Hzfix(const std::vector<std::string>& args, const std::vector<std::string>& env = {});
// The same, started in the background; `Finish` waits for it.
struct Child {
    int pid = -1;
    std::string outFile, errFile;
};
Child StartHzfix(const std::vector<std::string>& args, const std::vector<std::string>& env);
// Any program, the same way; and where the built hzfix is.
Child StartProgram(const std::string& program, const std::vector<std::string>& args,
                   const std::vector<std::string>& env, const std::string& input = "/dev/null");
std::string HzfixPath();
Outcome Finish(const Child& child);
std::string BundleDir();

struct VideoFacts {
    int width = 0, height = 0;
    double fps = 0;
    int64_t frames = 0;
    bool hasAudio = false;
    int64_t audioSamples = 0;  // decoded
    int audioRate = 0;
    std::string codec, pixelFormat;  // of the video
};
VideoFacts Inspect(const std::string& path);
// The time of every picture of a clip's video, in seconds from the first.
std::vector<double> PictureTimes(const std::string& path);

// Frame `index` of a clip, decoded, as bytes A, R, G, B.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> argb;
    Rgb At(int x, int y) const;
    // Mean over a square of side 2r+1 centred on (x, y).
    Rgb Mean(int x, int y, int r) const;
};
Picture DecodeFrame(const std::string& path, int64_t index);
// Peak signal to noise ratio of clip `a` against clip `b`, in dB, over the
// decoded planes of every frame as they are stored (no conversion).
double Psnr(const std::string& a, const std::string& b);
// FNV-1a of each frame's planes as they are stored (no conversion), in
// the order the frames are shown.
std::vector<uint64_t> PlaneHashes(const std::string& path);
// The audio of a clip mixed down to mono floats at 48 kHz.
std::vector<float> DecodeAudio(const std::string& path);
// Root mean square of samples [begin, end).
double Rms(const std::vector<float>& samples, size_t begin, size_t end);

// A fresh folder under the system's temporary folder, removed with it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> Entries() const;

  private:
    std::string path_;
};

// A folder for one test's clips and preferences, and hzfix run with them
// against the built bundle.
class HzfixSandbox {
  public:
    TempDir dir;
    std::vector<std::string> Env() const { return {"XDG_CONFIG_HOME=" + dir / "config"}; }
    Outcome Do(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--plugin", BundleDir()});
        return Hzfix(args, Env());
    }
};

bool Exists(const std::string& path);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& bytes);
int Distance(Rgb a, Rgb b);

}  // namespace hzfixtest

#endif
