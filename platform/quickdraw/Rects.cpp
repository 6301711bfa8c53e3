#include <algorithm>

#include "platform/quickdraw/QuickDraw.h"

void SetRect(Rect* r, int16_t left, int16_t top, int16_t right, int16_t bottom) {
    r->left = left;
    r->top = top;
    r->right = right;
    r->bottom = bottom;
}

void OffsetRect(Rect* r, int16_t dh, int16_t dv) {
    r->left = static_cast<int16_t>(r->left + dh);
    r->right = static_cast<int16_t>(r->right + dh);
    r->top = static_cast<int16_t>(r->top + dv);
    r->bottom = static_cast<int16_t>(r->bottom + dv);
}

void InsetRect(Rect* r, int16_t dh, int16_t dv) {
    r->left = static_cast<int16_t>(r->left + dh);
    r->right = static_cast<int16_t>(r->right - dh);
    r->top = static_cast<int16_t>(r->top + dv);
    r->bottom = static_cast<int16_t>(r->bottom - dv);
}

Boolean PtInRect(Point pt, const Rect* r) {
    return pt.h >= r->left && pt.h < r->right && pt.v >= r->top && pt.v < r->bottom;
}

void Pt2Rect(Point pt1, Point pt2, Rect* dstRect) {
    dstRect->left = std::min(pt1.h, pt2.h);
    dstRect->right = std::max(pt1.h, pt2.h);
    dstRect->top = std::min(pt1.v, pt2.v);
    dstRect->bottom = std::max(pt1.v, pt2.v);
}

Boolean EmptyRect(const Rect* r) { return r->left >= r->right || r->top >= r->bottom; }

Boolean SectRect(const Rect* src1, const Rect* src2, Rect* dstRect) {
    Rect s;
    s.left = std::max(src1->left, src2->left);
    s.top = std::max(src1->top, src2->top);
    s.right = std::min(src1->right, src2->right);
    s.bottom = std::min(src1->bottom, src2->bottom);
    if (EmptyRect(&s)) s = Rect{0, 0, 0, 0};
    *dstRect = s;
    return !EmptyRect(&s);
}
