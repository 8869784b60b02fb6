#pragma once

// A small draggable square, placed in pixels relative to the view offset.
class Marker {
public:
    // Press (state 0) grabs the marker when (px, py) lies strictly inside it;
    // a release (any other state) lets it go. (ox, oy) is the view offset.
    void press(int state, double px, double py, double ox, double oy);
    // Centres a grabbed marker under (px, py); (ox, oy) is the truncated view offset.
    void dragTo(int px, int py, int ox, int oy);
    // Draws the white rectangle shifted by the view offset; defined apart from the model.
    void draw(double ox, double oy) const;

    int getX() const { return x; }
    int getY() const { return y; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    bool isGrabbed() const { return grabbed; }

private:
    int x = 3;
    int y = 10;
    int width = 6;
    int height = 6;
    bool grabbed = false;
};
