// hzfix configure with the real dialog on the offscreen platform, driven as
// a person would: step through the clip, turn the picture, press OK.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "persistence/prefsloader.h"
#include "record/CornerCover.h"
#include "record/SettingsTable.h"
#include "tests/apps/hzfix/HzfixTestKit.h"
#include "tests/apps/level/TiltScenes.h"

namespace hzfixtest {
namespace {

int GreyOf(int frame) { return 20 + 5 * frame; }

// The control of the open dialog window with this property value.
template <typename Widget>
Widget* Control(const char* property, const QString& value, int number = 1) {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        for (Widget* w : window->findChildren<Widget*>()) {
            const QVariant id = w->property("controlID");
            if (w->property(property).toString() == value &&
                (!id.isValid() || id.toInt() == number))
                return w;
        }
    }
    return nullptr;
}

// A fresh preferences folder, and an application on the offscreen platform
// for the dialog to run in, as the command's own process would have.
class HzfixConfigureDialog : public ::testing::Test {
  protected:
    struct Offscreen {
        explicit Offscreen(const TempDir& dir) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
            setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
        }
    };
    TempDir dir;
    Offscreen offscreen{dir};
    int argc = 1;
    char name[5] = "test";
    char* argv[2] = {name, nullptr};
    QApplication app{argc, argv};
};

TEST_F(HzfixConfigureDialog, StepsThroughTheClipAndOkSavesTheTurn) {
    ClipSpec recipe;
    recipe.paint = [](int frame, int, int) {
        return Rgb{GreyOf(frame), GreyOf(frame), GreyOf(frame)};
    };
    MakeClip(dir / "in.mp4", recipe);

    std::string position;
    int shownGrey = -1;
    bool pressed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QPushButton* ok = Control<QPushButton>("command", "ok  ");
        QPushButton* next = Control<QPushButton>("command", "Adva");
        QSlider* turn = Control<QSlider>("signature", "Sldr", 1);
        if (!ok || !next || !turn || pressed) return;
        pressed = true;
        for (int i = 0; i < 3; ++i) QTest::mouseClick(next, Qt::LeftButton);
        position = Control<QLabel>("signature", "ClpM")->text().toStdString();
        QWidget* clip = Control<QWidget>("signature", "Clip");
        shownGrey = qRed(clip->grab().toImage().pixel(350, 230));
        turn->setFocus();
        for (int i = 0; i < 5; ++i) QTest::keyClick(turn, Qt::Key_Right);
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    poll.start(10);

    std::atomic<bool> interrupt{false};
    hzfix::Context context;
    context.bundleDir = BundleDir();
    context.interrupt = &interrupt;
    EXPECT_EQ(hzfix::RunConfigure(context, {dir / "in.mp4", "--at", "0.4"}), 0);
    ASSERT_TRUE(pressed);
    // Opened on frame 10 of 40; positions run over the whole clip.
    EXPECT_EQ(position, "13/39");
    EXPECT_NEAR(shownGrey, GreyOf(13), 4);
    PluginDataRec saved{};
    ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk);
    EXPECT_EQ(saved.sliders[cTurnSlider - 1], 5);
}

// A clip of one scene at the size of the HD window's frame, which the
// dialog shows it in; scaled, the scene's unsmoothed edges would turn into
// stairs of level lines no camera makes.
constexpr int kSceneWidth = 960, kSceneHeight = 540;

void MakeSceneClip(const std::string& path, tiltscenes::SceneKind kind, double tilt) {
    ClipSpec recipe;
    recipe.width = kSceneWidth;
    recipe.height = kSceneHeight;
    recipe.frames = 10;
    recipe.audio = false;
    recipe.paint =
        PaintPicture(tiltscenes::DrawScene(kind, kSceneWidth, kSceneHeight, tilt), kSceneWidth);
    MakeClip(path, recipe);
}

// What Level shows after one press on the frame the dialog opened on, and
// the text of the notice it raised, if any (answered with its button).
struct LevelPress {
    int turn = -1, scale = -1;
    QString turnLegend, scaleLegend, notice;
    bool enabled = false, previewChanged = false;
};

