#include "apps/pluginhost/PluginHost.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <new>
#include <utility>

#include "apps/pluginhost/HostBlit.h"
#include "platform/corefoundation/CoreFoundation.h"
#include "platform/memory/MacMemory.h"

namespace pluginhost {

struct PluginHost::Fetch {
    int32_t frameNumber;
    GWorldPtr buffer;
    bool owned = true;  // not when it is the block's own destination
};

namespace {

constexpr char cDefaultExecutable[] = "HorizonFix.so";

PluginHost* HostOf(HYPluginInstance instance) { return reinterpret_cast<PluginHost*>(instance); }

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

// The host's procedures, reached from the plug-in through the table.
struct HostProcs {
    // False when the host's faults say this allocation is to fail.
    static bool MayAllocate() {
        if (!lgCurrentHost || !lgCurrentHost->watcher_) return true;
        int& left = lgCurrentHost->watcher_->faults().allocationsLeft;
        if (left == 0) return false;
        if (left > 0) --left;
        return true;
    }
    static Ptr Counted(Ptr p) {
        if (p && lgCurrentHost) ++lgCurrentHost->blocksOutstanding_;
        return p;
    }
    static Ptr NewPtrProc(int32_t size) {
        return MayAllocate() ? Counted(::NewPtr(size)) : nullptr;
    }
    static Ptr NewPtrClearProc(int32_t size) {
        return MayAllocate() ? Counted(::NewPtrClear(size)) : nullptr;
    }
    static void DisposePtrProc(Ptr p) {
        if (p && lgCurrentHost) --lgCurrentHost->blocksOutstanding_;
        ::DisposePtr(p);
    }

    static HYPluginResult GetFrame(HYPluginInstance instance, int32_t frameNumber,
                                   GWorldPtr* outFrame, int16_t width, int16_t height,
                                   HYRefDVQuality quality, int16_t* outVolume, void** outCookie) {
        PluginHost* host = HostOf(instance);
        host->Note({HostCall::kGetFrame, frameNumber, width, height, quality});
        if (outFrame) *outFrame = nullptr;
        if (outCookie) *outCookie = nullptr;
        if (outVolume) *outVolume = 0;
        if (!outFrame || !outCookie) return kPluginBadParams;
        const HostFaults& faults = host->Faults();
        if (faults.getFrame != kPluginOK) return faults.getFrame;
        if (width <= 0 || height <= 0) return kPluginBadParams;
        if (faults.getFrameIntoDestination)
            return HandBackDestination(host, frameNumber, quality, outFrame, outCookie);
        if (faults.frameWidth > 0) width = faults.frameWidth;
        if (faults.frameHeight > 0) height = faults.frameHeight;

        // Made first: once the buffer exists, only the provider may throw.
        host->fetches_.reserve(host->fetches_.size() + 1);
        auto fetch = std::make_unique<PluginHost::Fetch>(PluginHost::Fetch{frameNumber, nullptr});
        const Rect bounds = {0, 0, height, width};
        GWorldPtr buffer = nullptr;
        pluginhost::LentPixels lent;
        if (host->frames_.LendFrame(frameNumber, quality, width, height, &lent)) {
            // The provider's own rows, handed over without a copy.
            if (NewGWorldFromPtr(&buffer, lent.pixelFormat, &bounds, nullptr, nullptr, 0,
                                 reinterpret_cast<Ptr>(lent.rows), lent.rowBytes) != noErr)
                return kPluginOutOfMemory;
        } else {
            if (NewGWorld(&buffer, 32, &bounds, nullptr, nullptr, 0) != noErr)
                return kPluginOutOfMemory;
            HYPluginResult provided;
            try {
                provided = host->frames_.ProvideFrame(frameNumber, quality, buffer);
            } catch (...) {
                DisposeGWorld(buffer);
                throw;
            }
            if (provided != kPluginOK) {
                DisposeGWorld(buffer);
                return provided;
            }
        }
        fetch->buffer = buffer;
        *outCookie = fetch.get();
        if (faults.getFrameWithoutBuffer) {
            DisposeGWorld(buffer);
            fetch->buffer = nullptr;
        } else {
            *outFrame = buffer;
        }
        host->fetches_.push_back(std::move(fetch));
        return kPluginOK;
    }

