#pragma once

#include <string>

#include "Messages.h"

// "mapeditor --export": the export without a window or a display. Reads
// `mapFile` with the checks of "Load QUIV File", then writes "gnd.pts" and
// "go" in the working directory exactly as "Export Map" does after that load
// (writeExport), and, when `runBatch`, runs "./copy.bat" and waits for it.
// The start-point listing and the count message are reports; every failure is
// one problem line. Returns the exit status: 0 when both files were written
// and (with `runBatch`) copy.bat exited 0; 1 when the map could not be read
// or is not a map, has no segments, a file could not be written (copy.bat is
// then not run), or copy.bat is missing or no regular file
// (batchFileRefusal), could not be run or exited non-zero.
int exportWithoutWindow(const std::string& mapFile, bool runBatch, Messages& messages = consoleMessages());
