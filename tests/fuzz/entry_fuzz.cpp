// The plug-in's entry point driven through a sound host with any sequence
// of requests, block fields and host failures: allocations that run out,
// procedures that fail or throw, frames of the wrong size. Whatever comes,
// the plug-in answers and the process goes on; memory errors, undefined
// behaviour, leaks and exits are findings.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "apps/pluginhost/PluginHost.h"
#include "tests/support/HostRecorder.h"
#include "tests/support/TestFrames.h"

namespace {

constexpr int cMaxSteps = 24;
constexpr int cMaxSide = 48;
// What PluginHost puts in every block unless told otherwise.
constexpr int16_t cHostVersion = 5;

const HYPluginResult cResults[] = {kPluginOK,          kPluginCancel, kPluginBadParams,
                                   kPluginOutOfMemory, kPluginFailed, kPluginCantGetNeededFrame};

// Frames are patterns, unless told to fail or throw.
class ScriptedFrames : public pluginhost::FrameProvider {
  public:
    HYPluginResult answer = kPluginOK;
    int throwing = 0;  // 1: runtime_error, 2: bad_alloc

    HYPluginResult ProvideFrame(int32_t frameNumber, HYRefDVQuality, GWorldPtr out) override {
        if (throwing == 1) throw std::runtime_error("no such frame");
        if (throwing == 2) throw std::bad_alloc();
        if (answer != kPluginOK) return answer;
        testframes::FillPattern(out, static_cast<uint32_t>(frameNumber));
        return kPluginOK;
    }
};

std::unique_ptr<pluginhost::LoadedPlugin> lgPlugin;
std::string lgFolder;

HYPluginResult AnyResult(FuzzedDataProvider& in) { return in.PickValueInArray(cResults); }

pluginhost::ClipSettings AnyClip(FuzzedDataProvider& in) {
    pluginhost::ClipSettings clip;
    clip.startFrame = in.ConsumeIntegral<int32_t>();
    clip.frameCount = in.ConsumeIntegral<int32_t>();
    clip.fadeInFrames = in.ConsumeIntegral<int32_t>();
    clip.fadeOutFrames = in.ConsumeIntegral<int32_t>();
    for (float& v : clip.sliderValues) v = in.ConsumeFloatingPoint<float>();
    clip.proxyOnly = in.ConsumeBool();
    clip.withoutFilterRecord = in.ConsumeBool();
    return clip;
}

void SetFaults(FuzzedDataProvider& in, pluginhost::HostFaults* f, ScriptedFrames* frames) {
    f->getFrame = AnyResult(in);
    f->releaseFrame = AnyResult(in);
    f->blit = AnyResult(in);
    f->mixAudio = AnyResult(in);
    f->getFilterInfo = AnyResult(in);
    f->getFrameWithoutBuffer = in.ConsumeBool();
    f->frameWidth = in.ConsumeIntegralInRange<int16_t>(0, cMaxSide);
    f->frameHeight = in.ConsumeIntegralInRange<int16_t>(0, cMaxSide);
    f->getFrameIntoDestination = in.ConsumeBool();
    f->allocationsLeft = in.ConsumeIntegralInRange(-1, 12);
    frames->answer = AnyResult(in);
    frames->throwing = in.ConsumeIntegralInRange(0, 2);
}

// Inside the destination, in any order: the block never points past it.
Rect AnyRectIn(FuzzedDataProvider& in, int width, int height) {
    return Rect{in.ConsumeIntegralInRange<int16_t>(0, height),
                in.ConsumeIntegralInRange<int16_t>(0, width),
                in.ConsumeIntegralInRange<int16_t>(0, height),
                in.ConsumeIntegralInRange<int16_t>(0, width)};
}

void Step(FuzzedDataProvider& in, pluginhost::PluginHost& host, testhost::HostRecorder& recorder,
          ScriptedFrames& frames, GWorldPtr dest, int width, int height) {
    switch (in.ConsumeIntegralInRange(0, 8)) {
        case 0:
            host.GetInfo(in.ConsumeIntegral<int32_t>(), nullptr);
            break;
        case 1:
            host.BeginClip(AnyClip(in));
            break;
        case 2:
            host.RenderFrame(in.ConsumeIntegral<int32_t>(), dest, AnyRectIn(in, width, height));
            break;
        case 3:
            host.EndClip();
            break;
        case 4:
            host.PlaceHolder(AnyClip(in), in.ConsumeIntegral<int32_t>(), dest);
            break;
        case 5: {
            // The custom button opens the configuration dialog: not for a fuzzer.
            const auto selector = static_cast<HYPluginSelector>(in.ConsumeIntegral<uint8_t>());
            if (selector != kPlugCustomButtonClick) host.Send(selector);
            break;
        }
        case 6:
            SetFaults(in, &recorder.faults(), &frames);
            break;
        case 7:
            host.setInterfaceVersion(in.ConsumeIntegral<int16_t>());
            break;
        default: {
            HYPluginParams& block = host.block();
            block.startFrame = in.ConsumeIntegral<int32_t>();
            block.frameCount = in.ConsumeIntegral<int32_t>();
            block.renderFrame = in.ConsumeIntegral<int32_t>();
            block.proxyOnly = in.ConsumeBool();
            block.frame = dest;
            block.frameRect = AnyRectIn(in, width, height);
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = std::filesystem::temp_directory_path() / "hz-entry-fuzz-XXXXXX";
    lgFolder = mkdtemp(pattern.data());
    setenv("XDG_CONFIG_HOME", lgFolder.c_str(), 1);
    std::string error;
    lgPlugin = pluginhost::LoadedPlugin::Load(HZ_FUZZ_BUNDLE_DIR, &error);
    if (!lgPlugin) {
        std::fprintf(stderr, "%s\n", error.c_str());
        std::abort();
    }
    std::atexit([] {
        lgPlugin.reset();
        std::filesystem::remove_all(lgFolder);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int width = in.ConsumeIntegralInRange(1, cMaxSide);
    const int height = in.ConsumeIntegralInRange(1, cMaxSide);
    auto dest = testframes::MakeGWorld(width, height);
    ScriptedFrames frames;
    {
        testhost::HostRecorder recorder;  // first: the host's end still calls it
        pluginhost::PluginHost host(*lgPlugin, frames);
        host.setWatcher(&recorder);
        for (int step = 0; step < cMaxSteps && in.remaining_bytes() > 0; ++step) {
            try {
                Step(in, host, recorder, frames, dest.get(), width, height);
            } catch (const std::exception&) {
                // What a procedure threw, thrown again once the plug-in returned.
            }
        }
        // The clip still open is ended by the host as a sound host ends it.
        recorder.faults() = pluginhost::HostFaults();
        host.setInterfaceVersion(cHostVersion);
        frames.answer = kPluginOK;
        frames.throwing = 0;
    }
    return 0;
}