    static HYPluginResult HandBackDestination(PluginHost* host, int32_t frameNumber,
                                              HYRefDVQuality quality, GWorldPtr* outFrame,
                                              void** outCookie) {
        GWorldPtr dest = host->block_->frame;
        if (!dest) return kPluginBadParams;
        const HYPluginResult provided = host->frames_.ProvideFrame(frameNumber, quality, dest);
        if (provided != kPluginOK) return provided;
        host->fetches_.push_back(
            std::make_unique<PluginHost::Fetch>(PluginHost::Fetch{frameNumber, dest, false}));
        *outCookie = host->fetches_.back().get();
        *outFrame = dest;
        return kPluginOK;
    }

    // The fetch a cookie stands for, with the call recorded; nil for a
    // cookie this host never handed out.
    static PluginHost::Fetch* RecordFetchCall(PluginHost* host, HostCall::Kind kind, void* cookie) {
        PluginHost::Fetch* fetch = nullptr;
        for (auto& f : host->fetches_)
            if (f.get() == cookie) fetch = f.get();
        HostCall call{kind};
        call.frameNumber = fetch ? fetch->frameNumber : -1;
        host->Note(call);
        return fetch;
    }

    // The host owns fetched buffers and disposes of them here.
    static HYPluginResult ReleaseFrame(HYPluginInstance instance, void* cookie) {
        PluginHost* host = HostOf(instance);
        PluginHost::Fetch* fetch = RecordFetchCall(host, HostCall::kReleaseFrame, cookie);
        if (!fetch) return kPluginBadParams;
        if (fetch->owned) DisposeGWorld(fetch->buffer);
        std::erase_if(host->fetches_, [fetch](const auto& f) { return f.get() == fetch; });
        return host->Faults().releaseFrame;
    }

    static HYPluginResult Blit(PixMapPtr source, PixMapPtr dest, const Rect* sourceRect,
                               const Rect* destRect, int16_t opacity) {
        // The block's instance is not an argument of Blit: the one host
        // driving the current request answers it.
        PluginHost* host = lgCurrentHost;
        HostCall call{HostCall::kBlit};
        call.opacity = opacity;
        if (sourceRect) call.sourceRect = *sourceRect;
        if (destRect) call.destRect = *destRect;
        if (host) host->Note(call);
        if (!source || !dest || !sourceRect || !destRect) return kPluginBadParams;
        if (host && host->Faults().blit != kPluginOK) return host->Faults().blit;
        BlendPixMaps(*source, *dest, *sourceRect, *destRect, opacity);
        return kPluginOK;
    }

    static HYPluginResult MixAudio(HYPluginInstance instance, void* cookie, int32_t) {
        PluginHost* host = HostOf(instance);
        PluginHost::Fetch* fetch = RecordFetchCall(host, HostCall::kMixAudio, cookie);
        if (!fetch) return kPluginBadParams;
        if (host->Faults().mixAudio != kPluginOK) return host->Faults().mixAudio;
        if (host->audioPassed_) host->audioPassed_(fetch->frameNumber);
        return kPluginOK;
    }

    static HYPluginResult GetFilterInfo(HYPluginInstance instance, HYPluginFilterInfo** outInfo) {
        PluginHost* host = HostOf(instance);
        host->Note({HostCall::kGetFilterInfo});
        if (!outInfo) return kPluginBadParams;
        *outInfo = nullptr;
        if (host->Faults().getFilterInfo != kPluginOK) return host->Faults().getFilterInfo;
        if (host->clip_.withoutFilterRecord) return kPluginOK;
        HYPluginFilterInfo& info = host->filterInfo_;
        std::copy(std::begin(host->clip_.sliderValues), std::end(host->clip_.sliderValues),
                  std::begin(info.sliderValues));
        info.fadeInFrames = host->clip_.fadeInFrames;
        info.fadeOutFrames = host->clip_.fadeOutFrames;
        *outInfo = &info;
        return kPluginOK;
    }

    static HYPluginResult GetMovieInfo(HYRefDigitalVideoStandard* outStandard, int16_t* outWidth,
                                       int16_t* outHeight, int32_t* outFrameCount) {
        // Like Blit, answered by the host driving the current request.
        const PluginHost* host = lgCurrentHost;
        if (!outStandard || !outWidth || !outHeight || !outFrameCount) return kPluginBadParams;
        if (!host || host->clip_.movieWidth <= 0 || host->clip_.movieHeight <= 0)
            return kPluginFailed;
        *outStandard = kRefUnknownStandard;
        *outWidth = host->clip_.movieWidth;
        *outHeight = host->clip_.movieHeight;
        *outFrameCount = host->clip_.frameCount;
        return kPluginOK;
    }

