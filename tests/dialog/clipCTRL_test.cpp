// The framing rectangle on the clip control: where a press lands, what a
// drag stores, and what the control shows.
#include <QTest>
#include <cstring>
#include <ostream>

#include "dialog/ConfigWorkspace.h"
#include "dialog/dlgUtils.h"
#include "engine/DataHandling.h"
#include "engine/relrects.h"
#include "tests/dialog/DialogTestKit.h"

// Found by argument lookup from the test macros, so in Rect's own namespace.
bool operator==(const Rect& a, const Rect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}

std::ostream& operator<<(std::ostream& out, const Rect& r) {
    return out << "(" << r.top << ", " << r.left << ", " << r.bottom << ", " << r.right << ")";
}

namespace {

using dialogtest::DialogTest;

TEST(IsHandleHit, HandlesWinOverTheInsideAndEndAtCornerPlusFive) {
    const Rect r = {100, 100, 200, 300};
    const struct {
        int16_t h, v, part;
    } cases[] = {{95, 95, 1},   {105, 105, 1}, {106, 106, 5}, {93, 100, 0},
                 {94, 94, 1},   {305, 100, 2}, {306, 100, 0}, {100, 195, 3},
                 {295, 195, 4}, {299, 199, 4}, {200, 150, 5}, {301, 150, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(IsHandleHit(r, Point{c.v, c.h}), c.part) << c.h << "," << c.v;
}

// On the 720 x 480 clip control the rectangle (top 90, left 90, bottom 180,
// right 270) is a whole number of sixteenths, so it comes back exactly.
class ClipDrag : public DialogTest {
  protected:
    void SetUp() override {
        DialogTest::SetUp();
        config.startRel = Rect2Rel(Rect{90, 90, 180, 270}, Rect{0, 0, 480, 720});
    }

    // The rectangle stored in the record, in control coordinates.
    Rect Stored() const { return Rel2Rect(config.startRel, Rect{0, 0, 480, 720}); }

    // A press at `from`, moves through `path`, a release at the last point.
    void Drag(QPoint from, std::vector<QPoint> path, Qt::KeyboardModifiers keys = {}) {
        Run({[=, this] {
                 QWidget* clip = Control("Clip", 1);
                 QTest::mousePress(clip, Qt::LeftButton, keys, from);
                 for (QPoint p : path) {
                     QTest::mouseMove(clip, p);
                     during.push_back(Stored());
                 }
                 QTest::mouseRelease(clip, Qt::LeftButton, keys, path.back());
             },
             [this] { Click("ok  "); }});
    }

    std::vector<Rect> during;
};

TEST_F(ClipDrag, CornersFollowTheWholeOffsetWithTheirModifiers) {
    const struct {
        const char* what;
        QPoint from, to;
        Qt::KeyboardModifiers keys;
        Rect expected;
    } cases[] = {
        {"bottom-right", {270, 180}, {290, 190}, {}, {90, 90, 190, 290}},
        {"bottom-right about the centre",
         {270, 180},
         {290, 190},
         Qt::AltModifier,
         {80, 70, 190, 290}},
        {"top-left past the opposite corner", {90, 90}, {340, 240}, {}, {180, 270, 240, 340}},
        // 180 by 90 kept at 2:1 from the new width 200.
        {"bottom-right in proportion",
         {270, 180},
         {290, 230},
         Qt::ShiftModifier,
         {90, 90, 190, 290}},
        {"top-right", {270, 90}, {250, 60}, {}, {60, 90, 180, 250}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        config.startRel = Rect2Rel(Rect{90, 90, 180, 270}, Rect{0, 0, 480, 720});
        during.clear();
        // Through an intermediate point: a corner is worked out from the
        // rectangle at mouse-down, not added up step by step.
        Drag(c.from, {(c.from + c.to) / 2, c.to}, c.keys);
        EXPECT_EQ(Stored(), c.expected);
    }
}

TEST_F(ClipDrag, AMoveSkipsPointsOutsideAndGoesOnFromTheLastInside) {
    Drag({150, 150}, {{180, 130}, {800, 130}, {800, 500}, {190, 140}});
    ASSERT_EQ(during.size(), 4u);
    EXPECT_EQ(during[0], (Rect{70, 120, 160, 300}));
    EXPECT_EQ(during[1], during[0]);
    EXPECT_EQ(during[2], during[0]);
    EXPECT_EQ(during[3], (Rect{80, 130, 170, 310}));
    EXPECT_EQ(Stored(), during[3]);
}

TEST_F(ClipDrag, APressOutsideTheRectangleChangesNothing) {
    const RelRect before = config.startRel;
    Drag({500, 400}, {{600, 450}});
    EXPECT_EQ(std::memcmp(&before, &config.startRel, sizeof before), 0);
}

// With Control held a line drawn along what should be level adds its lean
// to the turn, in whole steps, wherever it starts; the framing stays.
TEST_F(ClipDrag, ALineDrawnWithControlAddsItsLeanToTheTurn) {
    const struct {
        const char* what;
        int16_t turnBefore;
        QPoint from, to;
        int16_t turnAfter;
    } cases[] = {
        // 35 down over 500 across: 4.0 degrees clockwise, 10 steps.
        {"along a horizon falling to the right", 0, {100, 300}, {600, 335}, 10},
        {"drawn right to left", 0, {600, 335}, {100, 300}, 10},
        {"on top of an earlier turn", 6, {50, 400}, {650, 379}, 1},
        // 14 left over 400 down: an upright leaning 2 degrees clockwise.
        {"along an upright", 0, {300, 40}, {286, 440}, 5},
        {"too short to tell", 3, {100, 100}, {110, 104}, 3},
        {"held at the slider's end", 220, {100, 300}, {600, 335}, 225},
    };
    const Rect framing = Stored();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        config.sliders[cTurnSlider - 1] = c.turnBefore;
        Drag(c.from, {(c.from + c.to) / 2, c.to}, Qt::ControlModifier);
        EXPECT_EQ(config.sliders[cTurnSlider - 1], c.turnAfter);
        EXPECT_EQ(Stored(), framing);
    }
}

// The preview, the framing rectangle in its colour with a ringed handle at
// each corner, and the black border, as the screen shows them.
TEST_F(ClipDrag, ShowsThePreviewTheFramingAndItsHandles) {
    config.frameStartColor = RGBColor{0, 0xFFFF, 0};
    QImage shown;
    Run({[&] {
        shown = ClipOnScreen();
        Click("ok  ");
    }});
    ASSERT_EQ(shown.size(), QSize(720, 480));
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(719, 479), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(180, 90), qRgb(0, 255, 0));   // top edge, between handles
    EXPECT_EQ(shown.pixel(269, 135), qRgb(0, 255, 0));  // right edge
    // The outer ring of the top-left handle, 6 pixels from its corner.
    EXPECT_EQ(shown.pixel(84, 90), qRgb(0, 0, 0));
    // Inside the picture, away from lines: the rendered pattern of frame 0.
    const testframes::Pixel p = testframes::PatternAt(150, 130, 0);
    EXPECT_EQ(shown.pixel(150, 130), qRgb(p.r, p.g, p.b));
}

TEST(CurrentRel, AlwaysTheStartRectangle) {
    PluginDataRec config{};
    ResetConfig(&config, true);
    gConfigWorkspace.theConfig = &config;
    gConfigWorkspace.activeRel = 2;
    PutCurrentRel(RelRect{0.1, 0.2, 0.3, 0.4});
    EXPECT_EQ(config.startRel.right, 0.2);
    EXPECT_EQ(config.endRel.right, 1.0);
    EXPECT_EQ(GetCurrentRel().bottom, 0.4);
    gConfigWorkspace.theConfig = nullptr;
}

}  // namespace
