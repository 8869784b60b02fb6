#include "Marker.h"

void Marker::press(int state, double px, double py, double ox, double oy, double zoom) {
    if (state != 0) {
        grabbed = false;
        return;
    }
    const int w2 = width / 2;
    const int h2 = height / 2;
    const double cx = x * zoom;
    const double cy = y * zoom;
    const bool inside = cx - w2 + ox < px && px < cx + w2 + ox && cy - h2 + oy < py && py < cy + h2 + oy;
    if (inside) grabbed = true;
}

void Marker::dragTo(int px, int py, int ox, int oy, double zoom) {
    if (!grabbed) return;
    x = (static_cast<double>(px) - ox) / zoom;
    y = (static_cast<double>(py) - oy) / zoom;
}
