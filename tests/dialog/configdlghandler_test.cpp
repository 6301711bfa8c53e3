// The dialog's commands, sliders, format switch, colour box, About window
// and help, driven through the window as a person would.
#include <signal.h>

#include <QAbstractSlider>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QStyleOptionSlider>
#include <QTest>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "common/ProductNames.h"
#include "dialog/sliderHandlers.h"
#include "dialog/usermanual.h"
#include "engine/DataHandling.h"
#include "engine/relrects.h"
#include "persistence/prefsloader.h"
#include "platform/hitoolbox/ToolboxSession.h"
#include "record/SettingsTable.h"
#include "tests/dialog/DialogTestKit.h"

namespace {

using dialogtest::DialogTest;

QPoint SliderThumb(QAbstractSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    return slider->style()
        ->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider)
        .center();
}

TEST_F(DialogTest, DraggingTheTurnSliderStoresItAndRedrawsThePreviewAsTheThumbMoves) {
    std::vector<int16_t> values;
    std::vector<QImage> shown;
    std::vector<QString> legends;
    Run({[&] {
        auto* slider = qobject_cast<QAbstractSlider*>(Control("Sldr", 1));
        ASSERT_TRUE(slider);
        shown.push_back(ClipOnScreen());
        const QPoint thumb = SliderThumb(slider);
        QTest::mousePress(slider, Qt::LeftButton, {}, thumb);
        for (int dx : {30, 60}) {
            QTest::mouseMove(slider, thumb + QPoint(dx, 0));
            values.push_back(config.sliders[0]);
            legends.push_back(Text("Lgnd", 1));
            shown.push_back(ClipOnScreen());
        }
        QTest::mouseRelease(slider, Qt::LeftButton, {}, thumb + QPoint(60, 0));
        EXPECT_EQ(slider->value(), config.sliders[0]);
        Click("ok  ");
    }});
    ASSERT_EQ(values.size(), 2u);
    EXPECT_GT(values[0], 0);
    EXPECT_GT(values[1], values[0]);
    EXPECT_EQ(legends[1], QString::number(values[1]) + "%");
    EXPECT_NE(shown[1], shown[0]);
    EXPECT_NE(shown[2], shown[1]);
}

TEST_F(DialogTest, NextAndPreviousStopAtTheClipsEndsAndFetchRealFrames) {
    QStringList positions;
    Run({[&] {
            Click("Revi");  // at the start: nothing to fetch
            positions << Text("ClpM", 1);
            for (int i = 0; i < 3; ++i) {
                Click("Adva");
                positions << Text("ClpM", 1);
            }
            Click("Revi");
            positions << Text("ClpM", 1);
            Click("ok  ");
        }},
        3, 40);
    EXPECT_EQ(positions, (QStringList{"0/2", "1/2", "2/2", "2/2", "1/2"}));
    EXPECT_EQ(fetched, (std::vector<int32_t>{41, 42, 41}));
    EXPECT_EQ(testframes::PixelAt(source.get(), 5, 7), testframes::PatternAt(5, 7, 41));
}

TEST_F(DialogTest, TheFrameButtonsDoNothingOnAOneFrameClip) {
    QString position;
    Run({[&] {
            Click("Adva");
            Click("Revi");
            position = Text("ClpM", 1);
            Click("not!");
        }},
        1);
    EXPECT_EQ(position, "0/0");
    EXPECT_TRUE(fetched.empty());
}

TEST_F(DialogTest, ThePositionSliderFetchesTheClipsLastFrameAtItsEnd) {
    QString position;
    Run({[&] {
            auto* slider = qobject_cast<QAbstractSlider*>(Control("ClpS", 1));
            slider->setFocus();
            QTest::keyClick(slider, Qt::Key_End);
            position = Text("ClpM", 1);
            Click("ok  ");
        }},
        100, 7);
    EXPECT_EQ(position, "99/99");
    ASSERT_FALSE(fetched.empty());
    EXPECT_EQ(fetched.back(), 7 + 99);
}