LevelPress PressLevel(const std::string& clip, const char* closeWith) {
    LevelPress seen;
    // A timer never fires inside its own handler, so the notice, which runs
    // modally inside the press, is answered by a timer of its own.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
                seen.notice = box->text() + "\n" + box->informativeText();
                box->buttons().front()->click();
            }
    });
    answer.start(10);
    bool pressed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QPushButton* level = Control<QPushButton>("command", "Levl");
        if (!level || pressed) return;
        pressed = true;
        seen.enabled = level->isEnabled();
        QWidget* preview = Control<QWidget>("signature", "Clip");
        const QImage before = preview->grab().toImage();
        QTest::mouseClick(level, Qt::LeftButton);
        seen.previewChanged = preview->grab().toImage() != before;
        seen.turn = Control<QSlider>("signature", "Sldr", cTurnSlider)->value();
        seen.scale = Control<QSlider>("signature", "Sldr", cScaleSlider)->value();
        seen.turnLegend = Control<QLabel>("signature", "Lgnd", cTurnSlider)->text();
        seen.scaleLegend = Control<QLabel>("signature", "Lgnd", cScaleSlider)->text();
        QTest::mouseClick(Control<QPushButton>("command", closeWith), Qt::LeftButton);
    });
    poll.start(10);
    std::atomic<bool> interrupt{false};
    hzfix::Context context;
    context.bundleDir = BundleDir();
    context.interrupt = &interrupt;
    hzfix::RunConfigure(context, {clip});
    EXPECT_TRUE(pressed);
    return seen;
}

TEST_F(HzfixConfigureDialog, LevelTurnsTheShownFrameLevelAndHidesTheCornersAndOkSavesBoth) {
    constexpr double kTilt = 2.3;  // clockwise: a positive turn levels it
    MakeSceneClip(dir / "sea.mp4", tiltscenes::SceneKind::cSea, kTilt);
    const LevelPress seen = PressLevel(dir / "sea.mp4", "ok  ");

    // The turn and enlargement that level a tilt measured within 0.15° of
    // the true one, found together on the HD window's frame.
    std::set<std::pair<int, int>> near;
    for (double t = kTilt - 0.15; t <= kTilt + 0.15; t += 0.01) {
        PluginDataRec settings = cDefaultSettings;
        LevelSettings(&settings, kSceneWidth, kSceneHeight, t, true);
        near.insert({settings.sliders[cTurnSlider - 1], settings.sliders[cScaleSlider - 1]});
    }
    EXPECT_TRUE(seen.enabled);
    EXPECT_TRUE(near.count({seen.turn, seen.scale})) << seen.turn << " " << seen.scale;
    EXPECT_GT(seen.scale, 0);
    EXPECT_TRUE(seen.notice.isEmpty()) << seen.notice.toStdString();
    EXPECT_TRUE(seen.previewChanged);
    EXPECT_TRUE(seen.turnLegend.contains(QString::number(seen.turn)))
        << seen.turnLegend.toStdString();
    EXPECT_EQ(seen.scaleLegend, QString::number(seen.scale) + "%");
    PluginDataRec saved{};
    ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk);
    EXPECT_EQ(saved.sliders[cTurnSlider - 1], seen.turn);
    EXPECT_EQ(saved.sliders[cScaleSlider - 1], seen.scale);
}

TEST_F(HzfixConfigureDialog, LevelOnAFrameWithoutAHorizonSaysSoAndChangesNothing) {
    MakeSceneClip(dir / "blobs.mp4", tiltscenes::SceneKind::cBlobs, 0);
    const LevelPress seen = PressLevel(dir / "blobs.mp4", "ok  ");
    EXPECT_TRUE(seen.notice.contains("No reliable horizon")) << seen.notice.toStdString();
    EXPECT_EQ(seen.turn, 0);
    EXPECT_EQ(seen.scale, 0);
    EXPECT_FALSE(seen.previewChanged);
    PluginDataRec saved{};
    ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk);
    EXPECT_EQ(saved.sliders[cTurnSlider - 1], 0);
    EXPECT_EQ(saved.sliders[cScaleSlider - 1], 0);
}

