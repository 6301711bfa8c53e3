// The alerts as a person meets them on the offscreen platform: a message box
// to read, and a button to press or Escape.
#include "platform/alertsqt/AlertsQt.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "common/commonprocs.h"

namespace {

struct Shown {
    QString windowTitle, text, explanation;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    bool modal = false;
};

// Waits for the next alert, records it and lets `act` answer it.
void AnswerNextAlert(Shown* shown, std::function<void(QMessageBox*)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        shown->windowTitle = box->windowTitle();
        shown->text = box->text();
        shown->explanation = box->informativeText();
        shown->icon = box->icon();
        for (QAbstractButton* b : box->buttons()) shown->buttons << b->text();
        shown->buttons.sort();
        shown->modal = box->isModal();
        act(box);
    });
    poll->start(5);
}

void Press(const QString& label, QMessageBox* box) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == label) QTest::mouseClick(b, Qt::LeftButton);
}

class AlertsInQt : public ::testing::Test {
  protected:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        InstallQtAlertPresenter();
    }
    void TearDown() override { SetAlertPresenter(nullptr); }
    int argc = 1;
    char name[8] = "alerts";
    char* argv[2] = {name, nullptr};
};

TEST_F(AlertsInQt, ANoticeIsACautionWithOneLowerCaseOk) {
    QApplication app(argc, argv);
    Shown shown;
    AnswerNextAlert(&shown, [](QMessageBox* box) { Press("ok", box); });
    Notify("Cannot locate manual in bundle");
    EXPECT_EQ(shown.icon, QMessageBox::Warning);
    EXPECT_EQ(shown.text, "Internal Notification:");
    EXPECT_EQ(shown.windowTitle, "Internal Notification:");
    EXPECT_EQ(shown.explanation, "Cannot locate manual in bundle");
    EXPECT_EQ(shown.buttons, QStringList{"ok"});
    EXPECT_TRUE(shown.modal);
}

TEST_F(AlertsInQt, AWarningAnswersWithTheButtonPressed) {
    QApplication app(argc, argv);
    struct Case {
        std::function<void(QMessageBox*)> act;
        int16_t answer;
    };
    const Case cases[] = {
        {[](QMessageBox* box) { Press("Go", box); }, kAlertStdAlertOKButton},
        {[](QMessageBox* box) { Press("Stop", box); }, kAlertStdAlertCancelButton},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); },
         kAlertStdAlertCancelButton},
        {[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, kAlertStdAlertOKButton},
    };
    for (const Case& c : cases) {
        Shown shown;
        AnswerNextAlert(&shown, c.act);
        EXPECT_EQ(StandardWarning("Title", "Text", "Go", "Stop"), c.answer);
        EXPECT_EQ(shown.buttons, (QStringList{"Go", "Stop"}));
    }
}

TEST_F(AlertsInQt, AStopAlertHasTheSystemsOkButton) {
    QApplication app(argc, argv);
    CFStringRef title =
        CFStringCreateWithCString(nullptr, "Assertion Failure", kCFStringEncodingUTF8);
    CFStringRef text = CFStringCreateWithCString(nullptr, "Assertion failed in: Nil theConfig",
                                                 kCFStringEncodingUTF8);
    DialogRef alert = nullptr;
    ASSERT_EQ(CreateStandardAlert(kAlertStopAlert, title, text, nullptr, &alert), noErr);
    Shown shown;
    AnswerNextAlert(&shown, [](QMessageBox* box) { Press("OK", box); });
    DialogItemIndex hit = 0;
    EXPECT_EQ(RunStandardAlert(alert, nullptr, &hit), noErr);
    EXPECT_EQ(hit, kAlertStdAlertOKButton);
    EXPECT_EQ(shown.icon, QMessageBox::Critical);
    EXPECT_EQ(shown.text, "Assertion Failure");
    EXPECT_EQ(shown.explanation, "Assertion failed in: Nil theConfig");
    EXPECT_EQ(shown.buttons, QStringList{"OK"});
    CFRelease(title);
    CFRelease(text);
}

TEST_F(AlertsInQt, WithoutAnApplicationTheTextFormAnswers) {
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(StandardWarning("Title", "Text", "Go", "Stop"), kAlertStdAlertOKButton);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[caution] Title\nText\n");
}

}  // namespace
