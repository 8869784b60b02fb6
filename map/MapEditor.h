#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ControlPoint.h"
#include "Marker.h"
#include "Segment.h"
#include "SegmentIndex.h"

// The map being edited: the chain of segments, the markers, the view offset
// and the rest location, with the map's drawing, input and commands.
class MapEditor {
public:
    // One marker, the two-segment initial map, rest location (0.5, 0.5), view offset (10, 10).
    MapEditor();

    // Model.
    void buildInitialMap();
    // Gives every segment the view offset and the zoom.
    void applyViewOffset();
    // Distinct points of the ground profile: sum of resolutions + segments + 1,
    // a negative resolution counting as 0 (such a segment is sampled as 0).
    // Kept up to date by the edits that change it, so reading it costs nothing.
    int pointCount() const { return points; }
    int segmentCount() const;
    const Segment& segment(int i) const { return segments[i]; }
    const std::vector<Segment>& getSegments() const { return segments; }
    const std::vector<Marker>& getMarkers() const { return markers; }
    const ControlPoint& getViewOffset() const { return viewOffset; }
    double getZoom() const { return zoom; }
    const ControlPoint& getRestLocation() const { return restLocation; }
    // What a successful load does: the chain becomes `loaded`, the markers go,
    // the rest location becomes (0.5, 0.5), the view offset (1, 1) and the zoom 1.
    void replaceChain(std::vector<Segment> loaded);
    // An id of the chain's content; every change of the chain gives a new one.
    std::uint64_t contentId() const;

    // View and drawing (drawing is defined apart from the model).
    void draw() const;
    // Replaces `key` with everything draw() reads: the view, the markers and
    // the segments it draws. Two frames with equal keys have equal pictures.
    void drawKey(std::vector<double>& key) const;
    void shiftView(double dx, double dy);
    // Zooms `steps` wheel steps in (positive) or out (negative) about window
    // pixel (x, y), which keeps showing the same map point. Each step is a
    // factor of 1.25; the zoom stays within 1/64 to 16, and returns to exactly
    // 1 when the steps in and out cancel.
    void zoomAt(double x, double y, int steps);
    // The chain positions, ascending, of exactly the segments for which
    // mayShowIn holds in the map window, found through the index.
    void visibleSegments(std::vector<std::size_t>& out) const;
    // The chain positions, ascending, of the segments whose bounding boxes
    // meet the window rectangle from (left, top) to (right, bottom) pixels,
    // found through the index; every position when the view is not finite.
    void segmentsNearPixels(double left, double top, double right, double bottom,
                            std::vector<std::size_t>& out) const;

    // Input that no widget took.
    void mouse(int state, int x, int y);
    void motion(int x, int y);
    void keyboard(unsigned char key);

    // Point commands.
    void appendSegment();
    void removeSelected();
    void setResolutionOfSelected(int n);
    void splitSelected();

    // The map file, "map.mef" unless set otherwise: what "Load QUIV File"
    // reads and what saveMapFile writes (defined with the file code in io/).
    const std::string& getMapFileName() const { return mapFileName; }
    void setMapFileName(std::string name) { mapFileName = std::move(name); }
    // Returns whether the file was written.
    bool saveMapFile();
    void loadMapFile(const char* name);

    // Export to the simulator (defined with the export code in export/).
    void listSharedStartPoints();
    void writeGroundFile();
    void writeScenarioScript();
    void exportMap();

private:
    // After the chain was replaced or reordered: the index, the point count
    // and the list of segments a drag moves are made again from the chain.
    void chainChanged();
    int countPoints() const;

    std::vector<Segment> segments;
    std::vector<Marker> markers;
    ControlPoint restLocation;
    ControlPoint viewOffset;
    // Wheel steps from zoom 1; zoom is 1.25 to that power, clamped.
    int zoomLevel = 0;
    double zoom = 1.0;
    std::string mapFileName = "map.mef";
    // Advanced by every change of the chain.
    std::uint64_t contentCounter = 0;

    SegmentIndex index;
    int points = 1;
    // Every segment that is selected or holds a picked point, ascending (and
    // perhaps a few that no longer are): all others are neither, so a press
    // leaves them as they are unless it is near them.
    std::vector<std::size_t> marked;
    // Scratch list of the segments one press visits.
    std::vector<std::size_t> touched;
    // Scratch lists of the frame's segments, kept to avoid an allocation per frame.
    mutable std::vector<std::size_t> candidates;
    mutable std::vector<std::size_t> visible;
};