TEST_F(DialogTest, ResetAndFullFrameRestoreDefaultsInTheRecordAndTheControls) {
    config.sliders[0] = -12;
    config.sliders[2] = 33;  // a slider the dialog hides
    config.colors[0] = RGBColor{0x1200, 0x3400, 0x5600};
    config.frameEndColor = RGBColor{1, 2, 3};
    config.startRel = RelRect{0.25, 0.75, 0.25, 0.75};
    QString legendBefore, legendAfter;
    int sliderAfter = -1;
    RelRect afterReset{}, afterFullFrame{};
    Run({[&] {
        legendBefore = Text("Lgnd", 1);
        Click("Sall");
        afterFullFrame = config.startRel;
        config.startRel = RelRect{0.25, 0.75, 0.25, 0.75};
        Click("Rset");
        afterReset = config.startRel;
        legendAfter = Text("Lgnd", 1);
        sliderAfter = qobject_cast<QAbstractSlider*>(Control("Sldr", 1))->value();
        Click("ok  ");
    }});
    EXPECT_EQ(legendBefore, "-12%");
    EXPECT_EQ(legendAfter, "0%");
    EXPECT_EQ(sliderAfter, 0);
    for (const RelRect& r : {afterFullFrame, afterReset}) {
        EXPECT_EQ(r.left, 0.0);
        EXPECT_EQ(r.right, 1.0);
        EXPECT_EQ(r.top, 0.0);
        EXPECT_EQ(r.bottom, 1.0);
    }
    EXPECT_EQ(config.sliders[2], 0);
    EXPECT_EQ(config.colors[0].red, 0);
    EXPECT_EQ(config.frameEndColor.blue, 3);  // the reset leaves the second frame colour
}

TEST_F(DialogTest, HideCornersEnlargesUntilThePreviewShowsNoBackground) {
    config.sliders[cTurnSlider - 1] = 12;
    config.colors[cBackgroundColor - 1] = RGBColor{0xFFFF, 0, 0xFFFF};
    const auto background = [](const QImage& shown) {
        int n = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) n += shown.pixel(x, y) == qRgb(255, 0, 255);
        return n;
    };
    int before = -1, after = -1, slider = -1;
    QString legend;
    Run({[&] {
        before = background(ClipOnScreen());
        Click("HdCr");
        after = background(ClipOnScreen());
        legend = Text("Lgnd", cScaleSlider);
        slider = qobject_cast<QAbstractSlider*>(Control("Sldr", cScaleSlider))->value();
        Click("ok  ");
    }});
    const int16_t scale = config.sliders[cScaleSlider - 1];
    EXPECT_GT(before, 0);
    EXPECT_EQ(after, 0);
    EXPECT_GT(scale, 0);
    EXPECT_EQ(slider, scale);
    EXPECT_EQ(legend, QString::number(scale) + "%");
    EXPECT_EQ(config.sliders[cTurnSlider - 1], 12);
}

// Each format's window has Level beside Hide corners; a host that measures
// no tilts leaves it greyed out, and pressing it changes nothing.
TEST_F(DialogTest, LevelSitsBesideHideCornersAndIsDisabledWithoutTheHostsMeasurement) {
    config.sliders[cTurnSlider - 1] = 12;
    for (const MediaFormatRec& f : cMediaFormats) {
        config.mediaType = f.mediaType;
        QRect level, hide;
        bool enabled = true;
        Run({[&] {
            QWidget* button = Commanding("Levl");
            level = button->geometry();
            hide = Commanding("HdCr")->geometry();
            enabled = button->isEnabled();
            Click("Levl");
            Click("ok  ");
        }});
        EXPECT_FALSE(enabled) << f.windowName;
        EXPECT_EQ(level.top(), hide.top()) << f.windowName;
        EXPECT_GT(level.left(), hide.right()) << f.windowName;
        EXPECT_LT(level.left() - hide.right(), 20) << f.windowName;
        EXPECT_EQ(config.sliders[cTurnSlider - 1], 12) << f.windowName;
        EXPECT_EQ(config.sliders[cScaleSlider - 1], 0) << f.windowName;
    }
    EXPECT_TRUE(alerts.empty());
}

TEST_F(DialogTest, CancelAfterAFormatSwitchAndSliderMovesPutsTheRecordBackByteForByte) {
    config.mediaType = 7;  // no such format: the NTSC window
    config.sliders[1] = 5;
    PluginDataRec before;
    std::memcpy(&before, &config, sizeof before);
    QStringList windows;
    const OSErr answer = Run({[&] {
                                  windows << Window()->objectName();
                                  auto* format = qobject_cast<QComboBox*>(Control("Medi", 1));
                                  format->setFocus();
                                  QTest::keyClick(format, Qt::Key_End);
                              },
                              [&] {
                                  windows << Window()->objectName();
                                  auto* slider = Control("Sldr", 2);
                                  slider->setFocus();
                                  QTest::keyClick(slider, Qt::Key_PageUp);
                                  QTest::keyClick(slider, Qt::Key_Right);
                                  EXPECT_EQ(config.mediaType, kMediaHD);
                                  EXPECT_NE(config.sliders[1], 5);
                                  Click("not!");
                              }});
    EXPECT_EQ(windows, (QStringList{"configNTSC", "configHD"}));
    EXPECT_EQ(answer, userCanceledErr);
    EXPECT_EQ(std::memcmp(&before, &config, sizeof before), 0);
    EXPECT_FALSE(std::filesystem::exists(PrefsFilePath()));
}

