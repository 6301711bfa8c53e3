// A host for the plug-in bundle: loads it, owns the parameter block and the
// procedure table, makes the buffers the plug-in reads and draws into, and
// drives get info, begin, frames, end, placeholder and the custom button.
// Where the frames come from is the FrameProvider's business (a test
// pattern, a decoder). Calls arrive on one thread at a time.
#ifndef HZ_APPS_PLUGINHOST_PLUGINHOST_H
#define HZ_APPS_PLUGINHOST_PLUGINHOST_H

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/HYPlugin.h"
#include "platform/quickdraw/QuickDraw.h"

namespace pluginhost {

// A loaded bundle. Load() fails with a message for a missing folder, a
// library that does not load, or one without the entry point.
class LoadedPlugin {
  public:
    static std::unique_ptr<LoadedPlugin> Load(const std::string& bundleDir, std::string* error);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    int Call(int which, HYPluginParams* params) const { return entry_(which, params); }
    const std::string& libraryPath() const { return libraryPath_; }

    // The library inside a bundle folder, for this machine.
    static std::string LibraryPathIn(const std::string& bundleDir);

  private:
    LoadedPlugin(void* handle, HYPluginMainProc entry, std::string path);
    void* handle_;
    HYPluginMainProc entry_;
    std::string libraryPath_;
};

// Rows of 32-bit pixels that a provider lends: alpha, red, green, blue, or
// red, green, blue, alpha with k32RGBAPixelFormat.
struct LentPixels {
    uint8_t* rows = nullptr;
    int32_t rowBytes = 0;
    uint32_t pixelFormat = k32ARGBPixelFormat;
};

class FrameProvider {
  public:
    virtual ~FrameProvider() = default;
    // Fill `out` (width x height, bounds at (0,0), made by the host) with the
    // clip frame whose absolute number is `frameNumber`. Anything but
    // kPluginOK fails the fetch with that result. An exception fails it too
    // (kPluginOutOfMemory for bad_alloc, else kPluginFailed) and is thrown
    // again by the host's request once the plug-in has returned.
    virtual HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality quality,
                                        GWorldPtr out) = 0;
    // Where the provider already holds that frame as the plug-in wants it
    // (width x height, 4-byte aligned rows), it may lend those rows instead
    // of copying them: true with `out` set. The rows must stay as they are
    // until the fetch is released. The host asks before every fetch and
    // falls back on ProvideFrame.
    virtual bool LendFrame(int32_t /*frameNumber*/, HYRefDVQuality /*quality*/, int16_t /*width*/,
                           int16_t /*height*/, LentPixels* /*out*/) {
        return false;
    }
};

// What the host's own filter panel holds for a clip.
struct ClipSettings {
    int32_t startFrame = 0;
    int32_t frameCount = 0;
    int32_t fadeInFrames = 0;
    int32_t fadeOutFrames = 0;
    float sliderValues[kHYFilterSliderCount] = {0.5f, 0.5f, 0.5f};
    bool proxyOnly = false;
    // Hand out no filter record at all (a host quirk worth surviving).
    bool withoutFilterRecord = false;
    // The movie's own frame size, which GetMovieInfo reports; 0 x 0 when
    // the host does not know it (GetMovieInfo then fails).
    int16_t movieWidth = 0, movieHeight = 0;
};

// One call the plug-in made into the host, as a watcher sees it.
struct HostCall {
    enum Kind { kGetFrame, kReleaseFrame, kBlit, kMixAudio, kGetFilterInfo, kReleaseFilterInfo };
    Kind kind;
    int32_t frameNumber = 0;  // GetFrame, ReleaseFrame, MixAudio: absolute frame
    int16_t width = 0, height = 0;
    HYRefDVQuality quality = 0;
    int16_t opacity = 0;            // Blit
    Rect sourceRect{}, destRect{};  // Blit
};

// Results the host gives instead of its own, to exercise failure paths.
// kPluginOK (the default) means "behave normally".
struct HostFaults {
    HYPluginResult getFrame = kPluginOK;
    HYPluginResult releaseFrame = kPluginOK;
    HYPluginResult blit = kPluginOK;
    HYPluginResult mixAudio = kPluginOK;
    HYPluginResult getFilterInfo = kPluginOK;
    // GetFrame answers kPluginOK but hands back no buffer.
    bool getFrameWithoutBuffer = false;
    // GetFrame hands back frames of this size, whatever size was asked for
    // (0 keeps the size asked for).
    int16_t frameWidth = 0, frameHeight = 0;
    // GetFrame fills the block's destination and hands it back as the
    // source, as hosts that process in place do.
    bool getFrameIntoDestination = false;
    // NewPtr and NewPtrClear give this many more blocks and then nil;
    // negative never fails.
    int allocationsLeft = -1;
};

