// dialogshots BUNDLE OUTDIR
//
// Pictures of the configuration dialog's three format windows and of the
// About window, taken on Qt's offscreen platform with the sample scene as
// the clip: configNTSC.png, configPAL.png, configHD.png, about.png.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <cstdio>
#include <string>

#include "apps/level/FrameTilt.h"
#include "apps/samplegen/Scene.h"
#include "common/commonprocs.h"
#include "dialog/ConfigureEntry.h"
#include "dialog/DialogEntry.h"
#include "engine/DataHandling.h"
#include "engine/EngineEntry.h"
#include "record/SettingsTable.h"

namespace {

constexpr double cSceneTilt = 4.0;  // levelled by ten turn steps
QString lgOutDir;
bool lgSaved = true;

void DrawScene(GWorldPtr gw, int32_t frameIndex) {
    Rect r;
    GetPortBounds(gw, &r);
    const samplegen::Scene scene(r.right, r.bottom, cSceneTilt);
    scene.Draw(frameIndex / 25.0, reinterpret_cast<uint8_t*>(gw->pixMap.baseAddr),
               gw->pixMap.rowBytes);
}

int16_t SceneFrame(GWorldPtr theGW, HYPluginParams*, int32_t frameIndex, int16_t) {
    DrawScene(theGW, frameIndex);
    return 0;
}

// As hzfix configure measures it, so the windows show Level as a host
// that measures tilts offers it.
bool MeasureScene(GWorldPtr theGW, HYPluginParams*, MeasuredTiltRec* tilt) {
    static level::TiltMeter meter;
    Rect r;
    GetPortBounds(theGW, &r);
    const level::FrameTiltRec found =
        meter.MeasureArgb(reinterpret_cast<const uint8_t*>(theGW->pixMap.baseAddr),
                          theGW->pixMap.rowBytes, r.right, r.bottom);
    *tilt = {found.reliable, found.tiltDegrees, found.confidence};
    return true;
}

void Save(QWidget* window, const QString& name) {
    const QString path = lgOutDir + "/" + name + ".png";
    if (!window->grab().save(path)) {
        std::fprintf(stderr, "dialogshots: cannot write %s\n", qPrintable(path));
        lgSaved = false;
    }
}

QAbstractButton* Sending(QWidget* window, const char* command) {
    for (auto* b : window->findChildren<QAbstractButton*>())
        if (b->property("command").toString() == command) return b;
    return nullptr;
}

// Once the window is up: its picture, the About window's if asked, then Cancel.
void PictureOf(const QString& name, bool withAbout) {
    auto* step = new QTimer;
    QObject::connect(step, &QTimer::timeout, [=] {
        QWidget* window = QApplication::activeModalWidget();
        if (!window) return;
        step->stop();
        step->deleteLater();
        Save(window, name);
        if (withAbout) {
            QTimer::singleShot(0, [window] {
                QWidget* about = QApplication::activeModalWidget();
                if (about && about != window) {
                    Save(about, "about");
                    Sending(about, "ok  ")->click();
                }
            });
            Sending(window, "Info")->click();
        }
        Sending(window, "not!")->click();
    });
    step->start(1);
}

bool OpenBundle(const std::string& dir) {
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const uint8_t*>(dir.c_str()), static_cast<CFIndex>(dir.size()),
        true);
    CFBundleRef bundle = url ? CFBundleCreate(nullptr, url) : nullptr;
    if (url) CFRelease(url);
    // Loaded bundles stay loaded; only the reference the creation gave is ours.
    if (bundle) CFRelease(bundle);
    return bundle != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: dialogshots BUNDLE OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (!OpenBundle(argv[1])) {
        std::fprintf(stderr, "dialogshots: no bundle at %s\n", argv[1]);
        return 1;
    }
    lgOutDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(lgOutDir);

    for (const MediaFormatRec& f : cMediaFormats) {
        PluginDataRec config{};
        ResetConfig(&config, true);
        config.mediaType = f.mediaType;
        config.startRel = RelRect{0.08, 0.92, 0.1, 0.9};
        config.sliders[cTurnSlider - 1] = 10;
        config.sliders[cScaleSlider - 1] = 6;
        GWorldPtr frame = AllocateGWorld(f.width, f.height);
        DrawScene(frame, 0);
        PictureOf(f.windowName, f.mediaType == kMediaNTSC);
        ConfigurePlugIn(&config, frame, nullptr, 0, 250, 0, SceneFrame, MeasureScene);
        DisposeGWorld(frame);
    }
    return lgSaved ? 0 : 1;
}
