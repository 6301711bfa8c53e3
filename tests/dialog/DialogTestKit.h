// The configuration dialog on the offscreen platform, driven as a person
// would: the test queues steps, opens the dialog as the configuration
// entry does, and each step runs once the event loop turns with a window
// up. Frames come from the hooks: frame n is the test pattern seeded with n.
#ifndef HZ_TESTS_DIALOG_DIALOGTESTKIT_H
#define HZ_TESTS_DIALOG_DIALOGTESTKIT_H

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialog/ConfigureEntry.h"
#include "platform/alerts/Alerts.h"
#include "tests/platform/files/ScopedTempFolder.h"
#include "tests/support/TestFrames.h"

namespace dialogtest {

struct AlertSeen {
    AlertType type;
    std::string title;
    std::string explanation;
};

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the bundle at dir as the plug-in's own (the built one unless a
    // test made another).
    static void UseBundle(const std::string& dir);
    // A copy of the built bundle's identity and resources, without `skip`.
    std::string CopyOfBundle(const std::string& skip);

    using Step = std::function<void()>;
    // Runs the dialog on `config` with `source` as the first frame of a clip
    // of frameCount frames starting at firstFrame, for a host that measures
    // no tilts; the steps must end it.
    OSErr Run(std::vector<Step> steps, int32_t frameCount = 100, int32_t firstFrame = 0);
    // Calls open, which opens the dialog some other way, with the steps queued.
    static void Drive(std::vector<Step> steps, const std::function<void()>& open);
    // Answers the next modal window (a colour dialog, the About window)
    // once it is up; call just before the click that opens it.
    static void AnswerNextModal(std::function<void(QWidget*)> answer);

    static QWidget* Window();
    // The widget of control (signature, number), or of the control sending `command`.
    static QWidget* Control(const char (&signature)[5], int number, QWidget* window = Window());
    static QWidget* Commanding(const char (&command)[5], QWidget* window = Window());
    static void Click(const char (&command)[5], QWidget* window = Window());
    static QString Text(const char (&signature)[5], int number);

    // The clip control's pixels as shown on screen, in its own coordinates.
    static QImage ClipOnScreen();

    std::vector<int32_t> fetched;  // frame numbers the dialog asked the host for
    std::vector<AlertSeen> alerts;
    ScopedTempFolder prefs;
    PluginDataRec config{};
    testframes::GWorldHolder source;
    std::unique_ptr<QApplication> app;

  private:
    static DialogTest* current_;
    static int16_t FetchFrame(GWorldPtr theGW, HYPluginParams*, int32_t frameIndex, int16_t);
    static DialogItemIndex RecordAlert(const AlertDescription* alert);
};

}  // namespace dialogtest

#endif