// A block saved elsewhere may hold more than a slider reaches: the slider,
// its legend and the preview show it held to the slider's end, and Cancel
// gives back the value as saved.
TEST_F(DialogTest, ValuesBeyondASlidersEndAreShownAtItsEndAndCancelKeepsThem) {
    const SettingDescRec& scale = *SliderDesc(cScaleSlider);
    const SettingDescRec& turn = *SliderDesc(cTurnSlider);
    config.sliders[cScaleSlider - 1] = static_cast<int16_t>(scale.maximum + 400);
    config.sliders[cTurnSlider - 1] = static_cast<int16_t>(turn.minimum - 1);
    config.sliders[2] = 3000;  // a slider the dialog hides keeps what it holds
    PluginDataRec before;
    std::memcpy(&before, &config, sizeof before);
    std::vector<int> sliders;
    QStringList legends;
    std::vector<int16_t> held;
    QImage atEnd, beyond;
    Run({[&] {
        for (int n : {cScaleSlider, cTurnSlider}) {
            sliders.push_back(qobject_cast<QAbstractSlider*>(Control("Sldr", n))->value());
            legends << Text("Lgnd", n);
            held.push_back(config.sliders[n - 1]);
        }
        held.push_back(config.sliders[2]);
        beyond = ClipOnScreen();
        config.sliders[cScaleSlider - 1] = static_cast<int16_t>(scale.maximum);
        config.sliders[cTurnSlider - 1] = static_cast<int16_t>(turn.minimum);
        ReRenderAndBlit();
        atEnd = ClipOnScreen();
        Click("not!");
    }});
    EXPECT_EQ(sliders, (std::vector<int>{scale.maximum, turn.minimum}));
    EXPECT_EQ(legends, (QStringList{QString::number(scale.maximum) + "%",
                                    QString::number(turn.minimum) + "%"}));
    EXPECT_EQ(held, (std::vector<int16_t>{static_cast<int16_t>(scale.maximum),
                                          static_cast<int16_t>(turn.minimum), 3000}));
    EXPECT_EQ(beyond, atEnd);
    EXPECT_EQ(std::memcmp(&before, &config, sizeof before), 0);
}

TEST_F(DialogTest, OKAfterAFormatSwitchKeepsTheEditsAndSavesThem) {
    QStringList windows;
    const OSErr answer = Run({[&] {
                                  auto* format = qobject_cast<QComboBox*>(Control("Medi", 1));
                                  format->setFocus();
                                  QTest::keyClick(format, Qt::Key_Down);
                              },
                              [&] {
                                  windows << Window()->objectName();
                                  // The same format again neither closes nor reopens the window.
                                  auto* format = qobject_cast<QComboBox*>(Control("Medi", 1));
                                  emit format->activated(format->currentIndex());
                                  auto* slider = Control("Sldr", 5);
                                  slider->setFocus();
                                  QTest::keyClick(slider, Qt::Key_Left);
                              },
                              [&] {
                                  windows << Window()->objectName();
                                  QTest::keyClick(Window(), Qt::Key_Return);
                              }});
    EXPECT_EQ(windows, (QStringList{"configPAL", "configPAL"}));
    EXPECT_EQ(answer, noErr);
    EXPECT_EQ(config.mediaType, kMediaPAL);
    EXPECT_EQ(config.sliders[4], -1);
    PluginDataRec saved{};
    ASSERT_EQ(LoadPrefs(&saved).status, PrefsStatus::cOk);
    EXPECT_EQ(saved.mediaType, kMediaPAL);
    EXPECT_EQ(saved.sliders[4], -1);
}