// What a test puts beside a host: it sees each call the plug-in makes
// into the host, and the host answers with the faults it holds. The hosts
// that render for users set none, so nothing is kept as a clip goes on.
class HostWatcher {
  public:
    virtual ~HostWatcher() = default;
    virtual void Called(const HostCall& call) = 0;
    virtual HostFaults& faults() = 0;
};

class PluginHost {
  public:
    PluginHost(const LoadedPlugin& plugin, FrameProvider& frames);
    ~PluginHost();  // ends a clip still open
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // The interface version put in every block (the newest unless a test
    // says).
    void setInterfaceVersion(int16_t version) { interfaceVersion_ = version; }
    // The saved settings block (kHYSavedSettingsSize bytes) the plug-in is
    // handed at begin and before every frame; empty, the plug-in keeps its
    // own. Set before the first request, it also keeps the plug-in away
    // from the preferences file.
    void setClipSettings(std::vector<uint8_t> block) { clipSettings_ = std::move(block); }
    // Measures a picture's tilt for the plug-in (the table's MeasureTilt:
    // rows of 32-bit pixels A, R, G, B, their pitch, width and height);
    // empty, the default, the table offers none.
    using TiltMeter = std::function<HYPluginResult(const uint8_t* argb, int32_t rowBytes,
                                                   int16_t width, int16_t height, HYTiltRec* out)>;
    void setTiltMeter(TiltMeter meter);
    // Not owned; nullptr (the default) for none.
    void setWatcher(HostWatcher* watcher) { watcher_ = watcher; }
    // Told the absolute number of each frame whose audio the plug-in
    // passes on with MixAudio, as it does.
    void setAudioPassedSink(std::function<void(int32_t)> sink) { audioPassed_ = std::move(sink); }

    // Get info: the block after the plug-in filled it. `selectedFrames` is
    // what the host says the user selected.
    HYPluginResult GetInfo(int32_t selectedFrames, HYPluginParams* described);

    HYPluginResult BeginClip(const ClipSettings& clip);
    // Renders clip frame `renderFrame` (0 is the clip's first) into `dest`
    // at `frameRect`.
    HYPluginResult RenderFrame(int32_t renderFrame, GWorldPtr dest, const Rect& frameRect);
    HYPluginResult EndClip();
    bool clipOpen() const;

    // The placeholder request: one representative frame into `dest`.
    HYPluginResult PlaceHolder(const ClipSettings& clip, int32_t bestThumbOffset, GWorldPtr dest);
    // The custom button, as the host's filter panel would press it.
    HYPluginResult CustomButton(int32_t renderFrame);

    // Any selector, on the host's block as it stands.
    int Send(HYPluginSelector selector);
    HYPluginParams& block() { return *block_; }

    // Buffers handed out by GetFrame and not yet released: must be 0 between frames.
    int framesOutstanding() const;
    // Blocks the plug-in took with NewPtr or NewPtrClear and has not given
    // back with DisposePtr, counted while this host drives a request.
    int blocksOutstanding() const { return blocksOutstanding_; }

  private:
    struct Fetch;
    friend struct HostProcs;
    void Note(const HostCall& call);
    const HostFaults& Faults() const;

    const LoadedPlugin& plugin_;
    FrameProvider& frames_;
    std::unique_ptr<HYPluginParams> block_;
    HYProcs procs_{};
    int16_t interfaceVersion_ = kHYMeasureTiltInterfaceVersion;
    std::vector<uint8_t> clipSettings_;
    TiltMeter tiltMeter_;
    HostWatcher* watcher_ = nullptr;
    std::function<void(int32_t)> audioPassed_;
    ClipSettings clip_;
    HYPluginFilterInfo filterInfo_{};
    std::vector<std::unique_ptr<Fetch>> fetches_;
    std::exception_ptr pending_;
    int blocksOutstanding_ = 0;
};

}  // namespace pluginhost

#endif
