#include "tests/dialog/DialogTestKit.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "common/ProductNames.h"
#include "dialog/DialogEntry.h"
#include "engine/DataHandling.h"
#include "engine/EngineEntry.h"

namespace dialogtest {

DialogTest* DialogTest::current_ = nullptr;

namespace {

int lgArgc = 1;
char lgName[] = "hz_test_dialog";
char* lgArgv[] = {lgName, nullptr};

std::string BuiltBundle() {
    const char* dir = std::getenv("HZ_BUNDLE_DIR");
    return dir ? dir : "";
}

}  // namespace

void DialogTest::SetUp() {
    current_ = this;
    app = std::make_unique<QApplication>(lgArgc, lgArgv);
    SetAlertPresenter(RecordAlert);
    ResetConfig(&config, true);
    source = testframes::MakeGWorld(720, 480);
    testframes::FillPattern(source.get(), 0);
}

void DialogTest::TearDown() {
    SetAlertPresenter(nullptr);
    app.reset();
    current_ = nullptr;
}

void DialogTest::UseBundle(const std::string& dir) {
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        nullptr, reinterpret_cast<const uint8_t*>(dir.c_str()), static_cast<CFIndex>(dir.size()),
        true);
    ASSERT_TRUE(url);
    CFBundleRef bundle = CFBundleCreate(nullptr, url);
    CFRelease(url);
    ASSERT_TRUE(bundle) << dir;
    // Loaded bundles stay loaded; the reference the creation gave is ours.
    CFRelease(bundle);
}

std::string DialogTest::CopyOfBundle(const std::string& skip) {
    namespace fs = std::filesystem;
    const fs::path from = fs::path(BuiltBundle()) / "Contents";
    const fs::path to = fs::path(prefs.path()) / "Copy.bundle" / "Contents";
    fs::create_directories(to);
    fs::copy(from / "Info.plist", to / "Info.plist");
    fs::copy(from / "Resources", to / "Resources", fs::copy_options::recursive);
    fs::remove(to / "Resources" / skip);
    return (fs::path(prefs.path()) / "Copy.bundle").string();
}

OSErr DialogTest::Run(std::vector<Step> steps, int32_t frameCount, int32_t firstFrame) {
    CFStringRef bundleID = CFStringCreateWithCString(nullptr, cMyBundleID, kCFStringEncodingUTF8);
    const bool known = CFBundleGetBundleWithIdentifier(bundleID);
    CFRelease(bundleID);
    if (!known) UseBundle(BuiltBundle());
    OSErr result = noErr;
    Drive(std::move(steps), [&] {
        result = ConfigurePlugIn(&config, source.get(), nullptr, firstFrame, frameCount, 0,
                                 FetchFrame, nullptr);
    });
    return result;
}

void DialogTest::Drive(std::vector<Step> steps, const std::function<void()>& open) {
    // One step each time the loop turns with a window up; the timer does not
    // fire again while a step waits in a nested window.
    QTimer driver;
    size_t next = 0;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (!QApplication::activeModalWidget() || next >= steps.size()) return;
        steps[next++]();
    });
    driver.start(1);
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        ADD_FAILURE() << "the dialog was still open after its last step";
        std::_Exit(1);
    });
    watchdog.start(10000);
    open();
}

void DialogTest::AnswerNextModal(std::function<void(QWidget*)> answer) {
    QWidget* outer = QApplication::activeModalWidget();
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, outer, answer] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == outer) return;
        poll->stop();
        poll->deleteLater();
        answer(w);
    });
    poll->start(1);
}

QWidget* DialogTest::Window() { return QApplication::activeModalWidget(); }

QWidget* DialogTest::Control(const char (&signature)[5], int number, QWidget* window) {
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->property("signature").toString() == signature &&
            w->property("controlID").toInt() == number)
            return w;
    ADD_FAILURE() << "no control " << signature << " " << number;
    return nullptr;
}

QWidget* DialogTest::Commanding(const char (&command)[5], QWidget* window) {
    for (QWidget* w : window->findChildren<QWidget*>())
        if (w->property("command").toString() == command) return w;
    ADD_FAILURE() << "nothing sends '" << command << "'";
    return nullptr;
}

void DialogTest::Click(const char (&command)[5], QWidget* window) {
    QTest::mouseClick(Commanding(command, window), Qt::LeftButton);
}

QString DialogTest::Text(const char (&signature)[5], int number) {
    auto* label = qobject_cast<QLabel*>(Control(signature, number));
    return label ? label->text() : QString();
}

QImage DialogTest::ClipOnScreen() { return Control("Clip", 1)->grab().toImage(); }

int16_t DialogTest::FetchFrame(GWorldPtr theGW, HYPluginParams*, int32_t frameIndex, int16_t) {
    current_->fetched.push_back(frameIndex);
    testframes::FillPattern(theGW, static_cast<uint32_t>(frameIndex));
    return 0;
}

DialogItemIndex DialogTest::RecordAlert(const AlertDescription* alert) {
    current_->alerts.push_back({alert->type, alert->title, alert->explanation});
    return kAlertStdAlertOKButton;
}

}  // namespace dialogtest
