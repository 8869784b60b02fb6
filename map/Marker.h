#pragma once

// A small draggable square. Its centre is held in pixels at zoom 1 relative
// to the view offset, so it moves and zooms with the map; its size stays in
// pixels at every zoom.
class Marker {
public:
    // Press (state 0) grabs the marker when (px, py) lies strictly inside it;
    // a release (any other state) lets it go. (ox, oy) is the view offset.
    void press(int state, double px, double py, double ox, double oy, double zoom);
    // Centres a grabbed marker under (px, py); (ox, oy) is the truncated view offset.
    void dragTo(int px, int py, int ox, int oy, double zoom);
    // Draws the white rectangle at its place in the view; defined in map/draw/.
    void draw(double ox, double oy, double zoom) const;

    double getX() const { return x; }
    double getY() const { return y; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    bool isGrabbed() const { return grabbed; }

private:
    double x = 3;
    double y = 10;
    int width = 6;
    int height = 6;
    bool grabbed = false;
};