// The settings table is the one description of the limits: the dialog's
// sliders and menu and the command line's refusals are compared with it,
// so a limit changed there and not followed anywhere fails here.
TEST_F(HzfixConfigureDialog, TheDialogAndTheCommandLineTakeTheTablesLimits) {
    MakeClip(dir / "in.mp4", ClipSpec{});
    struct Range {
        int minimum, maximum;
        bool operator==(const Range&) const = default;
    };
    std::map<std::string, Range> shown;
    QStringList menu;
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QPushButton* cancel = Control<QPushButton>("command", "not!");
        if (!cancel || seen) return;
        seen = true;
        for (const SettingDescRec& d : cSettingDescs) {
            if (d.place != SettingPlace::cSliders || d.kind != SettingKind::cSlider) continue;
            QSlider* slider = Control<QSlider>("signature", "Sldr", d.index);
            ASSERT_TRUE(slider) << d.name;
            EXPECT_TRUE(slider->isVisibleTo(slider->window())) << d.name;
            shown[d.name] = {slider->minimum(), slider->maximum()};
        }
        QComboBox* formats = Control<QComboBox>("signature", "Medi");
        for (int i = 0; i < formats->count(); ++i) menu << formats->itemText(i);
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    poll.start(10);
    std::atomic<bool> interrupt{false};
    hzfix::Context context;
    context.bundleDir = BundleDir();
    context.interrupt = &interrupt;
    hzfix::RunConfigure(context, {dir / "in.mp4"});
    ASSERT_TRUE(seen);

    QStringList formats;
    for (const MediaFormatRec& f : cMediaFormats)
        formats << QString("%1 (%2 \u00D7 %3)").arg(f.label).arg(f.width).arg(f.height);
    EXPECT_EQ(menu, formats);
    const std::vector<std::string> env = {"XDG_CONFIG_HOME=" + dir / "config"};
    for (const SettingDescRec& d : cSettingDescs) {
        if (d.kind != SettingKind::cSlider) continue;
        EXPECT_EQ(shown[d.name], (Range{d.minimum, d.maximum})) << d.name;
        const std::string option = std::string("--") + d.name;
        const std::string limits = std::to_string(d.minimum) + " to " + std::to_string(d.maximum);
        const std::string range = std::string("(") + limits + ")";
        for (int32_t beyond : {d.minimum - 1, d.maximum + 1}) {
            const Outcome r = Hzfix(
                {"--plugin", BundleDir(), "settings", "set", option, std::to_string(beyond)}, env);
            EXPECT_EQ(r.status, 1) << option << " " << beyond;
            EXPECT_NE(
                r.err.find(option + ": " + std::to_string(beyond) + " is out of range " + range),
                std::string::npos)
                << r.err;
        }
        for (int32_t end : {d.minimum, d.maximum})
            EXPECT_EQ(
                Hzfix({"--plugin", BundleDir(), "settings", "set", option, std::to_string(end)},
                      env)
                    .status,
                0)
                << option << " " << end;
        const Outcome help = Hzfix({"settings", "--help"}, env);
        EXPECT_NE(help.out.find(limits), std::string::npos) << d.name;
    }
}

std::atomic<bool>* lgInterrupt = nullptr;
void OnSignal(int) { lgInterrupt->store(true); }

// As hzfix's own handler would, the test's only sets a flag; the dialog
// must still close, keep nothing of what was edited, and the command must
// end as interrupted.
TEST_F(HzfixConfigureDialog, AnEndSignalClosesTheDialogAndSavesNothing) {
    MakeClip(dir / "in.mp4", ClipSpec{});
    for (int sig : {SIGTERM, SIGINT}) {
        bool signalled = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            QSlider* turn = Control<QSlider>("signature", "Sldr", 1);
            if (!turn || signalled) return;
            signalled = true;
            turn->setFocus();
            QTest::keyClick(turn, Qt::Key_Right);
            raise(sig);
        });
        poll.start(10);
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            ADD_FAILURE() << "the dialog stayed open after the signal";
            std::_Exit(1);
        });
        watchdog.start(10000);

        std::atomic<bool> interrupt{false};
        lgInterrupt = &interrupt;
        struct sigaction action {
        }, previous{};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(sig, &action, &previous);
        hzfix::Context context;
        context.bundleDir = BundleDir();
        context.interrupt = &interrupt;
        EXPECT_THROW(hzfix::RunConfigure(context, {dir / "in.mp4"}), hzfix::Interrupted) << sig;
        sigaction(sig, &previous, nullptr);
        EXPECT_TRUE(signalled) << sig;
        PluginDataRec saved{};
        ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk) << sig;
        EXPECT_EQ(saved.sliders[cTurnSlider - 1], 0) << sig;
    }
}

}  // namespace
}  // namespace hzfixtest