    static HYPluginResult ReleaseFilterInfo(HYPluginInstance instance, HYPluginFilterInfo*) {
        HostOf(instance)->Note({HostCall::kReleaseFilterInfo});
        return kPluginOK;
    }

    static HYPluginResult GetClipSettings(HYPluginInstance instance, void* block, int32_t size) {
        const std::vector<uint8_t>& settings = HostOf(instance)->clipSettings_;
        if (settings.empty()) return kPluginUnimplemented;
        if (!block || size != static_cast<int32_t>(settings.size())) return kPluginBadParams;
        std::copy(settings.begin(), settings.end(), static_cast<uint8_t*>(block));
        return kPluginOK;
    }

    static HYPluginResult MeasureTilt(HYPluginInstance instance, const uint8_t* argb,
                                      int32_t rowBytes, int16_t width, int16_t height,
                                      HYTiltRec* out) {
        if (!argb || !out || width <= 0 || height <= 0 || rowBytes < 4 * width)
            return kPluginBadParams;
        return HostOf(instance)->tiltMeter_(argb, rowBytes, width, height, out);
    }

    // Kept for Send to throw again once the plug-in has returned.
    static HYPluginResult Keep(std::exception_ptr thrown, HYPluginResult answer) {
        if (lgCurrentHost && !lgCurrentHost->pending_) lgCurrentHost->pending_ = thrown;
        return answer;
    }

    static thread_local PluginHost* lgCurrentHost;
};

thread_local PluginHost* HostProcs::lgCurrentHost = nullptr;

namespace {

// The plug-in's frames are C: nothing may unwind through them. A procedure
// that throws answers the plug-in with a result code instead, and the
// exception reaches the host's caller once the plug-in has returned.
template <auto cProc>
struct Guarded;

template <typename... Args, HYPluginResult (*cProc)(Args...)>
struct Guarded<cProc> {
    static HYPluginResult Call(Args... args) noexcept {
        try {
            return cProc(args...);
        } catch (const std::bad_alloc&) {
            return HostProcs::Keep(std::current_exception(), kPluginOutOfMemory);
        } catch (...) {
            return HostProcs::Keep(std::current_exception(), kPluginFailed);
        }
    }
};

}  // namespace

LoadedPlugin::LoadedPlugin(void* handle, HYPluginMainProc entry, std::string path)
    : handle_(handle), entry_(entry), libraryPath_(std::move(path)) {}

LoadedPlugin::~LoadedPlugin() { dlclose(handle_); }

std::string LoadedPlugin::LibraryPathIn(const std::string& bundleDir) {
    std::string path = bundleDir + "/Contents/Linux/" + cDefaultExecutable;
    CFURLRef folder = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const uint8_t*>(bundleDir.data()),
        static_cast<CFIndex>(bundleDir.size()), true);
    CFBundleRef bundle = CFBundleCreate(nullptr, folder);
    CFURLRef executable = CFBundleCopyExecutableURL(bundle);
    uint8_t buffer[4096];
    if (executable && CFURLGetFileSystemRepresentation(executable, true, buffer, sizeof buffer))
        path = reinterpret_cast<const char*>(buffer);
    for (CFTypeRef object : {CFTypeRef(executable), CFTypeRef(bundle), CFTypeRef(folder)})
        if (object) CFRelease(object);
    return path;
}

std::unique_ptr<LoadedPlugin> LoadedPlugin::Load(const std::string& bundleDir, std::string* error) {
    if (!IsDirectory(bundleDir)) {
        *error = "no plug-in bundle at " + bundleDir;
        return nullptr;
    }
    const std::string path = LibraryPathIn(bundleDir);
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        *error = "cannot load the plug-in library " + path + ": " + (why ? why : "unknown error");
        return nullptr;
    }
    auto entry = reinterpret_cast<HYPluginMainProc>(dlsym(handle, kHYPluginEntryName));
    if (!entry) {
        dlclose(handle);
        *error = path + " has no entry point '" + kHYPluginEntryName + "'";
        return nullptr;
    }
    return std::unique_ptr<LoadedPlugin>(new LoadedPlugin(handle, entry, path));
}

