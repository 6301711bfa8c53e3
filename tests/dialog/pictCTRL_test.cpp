// The picture box, in a window of its own: the image its reference names,
// fitted and centred over white in a black frame, inverted while pressed.
#include "dialog/pictCTRL.h"

#include <QTest>
#include <filesystem>
#include <fstream>

#include "common/ProductNames.h"
#include "common/commonprocs.h"
#include "common/nibwindows.h"
#include "dialog/carbonmacros.h"
#include "engine/CGglue.h"
#include "tests/dialog/DialogTestKit.h"

namespace {

using dialogtest::DialogTest;

constexpr char cPictureWindow[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>pictures</class>
 <widget class="QWidget" name="pictures">
  <property name="geometry"><rect><x>0</x><y>0</y><width>220</width><height>220</height></rect></property>
  <widget class="QWidget" name="pictureBox">
   <property name="geometry"><rect><x>10</x><y>10</y><width>200</width><height>200</height></rect></property>
   <property name="classID" stdset="0"><string>com.vond.clipfx.imageCTRL</string></property>
   <property name="signature" stdset="0"><string>Pict</string></property>
   <property name="controlID" stdset="0"><number>1</number></property>
  </widget>
 </widget>
</ui>
)";

TEST_F(DialogTest, ThePictureBoxShowsItsImageFittedAndInvertsWhilePressed) {
    const std::string bundle = CopyOfBundle("manual.pdf");
    std::filesystem::create_directories(bundle + "/Contents/Resources/pictures.nib");
    std::ofstream(bundle + "/Contents/Resources/pictures.nib/pictures.ui") << cPictureWindow;
    UseBundle(bundle);

    testframes::GWorldHolder red = testframes::MakeGWorld(400, 100);
    testframes::Fill(red.get(), testframes::Pixel{255, 255, 0, 0});
    CGImageRef image = GWorld2CGImage(red.get());

    ControlClassRec pictureClass;
    RegisterControlClass(&pictureClass, cPictureControlClass);
    WindowRef window = OpenNibWindowFromCFBundle(cMyBundleID, "pictures", "pictures");
    ControlRef box = SimpleGetControlByID(window, MakeOSType("Pict"), 1);
    ASSERT_TRUE(box);
    SetControlReference(box, reinterpret_cast<intptr_t>(image));
    ShowWindow(window);
    QWidget* widget = Control("Pict", 1, QApplication::topLevelWidgets().front());

    const QImage shown = widget->grab().toImage();
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(100, 100), qRgb(255, 0, 0));  // 400 x 100 fits as 200 x 50, centred
    EXPECT_EQ(shown.pixel(100, 70), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(100, 130), qRgb(255, 255, 255));

    QTest::mousePress(widget, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(widget->grab().toImage().pixel(100, 100), qRgb(0, 255, 255));
    QTest::mouseRelease(widget, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_EQ(widget->grab().toImage().pixel(100, 100), qRgb(255, 0, 0));

    SetControlReference(box, 0);
    Draw1Control(box);
    EXPECT_EQ(widget->grab().toImage().pixel(100, 100), qRgb(255, 255, 255));

    DisposeWindow(window);
    UnregisterControlClass(&pictureClass);
    CGImageRelease(image);
}

}  // namespace