TEST_F(DialogTest, TheColourBoxTakesAChosenColourAndKeepsItsOwnWhenCancelled) {
    config.colors[0] = RGBColor{0x1234, 0x5678, 0x9ABC};
    const struct {
        bool choose;
        RGBColor expected;
    } cases[] = {{false, {0x1200, 0x5600, 0x9A00}}, {true, {0x1200, 0xAB00, 0xFF00}}};
    for (const auto& c : cases) {
        int32_t boxValue = -1;
        Run({[&] {
            AnswerNextModal([&](QWidget* w) {
                auto* picker = qobject_cast<QColorDialog*>(w);
                ASSERT_TRUE(picker);
                EXPECT_EQ(picker->windowTitle(), "Please choose color:");
                if (c.choose) {
                    picker->setCurrentColor(QColor::fromRgba64(0x1234, 0xABCD, 0xFFFF));
                    picker->accept();
                } else {
                    picker->reject();
                }
            });
            QTest::mouseClick(Control("Colr", 1), Qt::LeftButton);
            boxValue = Control("Colr", 1)->grab().toImage().pixel(20, 16) & 0xFFFFFF;
            Click("ok  ");
        }});
        EXPECT_EQ(config.colors[0].red, c.expected.red);
        EXPECT_EQ(config.colors[0].green, c.expected.green);
        EXPECT_EQ(config.colors[0].blue, c.expected.blue);
        EXPECT_EQ(boxValue, (c.expected.red & 0xFF00) << 8 | (c.expected.green & 0xFF00) |
                                c.expected.blue >> 8);
    }
}

TEST_F(DialogTest, TheAboutWindowShowsNameAndVersionAndClosesWithEitherButton) {
    QStringList texts;
    int aboutsClosed = 0;
    Run({[&] {
        for (const char* button : {"ok  ", "not!"}) {
            AnswerNextModal([&, button](QWidget* about) {
                EXPECT_EQ(about->objectName(), "about");
                texts << qobject_cast<QLabel*>(Control("Plug", 1, about))->text()
                      << qobject_cast<QLabel*>(Control("Vers", 1, about))->text();
                QTest::mouseClick(Commanding(button[0] == 'o' ? "ok  " : "not!", about),
                                  Qt::LeftButton);
            });
            Click("Info");
            ++aboutsClosed;
            EXPECT_EQ(Window()->objectName(), "configNTSC");
        }
        Click("ok  ");
    }});
    EXPECT_EQ(aboutsClosed, 2);
    EXPECT_EQ(texts, (QStringList{"Horizon Fix", QString("Version ") + cPlugVersion, "Horizon Fix",
                                  QString("Version ") + cPlugVersion}));
}

TEST_F(DialogTest, HelpWithoutAManualSaysSoAndTheDialogStaysOpen) {
    UseBundle(CopyOfBundle("manual.pdf"));
    bool stillOpen = false;
    Run({[&] {
        Click("Help");
        stillOpen = Window() != nullptr;
        Click("ok  ");
    }});
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].type, kAlertCautionAlert);
    EXPECT_EQ(alerts[0].title, "Internal Notification:");
    EXPECT_EQ(alerts[0].explanation, "Cannot locate manual in bundle");
}

// Stands in for the desktop's viewer for PDF files.
class ManualViewer : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST_F(DialogTest, HelpOpensTheBundlesManualInTheDesktopsViewer) {
    ManualViewer viewer;
    QDesktopServices::setUrlHandler("file", &viewer, "open");
    Run({[&] {
        Click("Help");
        Click("ok  ");
    }});
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(viewer.opened.size(), 1);
    EXPECT_TRUE(viewer.opened[0].toLocalFile().endsWith("/Contents/Resources/manual.pdf"));
    EXPECT_TRUE(alerts.empty());
}

// The offscreen platform has no desktop to open files with.
TEST_F(DialogTest, HelpTellsWhenTheDesktopCannotOpenTheManual) {
    Run({[&] {
        Click("Help");
        Click("ok  ");
    }});
    ASSERT_EQ(alerts.size(), 1u);
    const std::string manual =
        std::filesystem::canonical(std::string(std::getenv("HZ_BUNDLE_DIR")) +
                                   "/Contents/Resources/manual.pdf")
            .string();
    EXPECT_EQ(alerts[0].explanation, "No program here opens PDF files. The manual is " + manual);
}

TEST_F(DialogTest, HelpWithoutTheBundleEndsAfterItsNotice) {
    OpenManual();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].explanation, "Cannot Locate Bundle. Proceed with caution. Crash imminent");
}