PluginHost::PluginHost(const LoadedPlugin& plugin, FrameProvider& frames)
    : plugin_(plugin), frames_(frames), block_(std::make_unique<HYPluginParams>()) {
    procs_.NewPtr = &HostProcs::NewPtrProc;
    procs_.NewPtrClear = &HostProcs::NewPtrClearProc;
    procs_.DisposePtr = &HostProcs::DisposePtrProc;
    procs_.GetFrame = &Guarded<&HostProcs::GetFrame>::Call;
    procs_.ReleaseFrame = &Guarded<&HostProcs::ReleaseFrame>::Call;
    procs_.Blit = &Guarded<&HostProcs::Blit>::Call;
    procs_.MixAudio = &Guarded<&HostProcs::MixAudio>::Call;
    procs_.GetFilterInfo = &Guarded<&HostProcs::GetFilterInfo>::Call;
    procs_.ReleaseFilterInfo = &Guarded<&HostProcs::ReleaseFilterInfo>::Call;
    procs_.GetMovieInfo = &HostProcs::GetMovieInfo;
    procs_.GetClipSettings = &Guarded<&HostProcs::GetClipSettings>::Call;
    std::memset(block_.get(), 0, sizeof(HYPluginParams));
}

void PluginHost::setTiltMeter(TiltMeter meter) {
    tiltMeter_ = std::move(meter);
    procs_.MeasureTilt = tiltMeter_ ? &Guarded<&HostProcs::MeasureTilt>::Call : nullptr;
}

PluginHost::~PluginHost() {
    if (clipOpen()) EndClip();
    for (auto& f : fetches_)
        if (f->owned) DisposeGWorld(f->buffer);
}

int PluginHost::Send(HYPluginSelector selector) {
    HYPluginParams& b = *block_;
    b.interfaceVersion = interfaceVersion_;
    b.instance = reinterpret_cast<HYPluginInstance>(this);
    b.procs = &procs_;
    b.selector = selector;
    PluginHost* previous = HostProcs::lgCurrentHost;
    HostProcs::lgCurrentHost = this;
    const int result = plugin_.Call(selector, &b);
    HostProcs::lgCurrentHost = previous;
    if (pending_) std::rethrow_exception(std::exchange(pending_, nullptr));
    return result;
}

HYPluginResult PluginHost::GetInfo(int32_t selectedFrames, HYPluginParams* described) {
    block_->getInfo2.selectedFrames = selectedFrames;
    const auto result = static_cast<HYPluginResult>(Send(kPlugGetInfo));
    if (described) *described = *block_;
    return result;
}

HYPluginResult PluginHost::BeginClip(const ClipSettings& clip) {
    clip_ = clip;
    block_->startFrame = clip.startFrame;
    block_->frameCount = clip.frameCount;
    block_->proxyOnly = clip.proxyOnly;
    return static_cast<HYPluginResult>(Send(kPlugInitialize));
}

HYPluginResult PluginHost::RenderFrame(int32_t renderFrame, GWorldPtr dest, const Rect& frameRect) {
    block_->renderFrame = renderFrame;
    block_->frame = dest;
    block_->frameRect = frameRect;
    return static_cast<HYPluginResult>(Send(kPlugDoFrame));
}

HYPluginResult PluginHost::EndClip() { return static_cast<HYPluginResult>(Send(kPlugTerminate)); }

bool PluginHost::clipOpen() const { return block_->clientData != nullptr; }

HYPluginResult PluginHost::PlaceHolder(const ClipSettings& clip, int32_t bestThumbOffset,
                                       GWorldPtr dest) {
    clip_ = clip;
    block_->startFrame = clip.startFrame;
    block_->frameCount = clip.frameCount;
    block_->proxyOnly = clip.proxyOnly;
    block_->getInfo.bestThumbOffset = bestThumbOffset;
    block_->frame = dest;
    GetPortBounds(dest, &block_->frameRect);
    return static_cast<HYPluginResult>(Send(kPlugFilePlaceHolder));
}

HYPluginResult PluginHost::CustomButton(int32_t renderFrame) {
    block_->renderFrame = renderFrame;
    return static_cast<HYPluginResult>(Send(kPlugCustomButtonClick));
}

int PluginHost::framesOutstanding() const { return static_cast<int>(fetches_.size()); }

void PluginHost::Note(const HostCall& call) {
    if (watcher_) watcher_->Called(call);
}

const HostFaults& PluginHost::Faults() const {
    static const HostFaults cNoFaults;
    return watcher_ ? watcher_->faults() : cNoFaults;
}

}  // namespace pluginhost
