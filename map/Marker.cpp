#include "Marker.h"

#include "PixelMath.h"

Marker::Rectangle Marker::rectangle(const View& view) const {
    const int w2 = width / 2;
    const int h2 = height / 2;
    const double cx = x * view.zoom;
    const double cy = y * view.zoom;
    return {cx - w2 + view.offset.x, cy - h2 + view.offset.y, cx + w2 + view.offset.x,
            cy + h2 + view.offset.y};
}

void Marker::press(ButtonAction action, double px, double py, const View& view) {
    if (action == ButtonAction::release) {
        grabbed = false;
        return;
    }
    const Rectangle r = rectangle(view);
    const bool inside = r.left < px && px < r.right && r.top < py && py < r.bottom;
    if (inside) grabbed = true;
}

void Marker::dragTo(int px, int py, const View& view) {
    if (!grabbed) return;
    const int ox = truncateToInt(view.offset.x);
    const int oy = truncateToInt(view.offset.y);
    x = (static_cast<double>(px) - ox) / view.zoom;
    y = (static_cast<double>(py) - oy) / view.zoom;
}