// A layout without one of the controls the dialog works is a damaged
// bundle: said once, the dialog closes, the record stays as it was, and the
// host goes on.
class DamagedLayout : public DialogTest, public testing::WithParamInterface<const char*> {};

TEST_P(DamagedLayout, SaysTheBundleIsDamagedAndCloses) {
    namespace fs = std::filesystem;
    const std::string bundle = CopyOfBundle("no such file");
    const std::string from = std::string("<string>") + GetParam() + "</string>";
    for (const auto& entry :
         fs::directory_iterator(fs::path(bundle) / "Contents/Resources/horizonfix.nib")) {
        std::ifstream in(entry.path());
        std::string ui((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t at = ui.find(from);
        ASSERT_NE(at, std::string::npos) << entry.path();
        ui.replace(at, from.size(), "<string>Gone</string>");
        std::ofstream(entry.path()) << ui;
    }
    UseBundle(bundle);
    const PluginDataRec before = config;
    EXPECT_EQ(Run({}), resNotFound);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].explanation.find("damaged"), std::string::npos) << alerts[0].explanation;
    EXPECT_NE(alerts[0].explanation.find(GetParam()), std::string::npos) << alerts[0].explanation;
    EXPECT_EQ(std::memcmp(&before, &config, sizeof config), 0);
}

INSTANTIATE_TEST_SUITE_P(EachControlTheDialogNeeds, DamagedLayout,
                         testing::Values("Clip", "Colr", "Sldr", "ClpS"));

TEST_F(DialogTest, ABundleWithoutTheWindowLayoutsSaysItIsDamagedAndCloses) {
    const std::string bundle = CopyOfBundle("no such file");
    std::filesystem::remove_all(std::filesystem::path(bundle) /
                                "Contents/Resources/horizonfix.nib");
    UseBundle(bundle);
    EXPECT_EQ(Run({}), resNotFound);
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_NE(alerts[0].explanation.find("damaged"), std::string::npos) << alerts[0].explanation;
}

volatile sig_atomic_t lgHostSaw = 0;
void HostHandler(int sig) { lgHostSaw = sig; }

// The process's own handler cannot reach into the modal loop: the dialog
// closes as Cancel would, also from the About window over it, and the
// signal reaches that handler once the dialog is gone.
TEST_F(DialogTest, AnEndSignalCancelsTheDialogAndGoesOnToTheHostsHandler) {
    struct Case {
        int sig;
        bool inAbout;
    };
    for (Case c : {Case{SIGTERM, false}, Case{SIGINT, false}, Case{SIGTERM, true}}) {
        ResetConfig(&config, true);
        PluginDataRec before;
        std::memcpy(&before, &config, sizeof before);
        struct sigaction host {
        }, previous{};
        host.sa_handler = HostHandler;
        sigemptyset(&host.sa_mask);
        sigaction(c.sig, &host, &previous);
        lgHostSaw = 0;
        int sawDuringDialog = -1;
        const OSErr answer = Run({[&] {
            auto* slider = Control("Sldr", 1);
            slider->setFocus();
            QTest::keyClick(slider, Qt::Key_Right);
            if (!c.inAbout) {
                raise(c.sig);
                sawDuringDialog = lgHostSaw;
                return;
            }
            AnswerNextModal([&](QWidget*) {
                raise(c.sig);
                sawDuringDialog = lgHostSaw;
            });
            Click("Info");
        }});
        sigaction(c.sig, &previous, nullptr);
        EXPECT_EQ(answer, userCanceledErr) << c.sig << " " << c.inAbout;
        EXPECT_EQ(sawDuringDialog, 0) << c.sig << " " << c.inAbout;
        EXPECT_EQ(lgHostSaw, c.sig) << c.sig << " " << c.inAbout;
        EXPECT_EQ(std::memcmp(&before, &config, sizeof before), 0) << c.sig << " " << c.inAbout;
        EXPECT_FALSE(std::filesystem::exists(PrefsFilePath()));
    }
}

TEST(ToolboxSession, MakesAnApplicationOnlyWhenTheHostHasNoneAndTakesItDown) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    {
        ToolboxSession session;
        EXPECT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr);
    }
    EXPECT_EQ(QCoreApplication::instance(), nullptr);
    int argc = 1;
    char name[] = "host";
    char* argv[] = {name, nullptr};
    QApplication host(argc, argv);
    { ToolboxSession session; }
    EXPECT_EQ(QCoreApplication::instance(), &host);
}

}  // namespace

#include "configdlghandler_test.moc"
