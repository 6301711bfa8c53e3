// A framing rectangle kept as fractions of a frame, so one setting frames a
// preview, a PAL frame and an HD frame alike.
#ifndef HZ_RECORD_RELRECT_H
#define HZ_RECORD_RELRECT_H

// The horizontal edges come first; stored files rely on this order.
struct RelRect {
    double left;
    double right;
    double top;
    double bottom;
};

#endif
