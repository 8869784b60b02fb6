#pragma once

#include "ButtonAction.h"
#include "View.h"

// A small draggable square. Its centre is held in pixels at zoom 1 relative
// to the view offset, so it moves and zooms with the map; its size stays in
// pixels at every zoom.
class Marker {
public:
    // The marker's square in window pixels.
    struct Rectangle {
        double left, top, right, bottom;
    };

    // A press grabs the marker when (px, py) lies strictly inside its
    // rectangle in `view`; a release lets it go.
    void press(ButtonAction action, double px, double py, const View& view);
    // Centres a grabbed marker under (px, py), placed from the view offset
    // truncated to whole pixels.
    void dragTo(int px, int py, const View& view);
    // Where the marker shows in `view`: what a press hits and what is drawn.
    Rectangle rectangle(const View& view) const;
    // Draws the white rectangle at its place in the view; defined in map/draw/.
    void draw(const View& view) const;

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
