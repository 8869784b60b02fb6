#pragma once

#include <cstddef>
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
    const ControlPoint& getRestLocation() const { return restLocation; }
    // What a successful load does: the chain becomes `loaded`, the markers go,
    // the rest location becomes (0.5, 0.5) and the view offset (1, 1).
    void replaceChain(std::vector<Segment> loaded);

    // View and drawing (drawing is defined apart from the model).
    void draw() const;
    void shiftView(double dx, double dy);
    // The chain positions, ascending, of exactly the segments for which
    // mayShowIn holds in the map window, found through the index.
    void visibleSegments(std::vector<std::size_t>& out) const;

    // Input that no widget took.
    void mouse(int state, int x, int y);
    void motion(int x, int y);
    void keyboard(unsigned char key);

    // Point commands.
    void appendSegment();
    void removeSelected();
    void setResolutionOfSelected(int n);
    void splitSelected();

    // The map file "map.mef" (defined with the file code in io/).
    void saveMapFile();
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

    SegmentIndex index;
    int points = 1;
    // The segments with a picked point: the only ones a drag step moves.
    std::vector<std::size_t> dragged;
    // Scratch lists of the frame's segments, kept to avoid an allocation per frame.
    mutable std::vector<std::size_t> candidates;
    mutable std::vector<std::size_t> visible;
};
