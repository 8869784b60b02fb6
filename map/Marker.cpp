#include "Marker.h"

void Marker::press(int state, double px, double py, double ox, double oy) {
    if (state != 0) {
        grabbed = false;
        return;
    }
    const int w2 = width / 2;
    const int h2 = height / 2;
    const bool inside = x - w2 + ox < px && px < x + w2 + ox && y - h2 + oy < py && py < y + h2 + oy;
    if (inside) grabbed = true;
}

void Marker::dragTo(int px, int py, int ox, int oy) {
    if (!grabbed) return;
    x = px - ox;
    y = py - oy;
}
