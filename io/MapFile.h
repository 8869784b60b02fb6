#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ControlPoint.h"
#include "SampleBudget.h"
#include "Segment.h"
#include "TextFile.h"

// The map file "map.mef": per segment, in chain order, the four control points
// in curve order and the resolution, three lines per segment:
//   P0.x P0.y P1.x P1.y
//   P2.x P2.y P3.x P3.y
//   resolution
// with no line end after the last resolution. A reader takes any whitespace
// between values, so the line structure plays no part.

// Highest resolution a map file may give a segment.
constexpr int maxFileResolution = 10000;

// One segment as the file holds it.
struct MapRecord {
    ControlPoint points[4];  // curve order: start point, start handle, end handle, end point
    int resolution = 0;
};

// What parseMapFile found in a text.
struct MapFileParse {
    std::vector<MapRecord> records;
    // The text ended inside a record, which was left out.
    bool incompleteDropped = false;
    // Values of the dropped record that were present (1 to 8).
    int incompleteValues = 0;
    // Samples of all complete records together (resolution + 2 each), also
    // when they were too many to keep.
    long long sampleTotal = 0;
    // Empty when the text was accepted; otherwise what is wrong and where,
    // for example "record 3, line 7: \"abc\" is not a number". Records count
    // from 1, as lines do.
    std::string error;

    bool ok() const { return error.empty(); }
};

// Reads every record of `text`. A value that is not a number, a number that is
// not finite or out of range, or a resolution outside 0..maxFileResolution
// rejects the whole text (no records are returned). Text ending inside a
// record is accepted: the complete records are returned. What Windows tools
// add is let through: a UTF-8 byte order mark at the start and a Ctrl-Z as
// the very last byte are ignored, and a lone CR ends a line as LF and CRLF
// do in the line numbers of messages. UTF-16 text is rejected as such. Once
// the records hold more than `sampleLimit` samples none are kept (records is
// empty), so a huge map costs no memory; the text is still checked to its end.
MapFileParse parseMapFile(std::string_view text, long long sampleLimit = sampleBudget);

// The file text for `segments`; an empty chain gives an empty text.
std::string formatMapFile(const std::vector<Segment>& segments);

// Segments in their default state with the records' points and resolutions.
std::vector<Segment> segmentsFromRecords(const std::vector<MapRecord>& records);

// What readMapFile made of a file.
enum class MapFileRead { loaded, cannotRead, notAMap };

// What readMapFile found, for the caller to tell.
struct MapFileLoad {
    MapFileRead status = MapFileRead::cannotRead;
    // cannotRead and notAMap: why. The system's reason or the refusal of
    // readWholeFile when the file cannot be read; what is wrong and where
    // when it is not a map, or that it holds more samples than sampleBudget
    // (refused before its segments are made).
    std::string reason;
    // loaded: the number of an incomplete last record that was dropped (0
    // when none was) and how many of its values were present.
    int droppedRecord = 0;
    int droppedValues = 0;

    bool loaded() const { return status == MapFileRead::loaded; }
};

// Reads the map file `path` with every check of parseMapFile. When it is a
// map, `segments` becomes its chain; otherwise `segments` is left alone.
MapFileLoad readMapFile(const char* path, std::vector<Segment>& segments);

// readMapFile for the text on standard input, read to its end (at most
// maxReadFileSize bytes, as for a file).
MapFileLoad readMapInput(std::vector<Segment>& segments);

// Writes the file text for `segments` to `path` through storeFile (links
// followed, permissions kept, the previous file surviving any failure).
FileWrite storeMapFile(const std::string& path, const std::vector<Segment>& segments,
                       TempFileFactory createTemp = createTempFileBeside);
