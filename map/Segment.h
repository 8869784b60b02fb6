#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "ButtonAction.h"
#include "ControlPoint.h"
#include "View.h"

// Names one control point of a Segment by its role, so a drag survives the
// chain's list copying or moving the segment.
enum class PointRole { none, startPoint, endPoint, startHandle, endHandle };

// One cubic Bezier piece of the ground profile, sampled into a polyline.
// A plain value: copying it copies the samples and the drag state too, and
// the copy is shown through the same view.
class Segment {
public:
    Segment();

    // Sets the four control points in curve order (P0, P1, P2, P3) and resamples.
    void setPoints(double x0, double y0, double x1, double y1, double x2, double y2, double x3, double y3);
    // The four control points in curve order: start point, start handle, end handle, end point.
    std::vector<ControlPoint> controlPoints() const;

    const ControlPoint& getStartPoint() const { return startPoint; }
    const ControlPoint& getStartHandle() const { return startHandle; }
    const ControlPoint& getEndHandle() const { return endHandle; }
    const ControlPoint& getEndPoint() const { return endPoint; }
    // The sampled polyline: start point, max(resolution, 0) interior points, end point.
    const std::vector<ControlPoint>& getSamples() const { return samples; }

    int getResolution() const { return resolution; }
    // Stores n as given and resamples.
    void setResolution(int n);

    // Shows the segment through `shared`, which its holder may change: a chain
    // of segments sharing one view pans and zooms by changing that one value.
    void showThrough(std::shared_ptr<const View> shared) { view = std::move(shared); }
    // Gives the segment a view of its own with the offset or zoom changed.
    void setViewOffset(double x, double y);
    const ControlPoint& getViewOffset() const { return view->offset; }
    // The map's magnification on top of pixelsPerMapUnit.
    void setZoom(double value);
    double getZoom() const { return view->zoom; }

    bool isSelected() const { return selected; }
    void setSelected(bool value) { selected = value; }
    PointRole getDragPoint() const { return dragPoint; }
    PointRole getDragCompanion() const { return dragCompanion; }

    // A press or release of a mouse button at window pixel (x, y);
    // true when a control point was hit.
    bool pick(ButtonAction action, int x, int y);
    // Moves the picked point (and its companion handle) under window pixel (x, y).
    void drag(int x, int y);
    // Moves the picked point (and its companion handle) to map point `p`.
    void dragTo(const ControlPoint& p);
    // The control point of `role` (not none).
    const ControlPoint& pointOf(PointRole role) const;
    // Moves the control point of `role` by `delta` map units, or exactly to
    // `target`; a start or end point takes its handle along by the same offset.
    void moveBy(PointRole role, const ControlPoint& delta);
    void moveTo(PointRole role, const ControlPoint& target);

    // de Casteljau at t = 0.5: two segments tracing this curve exactly.
    std::pair<Segment, Segment> split() const;
    // de Casteljau at `t` (0 to 1): two segments tracing this curve exactly,
    // each with the resolution split() gives its halves.
    std::pair<Segment, Segment> splitAt(double t) const;

    // Draws the segment with OpenGL; defined in map/draw/.
    void draw() const;
    // Whether drawing the segment can change a pixel of a window `width` x
    // `height` pixels: false only when its control points, widened by their
    // squares and the spread of smoothed lines and points, lie wholly outside.
    bool mayShowIn(int width, int height) const;
    // Pixels beyond the box of its control points that drawing the segment can
    // reach: the squares, and the spread of smoothed lines and points.
    double drawingMargin() const { return handleSize + 3.0; }
    // How near a control point a press must be, in pixels on each axis (the
    // distance truncated to whole pixels must be below it).
    double pickTolerance() const { return 2.0 * handleSize; }
    // The map point drawn at window pixel `w`, through the segment's view.
    ControlPoint toMap(const ControlPoint& w) const { return view->toMap(w); }
    // The window pixel at which map point `p` is drawn and picked.
    ControlPoint toWindow(const ControlPoint& p) const { return view->toWindow(p); }
    bool handlesShown() const { return showHandles; }
    int getHandleSize() const { return handleSize; }

private:
    // de Casteljau's construction, `between(a, b)` the point at the split's
    // parameter between two control points: the two halves, each with the
    // resolution split() gives its halves.
    template <class Between>
    std::pair<Segment, Segment> halvesBy(Between between) const;
    void resample();
    ControlPoint& point(PointRole role);

    ControlPoint startPoint;
    ControlPoint endPoint;
    ControlPoint startHandle;
    ControlPoint endHandle;
    int resolution = 5;
    bool showHandles = true;
    std::vector<ControlPoint> samples;
    PointRole dragPoint = PointRole::none;
    PointRole dragCompanion = PointRole::none;
    ControlPoint companionOffset;
    int handleSize = 3;
    // Never null: offset (0, 0) and zoom 1 until set or shared.
    std::shared_ptr<const View> view;
    bool selected = false;
};
