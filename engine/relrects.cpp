#include "engine/relrects.h"

#include <cmath>

#include "record/PluginData.h"

namespace {

// Saved framings come from a file a person may have edited: a fraction that
// is not a number or lies far outside the frame must not wrap around the
// 16-bit coordinate range into some other rectangle.
int16_t EdgeAt(int16_t origin, double extent, double fraction) {
    double edge = origin + std::trunc(extent * fraction);
    if (std::isnan(edge)) return origin;
    if (edge < INT16_MIN) return INT16_MIN;
    if (edge > INT16_MAX) return INT16_MAX;
    return static_cast<int16_t>(edge);
}

}  // namespace

void InitRelRect(RelRect* theRel) {
    theRel->left = 0.0;
    theRel->right = 1.0;
    theRel->top = 0.0;
    theRel->bottom = 1.0;
}

// Truncation toward zero (not floor) is what stored framings were made with:
// an edge a hair outside the frame lands on the frame's edge.
Rect Rel2Rect(RelRect theRel, Rect theFrame) {
    const double w = theFrame.right - theFrame.left;
    const double h = theFrame.bottom - theFrame.top;
    Rect r;
    r.left = EdgeAt(theFrame.left, w, theRel.left);
    r.right = EdgeAt(theFrame.left, w, theRel.right);
    r.top = EdgeAt(theFrame.top, h, theRel.top);
    r.bottom = EdgeAt(theFrame.top, h, theRel.bottom);
    return r;
}

RelRect Rect2Rel(Rect theRect, Rect theFrame) {
    RelRect rel;
    const double w = theFrame.right - theFrame.left;
    const double h = theFrame.bottom - theFrame.top;
    if (w == 0.0 || h == 0.0) {
        InitRelRect(&rel);
        return rel;
    }
    rel.left = (theRect.left - theFrame.left) / w;
    rel.right = (theRect.right - theFrame.left) / w;
    rel.top = (theRect.top - theFrame.top) / h;
    rel.bottom = (theRect.bottom - theFrame.top) / h;
    return rel;
}

// With one framing rectangle in use the framing is the same on every frame.
Rect CalcTweenRect(const PluginDataRec* theConfig, Rect theFrame, int32_t, int32_t) {
    return Rel2Rect(theConfig->startRel, theFrame);
}
