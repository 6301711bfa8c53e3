#include "apps/frei0r/Frei0rInstance.h"

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <mutex>

#include "apps/pluginhost/HostBlit.h"
#include "persistence/prefsloader.h"

namespace hzfrei0r {

namespace {

// The plug-in's entry point serves one call at a time.
std::mutex lgPluginCalls;
std::mutex lgLoading;
std::weak_ptr<const pluginhost::LoadedPlugin> lgLoaded;

// A clip as long as the plug-in counts: a frei0r host never says where its
// clip ends, so the plug-in's own fades never start.
constexpr int32_t cEndlessClip = std::numeric_limits<int32_t>::max() / 2;

bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

// $HZFIX_PLUGIN, else the bundle beside this library (a build), else the
// one installed with it (PREFIX/lib/frei0r-1/ and PREFIX/lib/horizonfix/),
// else the one of the prefix it was built for.
std::string FindBundle() {
    if (const char* chosen = std::getenv("HZFIX_PLUGIN"); chosen && *chosen) return chosen;
    Dl_info self{};
    if (dladdr(reinterpret_cast<void*>(&FindBundle), &self) && self.dli_fname) {
        const std::string path = self.dli_fname;
        const std::string folder = path.substr(0, path.find_last_of('/') + 1);
        for (const char* relative : {"HorizonFix.bundle", "../horizonfix/HorizonFix.bundle"})
            if (Exists(folder + relative)) return folder + relative;
    }
    return HZ_INSTALLED_BUNDLE_DIR;
}

std::shared_ptr<const pluginhost::LoadedPlugin> SharedPlugin() {
    std::lock_guard lock(lgLoading);
    if (auto plugin = lgLoaded.lock()) return plugin;
    std::string error;
    std::shared_ptr<const pluginhost::LoadedPlugin> plugin =
        pluginhost::LoadedPlugin::Load(FindBundle(), &error);
    if (!plugin) std::fprintf(stderr, "horizonfix: %s\n", error.c_str());
    lgLoaded = plugin;
    return plugin;
}

}  // namespace

Instance::Instance(std::shared_ptr<const pluginhost::LoadedPlugin> plugin, int width, int height)
    : plugin_(std::move(plugin)), width_(width), height_(height), host_(*plugin_, *this) {}

Instance::~Instance() {
    if (clipOpen_) {
        std::lock_guard lock(lgPluginCalls);
        host_.EndClip();
    }
}

GWorldPtr Instance::WorldOn(const uint32_t* pixels) const {
    const Rect bounds = {0, 0, static_cast<int16_t>(height_), static_cast<int16_t>(width_)};
    GWorldPtr world = nullptr;
    // The plug-in draws in frei0r's byte order where the frames lie; the
    // frame it is handed is only read.
    if (NewGWorldFromPtr(&world, k32RGBAPixelFormat, &bounds, nullptr, nullptr, 0,
                         reinterpret_cast<Ptr>(const_cast<uint32_t*>(pixels)), width_ * 4) != noErr)
        return nullptr;
    return world;
}

std::unique_ptr<Instance> Instance::Make(unsigned width, unsigned height) {
    constexpr unsigned cLimit = std::numeric_limits<int16_t>::max();
    if (width == 0 || height == 0 || width > cLimit || height > cLimit) {
        std::fprintf(stderr, "horizonfix: frames of %ux%u are not rendered\n", width, height);
        return nullptr;
    }
    auto plugin = SharedPlugin();
    if (!plugin) return nullptr;
    std::unique_ptr<Instance> instance(
        new Instance(std::move(plugin), static_cast<int>(width), static_cast<int>(height)));
    if (!instance->Begin()) return nullptr;
    return instance;
}

bool Instance::Begin() {
    // A project renders the same on every machine: the effect's defaults,
    // never the saved preferences.
    host_.setClipSettings(Config2Bytes(values_.settings));
    std::lock_guard lock(lgPluginCalls);
    HYPluginResult result = host_.GetInfo(cEndlessClip, nullptr);
    if (result == kPluginOK) {
        pluginhost::ClipSettings clip;
        clip.frameCount = cEndlessClip;
        result = host_.BeginClip(clip);
    }
    if (result != kPluginOK) {
        std::fprintf(stderr, "horizonfix: the plug-in cannot begin a clip: %s\n",
                     HYPluginResultName(result));
        return false;
    }
    clipOpen_ = true;
    return true;
}

void Instance::Update(const uint32_t* in, uint32_t* out) {
    const size_t count = static_cast<size_t>(width_) * height_;
    host_.setClipSettings(Config2Bytes(values_.settings));
    // The host's frames are the plug-in's source and destination as they
    // lie: no copy, no change of byte order on the way in or out.
    in_ = in;
    GWorldPtr source = WorldOn(in);
    GWorldPtr rendered = WorldOn(out);
    HYPluginResult result = source && rendered ? kPluginOK : kPluginOutOfMemory;
    if (result == kPluginOK) {
        const Rect frame = {0, 0, static_cast<int16_t>(height_), static_cast<int16_t>(width_)};
        {
            std::lock_guard lock(lgPluginCalls);
            result = host_.RenderFrame(0, rendered, frame);
        }
        if (result == kPluginOK && values_.mix > 0)
            pluginhost::BlendPixMaps(**GetGWorldPixMap(source), **GetGWorldPixMap(rendered), frame,
                                     frame, static_cast<int>(std::lround(values_.mix * 255)));
    }
    if (source) DisposeGWorld(source);
    if (rendered) DisposeGWorld(rendered);
    in_ = nullptr;
    if (result != kPluginOK) {
        // A frame the effect could not render is passed on as it came.
        if (!warned_)
            std::fprintf(stderr, "horizonfix: a frame was not rendered (%s); passed on as it is\n",
                         HYPluginResultName(result));
        warned_ = true;
        std::copy(in, in + count, out);
    }
}

bool Instance::LendFrame(int32_t, HYRefDVQuality, int16_t width, int16_t height,
                         pluginhost::LentPixels* out) {
    if (!in_ || width != width_ || height != height_) return false;
    out->rows = reinterpret_cast<uint8_t*>(const_cast<uint32_t*>(in_));
    out->rowBytes = width_ * 4;
    out->pixelFormat = k32RGBAPixelFormat;
    return true;
}

HYPluginResult Instance::ProvideFrame(int32_t, HYRefDVQuality, GWorldPtr out) {
    if (!in_) return kPluginCantGetNeededFrame;
    GWorldPtr source = WorldOn(in_);
    if (!source) return kPluginOutOfMemory;
    Rect bounds;
    GetPortBounds(out, &bounds);
    const Rect frame = {0, 0, static_cast<int16_t>(height_), static_cast<int16_t>(width_)};
    CopyBits(GetPortBitMapForCopyBits(source), GetPortBitMapForCopyBits(out), &frame, &bounds,
             srcCopy, nullptr);
    DisposeGWorld(source);
    return kPluginOK;
}

}  // namespace hzfrei0r
