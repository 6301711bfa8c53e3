// hzfix configure with the real dialog on the offscreen platform, driven as
// a person would: step through the clip, turn the picture, press OK.
#include <gtest/gtest.h>
#include <signal.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <cstdlib>
#include <functional>

#include "apps/hzfix/Commands.h"
#include "apps/hzfix/Errors.h"
#include "persistence/prefsloader.h"
#include "tests/apps/hzfix/HzfixTestKit.h"

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

TEST(HzfixConfigureDialog, StepsThroughTheClipAndOkSavesTheTurn) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TempDir dir;
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    ClipSpec recipe;
    recipe.paint = [](int frame, int, int) {
        return Rgb{GreyOf(frame), GreyOf(frame), GreyOf(frame)};
    };
    MakeClip(dir / "in.mp4", recipe);

    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
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

std::atomic<bool>* lgInterrupt = nullptr;
void OnSignal(int) { lgInterrupt->store(true); }

// As hzfix's own handler would, the test's only sets a flag; the dialog
// must still close, keep nothing of what was edited, and the command must
// end as interrupted.
TEST(HzfixConfigureDialog, AnEndSignalClosesTheDialogAndSavesNothing) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    TempDir dir;
    setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
    MakeClip(dir / "in.mp4", ClipSpec{});

    int argc = 1;
    char name[] = "test";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
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
