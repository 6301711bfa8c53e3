// What every change in the dialog costs: one ReRenderAndBlit (render the
// preview, lay the grid over it) and the clip control's redraw that it sets
// off (the preview, framing and handles into the window's port, and the
// port onto the screen), on the offscreen platform. A drag keeps up with a
// 120 Hz pointer when this stays under 8 ms.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdlib>
#include <string>

#include "common/ProductNames.h"
#include "common/commonprocs.h"
#include "common/nibwindows.h"
#include "dialog/ConfigWorkspace.h"
#include "dialog/DialogEntry.h"
#include "dialog/sliderHandlers.h"
#include "engine/DataHandling.h"
#include "record/SettingsTable.h"
#include "tests/support/TestFrames.h"

namespace {

std::string BundleDir() {
    const char* dir = std::getenv("HZ_BUNDLE_DIR");
    return dir ? dir : HZ_DEFAULT_BUNDLE_DIR;
}

void OpenBundle() {
    static bool opened = false;
    if (opened) return;
    opened = true;
    const std::string dir = BundleDir();
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const uint8_t*>(dir.c_str()), static_cast<CFIndex>(dir.size()),
        true);
    if (CFBundleRef bundle = CFBundleCreate(nullptr, url)) CFRelease(bundle);
    CFRelease(url);
}

void ReRenderAndBlitWithRedraw(benchmark::State& state, int16_t mediaType) {
    const MediaFormatRec& format = MediaFormat(mediaType);
    OpenBundle();
    PluginDataRec config{};
    ResetConfig(&config, true);
    config.mediaType = mediaType;
    config.startRel = RelRect{0.05, 0.95, 0.05, 0.95};
    config.sliders[cTurnSlider - 1] = 5;
    config.sliders[cScaleSlider - 1] = 10;
    config.sliders[cMoveXSlider - 1] = -2;
    testframes::GWorldHolder source = testframes::MakeGWorld(format.width, format.height);
    testframes::FillPattern(source.get(), 1);
    testframes::GWorldHolder preview = testframes::MakeGWorld(format.width, format.height);

    PluginWorkspace& ws = gConfigWorkspace;
    ws.theConfig = &config;
    ws.sourceClip = source.get();
    ws.theFXClip = preview.get();
    ws.maxFrameIndex = 0;
    ws.activeRel = 1;
    RegisterDialogControls();
    WindowRef window = OpenNibWindowFromCFBundle(cMyBundleID, cMyPluginName, format.windowName);
    SetupDialog(window, &config);
    ShowWindow(window);
    QApplication::processEvents();

    for (auto _ : state) ReRenderAndBlit();

    DisposeWindow(window);
    UnregisterDialogControls();
}

void NTSC(benchmark::State& state) { ReRenderAndBlitWithRedraw(state, kMediaNTSC); }
void HD(benchmark::State& state) { ReRenderAndBlitWithRedraw(state, kMediaHD); }

BENCHMARK(NTSC)->Name("ReRenderAndBlit/720x480")->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(HD)->Name("ReRenderAndBlit/960x540")->Unit(benchmark::kMillisecond)->Repetitions(5);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
